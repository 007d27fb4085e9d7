#ifndef SCHEMA_H
#define SCHEMA_H

// The registers' tables, in one place: how each is created, what its text
// columns hold, and which tables a backup holds. The gates create the tables
// from here, the forms and the grids limit what can be typed from here, and
// the backups list the tables from here.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What the registers' text columns hold, in characters.
namespace largeurs {
// Names, companies, e-mails, telephones, products (VARCHAR(60)).
inline constexpr int nom = 60;
// A person's name and first name together, with the space between them.
inline constexpr int nomPrenom = 120;
inline constexpr int domaine = 255;
// The unit of an order's weight (VARCHAR(10)).
inline constexpr int unite = 10;
// Amounts and prices (VARCHAR(20)).
inline constexpr int montant = 20;
// Comments (TEXT) hold 65,535 bytes of UTF-8.
inline constexpr int octetsCommentaire = 65535;
} // namespace largeurs

namespace schema {

// The program's register tables, in the order a backup writes them.
const QStringList &tablesRegistres();

// The statements that create the given tables when they are missing, with
// their indexes.
QStringList creation(const QStringList &tables);

// The columns of one of the tables, in their order; none for another table.
QStringList colonnes(const QString &table);

// What a typed-text column of a register holds, in characters: 0 for a
// comment (TEXT), -1 for a column that is no typed text (numbers, dates,
// amounts, which are read as numbers).
int largeurTexte(const QString &table, const QString &colonne);

// Makes the connection ready for the given tables: creates them when they are
// missing, and sets the session the registers rely on (strict mode, French
// month names, short lock waits). False, with the reason in `probleme`, when
// the tables are still missing or the session is not strict.
bool preparer(const QSqlDatabase &db, const QStringList &tables, QString *probleme);

} // namespace schema

#endif // SCHEMA_H
