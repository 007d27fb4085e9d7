#ifndef BASE_H
#define BASE_H

// The one way the program talks to the server: every statement is run through
// these functions, so that a refusal is never mistaken for "no data" and its
// reason reaches both the user and the log.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

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
    // Why it could not begin or be committed, as raisonRefus says it.
    QString erreur() const { return message; }

private:
    QSqlDatabase db;
    bool active = false;
    QString message;
};

#endif // BASE_H
