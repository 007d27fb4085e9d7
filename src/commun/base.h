#ifndef BASE_H
#define BASE_H

// The one way the program talks to the server: every statement is run through
// these functions, so that a refusal is never mistaken for "no data" and its
// reason reaches the log and, through the outcome a register hands back, the
// user. Nothing here opens a box.

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

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

// True once since the last call when a statement failed because one of the
// program's tables is missing (dropped under the program's feet): the gate
// then sends the tables' statements again.
bool tableDisparue();

// How a register's read or write ended, for the window to tell the user.
struct Issue
{
    enum Genre {
        Ecrit, // done: written, or read
        Refuse, // what the user typed cannot be stored: `champ` and `raison` say why
        Conflit, // another workstation was in the way each time: nothing written
        Erreur, // the server refused: `raison` is its message as the user reads it
        DejaSupprime, // nothing to delete: another workstation deleted it already
    };
    Genre genre = Ecrit;
    // Refuse: the field at fault, as the user reads it ("Le nom du client").
    QString champ;
    // Refuse: a sentence naming the field; Erreur: the server's reason;
    // Conflit: the rows another workstation changed, when they are known.
    QString raison;
    // Erreur: the server's code ("1213"), which decides whether to run again.
    QString code;
    // Ecrit: the number the server gave to a new row.
    QVariant id;

    static Issue ecrit(const QVariant &id = QVariant());
    static Issue refus(const QString &champ, const QString &raison);
    static Issue conflit(const QString &raison = QString());
    static Issue erreur(const QString &raison, const QString &code = QString());
    static Issue dejaSupprime();
    // A statement the server refused, writing into `table` (or only reading).
    static Issue erreur(const QSqlQuery &requete, const QString &table = QString());

    bool ok() const { return genre == Ecrit; }
    bool operator==(Genre autre) const { return genre == autre; }
    bool operator!=(Genre autre) const { return genre != autre; }
};

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
    Issue issue() const { return Issue::erreur(message, codeServeur); }

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
enum class Changement {
    Ajout, // stores what the user typed: the same rows once more
    Suppression, // removes what the user chose, by its number
    Vidage, // empties a table
    Grille, // writes edits typed over values another workstation may have changed
    Annulation, // puts rows back as they were, after checking nobody changed them since
};

// Whether a write refused with `codeServeur` after `essais` attempts is run
// again: once, and only when running it again cannot change what the user
// asked for. A grid's edits never are: they were typed over the values the
// grid showed, which the other workstation may just have changed.
bool aRejouer(Changement changement, const QString &codeServeur, int essais);

// The one write path of every register. Runs one whole attempt of a write
// (which keeps its own transaction and says how it ended) and, when the rule
// allows it, runs it once more after a conflict; the failure that ended the
// attempt decides. An attempt that ends on a conflict each time gives Conflit.
Issue ecrire(Changement changement, const std::function<Issue()> &essai);

// The same, each attempt in a transaction of its own on `db`: `corps` runs the
// statements; the transaction is committed when it says Ecrit, rolled back
// otherwise.
Issue ecrireEnTransaction(const QSqlDatabase &db, Changement changement,
                          const std::function<Issue()> &corps);

// How many conflicts were met since the program started: run again (and
// written then), and told to the user.
struct Conflits
{
    int rejoues = 0;
    int signales = 0;
};
Conflits conflits();
// A conflict told to the user (the box that tells it counts it here).
void conflitCompte();

// The columns of a result by their names, looked up once when the statement
// has run: a row's values are then read by name, never by position.
class Colonnes
{
public:
    explicit Colonnes(const QSqlQuery &requete);
    // The current row's value of the named column.
    QVariant operator()(const QString &colonne) const;

private:
    const QSqlQuery *requete;
    QHash<QString, int> index;
};

// The rows of a read, handed out a few at a time as a page shows them: the
// statement has run; its rows are read as they are asked for, each turned into
// a value by `lire`.
template<typename T>
class Curseur
{
public:
    using Lecteur = std::function<T(const Colonnes &)>;
    Curseur() = default;
    Curseur(std::shared_ptr<QSqlQuery> requete, Lecteur lire)
        : requete(std::move(requete))
        , colonnes(std::make_shared<Colonnes>(*this->requete))
        , lire(std::move(lire))
    {
    }
    // The next `nombre` rows at most; an empty list once every row was read.
    QList<T> suivants(int nombre)
    {
        QList<T> lus;
        while (requete && lus.size() < nombre && requete->next())
            lus.append(lire(*colonnes));
        return lus;
    }
    // How many rows the read gave, when the server says (-1 otherwise).
    int taille() const { return requete ? requete->size() : -1; }

private:
    std::shared_ptr<QSqlQuery> requete;
    std::shared_ptr<Colonnes> colonnes;
    Lecteur lire;
};

#endif // BASE_H
