#ifndef EXPORTS_H
#define EXPORTS_H

// What every way of taking data out of the program shares: a file name asked
// in Qt's save dialog, and files written whole or not at all (their progress
// window is commun/progression.h).

#include <QString>

#include <functional>

class QIODevice;
class QWidget;

// Qt's save dialog, proposing <nom>-<yyyy-MM-dd>.<extension> in the user's
// documents folder (or home folder when there is none). Empty when the user
// gives up.
QString demanderFichier(QWidget *parent, const QString &titre, const QString &nom,
                        const QString &extension, const QString &filtre);

// The same, proposing <fichier>.<extension> as it is named.
QString demanderFichierNomme(QWidget *parent, const QString &titre, const QString &fichier,
                             const QString &extension, const QString &filtre);

// Writes a file whole or not at all: `ecrire` fills it and returns false when
// the work was cancelled. A file that cannot be written (folder read-only,
// disk full) is told in a warning box naming the file and the reason; in
// every failure nothing stays under that name.
bool enregistrer(QWidget *parent, const QString &chemin,
                 const std::function<bool(QIODevice &)> &ecrire);

#endif // EXPORTS_H
