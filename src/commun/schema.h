#ifndef SCHEMA_H
#define SCHEMA_H

// The registers' tables, in one place: how each is created, what its text
// columns hold, and which tables a backup holds. The gates create the tables
// from here, the forms and the grids limit what can be typed from here, and
// the backups list the tables from here.

#include <QHash>
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

// The program's tables, the journal's last, in the order a backup writes them.
const QStringList &tablesRegistres();

// The invoices' tables (the business's identity, invoices and credit notes,
// their lines, the orders they hold, their numbering): the orders' gate
// creates them with its own.
const QStringList &tablesFactures();

// The journal's tables (every change of a register is written there too):
// each section's gate creates them with its own.
const QStringList &tablesJournal();

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

// The given tables stored on an engine without transactions (MyISAM, Aria,
// MEMORY…), where a write refused half-way keeps its first rows. False, with
// the server's message, when it refuses to tell.
bool sansTransactions(const QSqlDatabase &db, const QStringList &tables, QStringList *trouvees,
                      QString *probleme);

// Moves one of the program's tables to InnoDB, rows and all.
bool convertir(const QSqlDatabase &db, const QString &table, QString *probleme);

// The highest number each table held when read, by table: an emptying
// deletes no row above it, so that rows another workstation adds after the
// backup that precedes it stay.
using Bornes = QHash<QString, qint64>;
bool plusHautsNumeros(const QSqlDatabase &db, const QStringList &tables, Bornes *bornes,
                      QString *probleme);
// The condition that keeps a statement within the table's bound
// ("compte.id <= 12"), TRUE when the table has none.
QString dansBorne(const Bornes &bornes, const QString &table);

} // namespace schema

#endif // SCHEMA_H
