#ifndef SAUVEGARDE_LECTEUR_H
#define SAUVEGARDE_LECTEUR_H

// What a backup file holds, read without the server: a file is accepted only
// when every statement in it is what mariadb-dump writes for the program's own
// tables, and the reading hands back the statements a restoration runs, so
// that the file is read once and by one reader only.

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace sauvegarde {

// Rows per table, in the order of the tables.
using Rangs = QList<QPair<QString, qint64>>;

// A statement of a dump that a restoration runs: the creation of one of the
// program's tables (made from the program's own schema, never from the file's
// text; `texte` is the next key the file gives it, if any), or rows inserted
// into it, rebuilt from what the reader read: its words, and its strings byte
// for byte, without comments.
struct Instruction
{
    enum Sorte { Creation, Insertion };
    Sorte sorte = Creation;
    QString table;
    QByteArray texte;
};

// What examining a dump found.
struct Examen
{
    // The tables it names, in the order it names them.
    QStringList tables;
    // Rows it inserts, per table named.
    Rangs rangs;
    // Why it cannot be restored, in the user's words; empty when it can.
    QString refus;
    // What restoring it runs, in order; empty when it is refused.
    QList<Instruction> instructions;
};

// Reads a dump the way the server reads it in the session a restoration sets
// (utf8mb4, backslashes escape, double quotes delimit strings), and accepts
// only what mariadb-dump writes for the program's own tables: the settings of
// the session it saves and puts back, DROP/CREATE TABLE with the program's
// columns on InnoDB, LOCK/UNLOCK TABLES, ALTER TABLE … KEYS and INSERT …
// VALUES of plain values. Anything else, a table of another program, or a
// file that stops before the last line mariadb-dump writes, is refused. Only
// creations and insertions are handed back: the settings and the locks are
// recognised, never run. It is fed in pieces of any size.
class LecteurDump
{
public:
    void lire(const QByteArray &morceau);
    Examen fin();

private:
    void ligne(const QByteArray &texte);
    // The reading of the character at i of a line, in code or in a string, an
    // identifier or a comment; each returns the index of the last character
    // it used.
    qsizetype code(QByteArrayView l, qsizetype i);
    qsizetype commentaire(QByteArrayView l, qsizetype i);
    qsizetype horsCode(QByteArrayView l, qsizetype i);
    void commencer();
    void blanc();

    void instructionFinie();
    void insertion(const QByteArray &brut);
    bool creation(const QString &s);
    void reglages(const QString &s);
    bool reglage(const QString &nom, const QString &valeur, qsizetype *chaine);
    void inattendue();
    void refuser(const QString &pourquoi);
    bool nommer(const QString &table, bool creee = false);

    enum Lieu { Code, Chaine, Identifiant, CommentaireBloc };
    Lieu etat = Code;
    char guillemet = 0;
    bool echappe = false;
    bool conditionnel = false;
    QByteArray reste;
    QByteArray instruction;
    QByteArray identifiant;
    // The strings of the statement, quotes included, as written.
    QByteArrayList chaines;
    // The user variables that hold a setting saved by the file.
    QStringList sauvees;
    QStringList creees;
    QByteArray derniereLigne;
    qint64 numeroLigne = 0;
    qint64 ligneInstruction = 0;
    Examen examen;
};

// Reads a whole file with a LecteurDump, once.
Examen examiner(const QString &chemin);

} // namespace sauvegarde

#endif // SAUVEGARDE_LECTEUR_H
