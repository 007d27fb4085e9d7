#ifndef REGLAGES_H
#define REGLAGES_H

#include <QString>

// Where the connection settings are read at start and written back: the file
// config/base.sni of the current folder when it exists (a project folder, as
// ./run.sh uses), otherwise base.sni in the user's configuration folder
// (~/.config/tabloran), which an installed program started from a menu uses.
QString fichierParametres();

#endif // REGLAGES_H
