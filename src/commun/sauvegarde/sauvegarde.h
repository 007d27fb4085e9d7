#ifndef SAUVEGARDE_H
#define SAUVEGARDE_H

// Backups of the registers as SQL files written by mariadb-dump, and their
// restoration with the mariadb client (outils.h starts them), once the file
// has been examined (lecteur.h).

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
struct Bilan
{
    enum Fin { Reussi, Echoue, Annule };
    Fin issue = Echoue;
    // Why it failed: the tool's or the server's own message, or the file's.
    QString message;
    // The file written.
    QString fichier;
    // Rows per table written (a backup) or now stored (a restoration).
    Rangs rangs;

    bool reussi() const { return issue == Reussi; }
};

// Those of the given tables that exist in the connection's database, in the
// order of the program's tables.
QStringList tablesPresentes(const QSqlDatabase &db, const QStringList &tables);

// Writes the given tables to the file as one consistent snapshot. The file is
// written under a temporary name and takes its own only once the dump is
// complete: a failed or cancelled backup leaves no file, and an earlier file
// of that name untouched.
Bilan sauvegarder(const QSqlDatabase &db, const QStringList &tables, const QString &chemin,
                  Progression *progression = nullptr);

// Loads a dump into the connection's database with the mariadb client; stops
// at the first statement the server refuses.
Bilan charger(const QSqlDatabase &db, const QString &chemin, Progression *progression = nullptr);

// The folder of the backups the program writes by itself.
QString dossierAutomatique();

// Writes a backup of the given tables to the program's own folder, named
// "<motif>-<tables>-<yyyy-MM-dd-HHmmss>.sql", and keeps only the newest ones.
Bilan sauvegardeAutomatique(const QSqlDatabase &db, const QString &motif, const QStringList &tables,
                            Progression *progression = nullptr);
constexpr int sauvegardesGardees = 20;

// Removes the program's own backups in the folder, but the newest ones.
void elaguer(const QString &dossier, int garder = sauvegardesGardees);

// The outcome of a restoration.
struct Restauration
{
    enum Etat {
        Reussie,
        // The backup of the current data could not be written: nothing changed.
        SecuriteImpossible,
        // The file failed part-way; the data are back as they were.
        Retablie,
        // The file failed part-way and the data could not be put back.
        NonRetablie,
    };
    Etat issue = SecuriteImpossible;
    QString message;
    // The backup of the data as they were before the restoration.
    QString securite;
    // Rows per table now stored.
    Rangs rangs;
};

// Replaces the tables the file holds (already examined and accepted) with its
// contents. The current tables are first saved in the program's own folder;
// should the file fail part-way, that backup is loaded back.
Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Examen &examen,
                       Progression *progression = nullptr);

} // namespace sauvegarde

#endif // SAUVEGARDE_H
