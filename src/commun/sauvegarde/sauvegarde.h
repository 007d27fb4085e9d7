#ifndef SAUVEGARDE_H
#define SAUVEGARDE_H

// Backups of the registers as SQL files written by mariadb-dump (outils.h
// starts it), and their restoration by the program itself: the file is read
// once and examined (lecteur.h), and the statements the examination accepted
// are run on the program's own connection.

#include "commun/sauvegarde/lecteur.h"
#include "commun/schema.h"

#include <QString>
#include <QStringList>

class Progression;
class QSqlDatabase;

namespace sauvegarde {

// The program's register tables, in the order a backup writes them.
using schema::tablesRegistres;

// "compte : 3 lignes", one table a line.
QString texteRangs(const Rangs &rangs);

// The outcome of a backup or of a load.
struct Resultat
{
    enum Fin { Reussi, Echoue, Annule };
    Fin issue = Echoue;
    // Why it failed: the tool's or the server's own message, or the file's.
    QString message;
    // The file written.
    QString fichier;
    // Rows per table written (a backup) or now stored (a restoration).
    Rangs rangs;
    // What the file written holds, as restoring it runs it.
    QList<Instruction> instructions;

    bool reussi() const { return issue == Reussi; }
};

// Those of the given tables that exist in the connection's database, in the
// order of the program's tables. When they cannot be read, none, with the
// server's message in `erreur`.
QStringList tablesPresentes(const QSqlDatabase &db, const QStringList &tables,
                            QString *erreur = nullptr);

// Writes the given tables to the file as one consistent snapshot. The file is
// written under a temporary name and takes its own only once the dump is
// complete: a failed or cancelled backup leaves no file, and an earlier file
// of that name untouched.
Resultat sauvegarder(const QSqlDatabase &db, const QStringList &tables, const QString &chemin,
                     Progression *progression = nullptr);

// Runs the statements of an examined dump on the connection, in a session set
// to read them as the examination did: each table it creates is dropped and
// made again from the program's own schema, and its rows inserted. Stops at
// the first statement the server refuses, and returns its message; nothing
// when all went in.
QString charger(const QSqlDatabase &db, const QList<Instruction> &instructions,
                Progression *progression = nullptr);

// The folder of the backups the program writes by itself.
QString dossierAutomatique();

// Writes a backup of the given tables to the program's own folder, named
// "<motif>-<tables>-<yyyy-MM-dd-HHmmss>.sql", and keeps only the newest ones
// of that motif, and the file `epargne` whatever its age.
Resultat sauvegardeAutomatique(const QSqlDatabase &db, const QString &motif,
                               const QStringList &tables, Progression *progression = nullptr,
                               const QString &epargne = {});
constexpr int sauvegardesGardees = 20;

// Removes the program's own backups in the folder, but the newest ones of
// each motif ("avant-vider", "avant-restaurer") and the file `epargne`.
void elaguer(const QString &dossier, int garder = sauvegardesGardees, const QString &epargne = {});

// The outcome of a restoration.
struct Restauration
{
    enum Etat {
        Reussie,
        // The backup of the current data could not be written: nothing changed.
        SecuriteImpossible,
        // The file failed part-way, or its rows were not all stored; the data
        // are back as they were.
        Retablie,
        // The same, and the data could not be put back.
        NonRetablie,
    };
    Etat issue = SecuriteImpossible;
    QString message;
    // The backup of the data as they were before the restoration; none when
    // none of the file's tables existed.
    QString securite;
    // Rows per table now stored.
    Rangs rangs;
};

// Replaces the tables the file holds with its contents, as the examination
// read them (the file is not read again). The current tables are first saved
// in the program's own folder, and nothing happens if they cannot be; should
// the file fail part-way, or a table then hold other than the rows the file
// holds, that backup is loaded back the same way.
// The restoration is then one operation of the history, named `resume`
// ("Sauvegarde « x.sql » restaurée" when empty), whose undo loads that backup.
Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Examen &examen,
                       Progression *progression = nullptr, const QString &resume = {});

} // namespace sauvegarde

#endif // SAUVEGARDE_H
