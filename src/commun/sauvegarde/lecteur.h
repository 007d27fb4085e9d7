#ifndef SAUVEGARDE_LECTEUR_H
#define SAUVEGARDE_LECTEUR_H

// What a backup file holds, read without the server: the client splits a dump
// into statements, and a file is accepted only when every one of them is what
// mariadb-dump writes for the program's own tables.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace sauvegarde {

// Rows per table, in the order of the tables.
using Rangs = QList<QPair<QString, qint64>>;

// What examining a dump found.
struct Examen
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
    void reglages(const QString &s, const QByteArray &chaines);
    void inattendue();
    void refuser(const QString &pourquoi);
    bool nommer(const QString &table);

    enum Lieu { Code, Chaine, Identifiant, CommentaireBloc };
    Lieu etat = Code;
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
    Examen examen;
};

// Reads a whole file with a LecteurDump.
Examen examiner(const QString &chemin);

} // namespace sauvegarde

#endif // SAUVEGARDE_LECTEUR_H
