#ifndef COMPTE_RELEVE_H
#define COMPTE_RELEVE_H

#include <QSqlDatabase>

class QWidget;

namespace compte {

// Asks for a bank statement file, shows how it will be read, lets the user
// change the reading and imports it into the book. True when entries were
// added.
bool importerReleve(QWidget *parent, const QSqlDatabase &db);

} // namespace compte

#endif // COMPTE_RELEVE_H
