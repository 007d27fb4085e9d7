#ifndef SAUVEGARDE_H
#define SAUVEGARDE_H

// Backups of the registers as SQL files written by mariadb-dump, and their
// restoration with the mariadb client. Both tools get the program's own
// connection settings on their command line, except the password, which they
// read from an option file that only the user can read and that is removed
// as soon as they are done.

#include "commun/schema.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QProgressDialog;
class QSqlDatabase;
class QWidget;

namespace sauvegarde {

// The program's register tables, in the order a backup writes them.
using schema::tablesRegistres;

// Rows per table, in the order of the tables.
using Rangs = QList<QPair<QString, qint64>>;

// "compte : 3 lignes", one table a line.
QString texteRangs(const Rangs &rangs);

// What a dump file holds.
struct Contenu
{
    // The tables it names, in the order it names them.
    QStringList tables;
    // Rows it inserts, per table named.
    Rangs rangs;
    // Why it cannot be restored, in the user's words; empty when it can.
    QString refus;
};

// Reads a dump the way the mariadb client splits it into statements, and
// accepts only what mariadb-dump writes for the program's own tables: settings
// of the session, DROP/CREATE TABLE, LOCK/UNLOCK TABLES, ALTER TABLE … KEYS and
// INSERT … VALUES of plain values. Anything else, a table of another program,
// or a file that stops before the last line mariadb-dump writes, is refused.
// It is fed in pieces of any size.
class Lecteur
{
public:
    void lire(const QByteArray &morceau);
    Contenu fin();

private:
    void ligne(const QByteArray &texte);
    void instructionFinie();
    void refuser(const QString &pourquoi);
    bool nommer(const QString &table);

    enum Etat { Code, Chaine, Identifiant, CommentaireBloc };
    Etat etat = Code;
    char guillemet = 0;
    bool echappe = false;
    bool conditionnel = false;
    QByteArray reste;
    QByteArray instruction;
    QByteArray identifiant;
    QByteArray litteraux;
    QByteArray derniereLigne;
    qint64 numeroLigne = 0;
    qint64 ligneInstruction = 0;
    Contenu contenu;
};

// Reads a whole file with a Lecteur.
Contenu examiner(const QString &chemin);

// A progress window for work that lasts: it appears only once the work has
// taken a second. A cancellable one calls surAnnulation when the user cancels;
// the other says that the work cannot be interrupted and refuses to close.
class Progression
{
public:
    Progression(QWidget *parent, const QString &texte, bool annulable);
    ~Progression();
    Progression(const Progression &) = delete;
    Progression &operator=(const Progression &) = delete;

    // Work done out of a total (0: unknown, the bar then just moves).
    void avancer(qint64 fait, qint64 total);
    void annoncer(const QString &texte);
    bool visible() const;
    bool annulable() const { return peutAnnuler; }

    std::function<void()> surAnnulation;

    // How long work runs before the window appears, in milliseconds.
    static int delai;

private:
    void montrer();
    void rafraichir();

    QWidget *parent;
    QString texte;
    bool peutAnnuler;
    qint64 fait = 0;
    qint64 total = 0;
    QTimer minuteur;
    QPointer<QProgressDialog> fenetre;
};

// The outcome of a backup or of a load.
struct Bilan
{
    enum Issue { Reussi, Echoue, Annule };
    Issue issue = Echoue;
    // Why it failed: the tool's or the server's own message, or the file's.
    QString message;
    // The file written.
    QString fichier;
    // Rows per table written (a backup) or now stored (a restoration).
    Rangs rangs;

    bool reussi() const { return issue == Reussi; }
};

// The arguments that name the server to the command-line tools, the password
// excepted: user, host, and for the local host the socket the program's own
// connection uses.
QStringList argumentsConnexion(const QSqlDatabase &db);

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
    enum Issue {
        Reussie,
        // The backup of the current data could not be written: nothing changed.
        SecuriteImpossible,
        // The file failed part-way; the data are back as they were.
        Retablie,
        // The file failed part-way and the data could not be put back.
        NonRetablie,
    };
    Issue issue = SecuriteImpossible;
    QString message;
    // The backup of the data as they were before the restoration.
    QString securite;
    // Rows per table now stored.
    Rangs rangs;
};

// Replaces the tables the file holds (already examined and accepted) with its
// contents. The current tables are first saved in the program's own folder;
// should the file fail part-way, that backup is loaded back.
Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Contenu &contenu,
                       Progression *progression = nullptr);

// Called with the program and arguments of every tool started (for the tests).
void observerProcessus(std::function<void(const QString &, const QStringList &)> observateur);

} // namespace sauvegarde

#endif // SAUVEGARDE_H
