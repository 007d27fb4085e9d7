#ifndef COMPTE_REGISTRE_H
#define COMPTE_REGISTRE_H

// What the account book knows: its entries, how one is added, deleted or
// edited in the grid, how the book is emptied, and what the balance report
// sums up. Nothing here opens a box or touches a widget.

#include "commun/base.h"
#include "commun/schema.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>

class QSqlTableModel;

namespace compte {

// One movement of money.
struct Ecriture
{
    QVariant id;
    QString sujet; // "Dépense" or "Gain"
    QString valeur; // the amount, as stored
    QString commentaire;
    QDateTime date;
};

// The fields a refusal names, as the add dialog's boxes tell them apart.
inline const QString champSujet = QStringLiteral("Le type");
inline const QString champMontant = QStringLiteral("Le montant");
inline const QString champCommentaire = QStringLiteral("Le commentaire");

// Adds an entry as typed: the kind must be "Dépense" or "Gain", the amount a
// number above 0 (stored as read: "12,50" as 12.50, "1 000" as 1000), the
// comment text the book can hold. The date is now unless one is given.
// Ecrit with the entry's number; Refuse naming the field; Erreur when the
// server refuses (a full book says so); Conflit.
Issue ajouter(const QSqlDatabase &db, const Ecriture &ecriture);

// Every entry (number, kind and amount), for the delete list.
Issue entrees(const QSqlDatabase &db, QList<Ecriture> *liste);

// Deletes the entry with that number; DejaSupprime when another workstation
// deleted it already.
Issue supprimer(const QSqlDatabase &db, const QVariant &id);

// Deletes every entry (up to the bound of `bornes`, when it has one); the
// next one added is numbered 1 again, or after the entries left.
Issue vider(const QSqlDatabase &db, const schema::Bornes &bornes = {});

// The book as the grid edits it, newest first, its rows loaded: null, with
// the server's refusal in `issue`, when they cannot be read.
std::unique_ptr<QSqlTableModel> grille(const QSqlDatabase &db, Issue *issue);

// Writes the grid's pending edits, all or none (see enregistrerGrille).
Issue enregistrer(QSqlTableModel &modele);

// One line of the balance report: the date as the server writes it in French
// ("le 05 mars 2013 à 09h25min").
struct LigneBilan
{
    QString valeur;
    QString commentaire;
    QString quand;
};

// What the balance report shows. The sums and the difference are the
// server's own numbers for the stored amounts.
struct Bilan
{
    Curseur<LigneBilan> depenses;
    Curseur<LigneBilan> gains;
    QString totalDepenses = QStringLiteral("0");
    QString totalGains = QStringLiteral("0");
    // Gains minus expenses.
    QString difference;
    // The first and last days of the book ("05 mars 2013"); empty for an empty book.
    QString premiereDate;
    QString derniereDate;
};

Issue lireBilan(const QSqlDatabase &db, Bilan *bilan);

// What importing a statement did.
struct BilanImport
{
    int ajoutees = 0; // entries added
    int presentes = 0; // lines the book held already
    int refusees = 0; // lines that could not be read
};

struct LigneReleve;

// Adds the readable lines of data of a statement (see import.h) as entries,
// all in one operation of the history ("Relevé « releve.csv » importé (12
// entrées)") or none. A line is skipped when the book already holds as many
// entries of its day, kind, amount and label as the statement holds up to
// and including it: importing a statement again adds nothing.
Issue importer(const QSqlDatabase &db, const QList<LigneReleve> &lignes, const QString &nomFichier,
               BilanImport *bilan);

} // namespace compte

#endif // COMPTE_REGISTRE_H
