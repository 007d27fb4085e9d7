#ifndef BASE_H
#define BASE_H

// The one way the program talks to the server: every statement is run through
// these functions, so that a refusal is never mistaken for "no data" and its
// reason reaches both the user and the log.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>

class QSqlTableModel;
class QWidget;

// Runs a statement prepared beforehand, or the one given as text. On failure
// the server's message stays in the query for the box that tells the user, and
// is written to the log.
bool executer(QSqlQuery &requete);
bool executer(QSqlQuery &requete, const QString &instruction);

// The server's message about the last failure of a statement.
QString messageServeur(const QSqlQuery &requete);

// Why the server refused a statement that writes into `table`, as the second
// line of the box that tells the user: a full table and a server that stopped
// answering get their own sentence, anything else the server's own message.
QString raisonRefus(const QSqlQuery &requete, const QString &table);

// Tells the user that the server refused to read what the command needs, over
// the window they are on.
void lectureRefusee(QWidget *parent, const QString &message);

// Runs a statement that reads (prepared, or given as text); when the server
// refuses it, tells the user and returns false.
bool lire(QSqlQuery &requete, QWidget *parent);
bool lire(QSqlQuery &requete, const QString &instruction, QWidget *parent);

// True once since the last call when a statement failed because one of the
// program's tables is missing (dropped under the program's feet): the gate
// then sends the tables' statements again.
bool tableDisparue();

// Several statements that take effect together or not at all: begun on
// construction, rolled back on destruction unless committed.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // False when the server could not begin it: nothing may be written then.
    bool ouverte() const { return active; }
    // Makes every statement of the transaction permanent. False, and nothing
    // written, when it was not open or the server refuses the commit.
    bool valider();
    // Undoes every statement of the transaction now.
    void annuler();
    // Why it could not begin or be committed, as raisonRefus says it, and the
    // server's code for it.
    QString erreur() const { return message; }
    QString code() const { return codeServeur; }

private:
    QSqlDatabase db;
    bool active = false;
    QString message;
    QString codeServeur;
};

// Several workstations share the registers. A write that another workstation
// got in the way of is refused by the server: a deadlock, or on a cluster a
// commit that another node's commit on the same rows beat (1213), or a row
// that another workstation held too long (1205). Nothing of it is written.
bool conflitEntrePostes(const QString &codeServeur);

// What a write does, for the rule that decides whether it may be run again.
enum class Ecriture {
    Ajout, // stores what the user typed: the same rows once more
    Suppression, // removes what the user chose, by its number
    Vidage, // empties a table
    Grille, // writes edits typed over values another workstation may have changed
};

// Whether a write refused with `codeServeur` after `essais` attempts is run
// again: once, and only when running it again cannot change what the user
// asked for. A grid's edits never are: they were typed over the values the
// grid showed, which the other workstation may just have changed.
bool aRejouer(Ecriture ecriture, const QString &codeServeur, int essais);

// How a write ended.
enum class Issue {
    Ecrit,
    Refuse, // refused for another reason: the section's own box tells it
    Conflit, // another workstation was in the way, each time: nothing written
};

// Runs one whole attempt of a write (its own transaction, true once committed)
// and, when the rule allows it, runs it once more after a conflict.
Issue ecrire(Ecriture ecriture, const std::function<bool()> &essai);

// Tells the user, over `parent`, that another workstation changed the same
// data at the same moment and that nothing was written (or what `texte` says
// of it).
void conflitSignale(QWidget *parent, const QString &texte = QString());

// How many conflicts were met since the program started: run again (and
// written then), and told to the user.
struct Conflits
{
    int rejoues = 0;
    int signales = 0;
};
Conflits conflits();

#endif // BASE_H
