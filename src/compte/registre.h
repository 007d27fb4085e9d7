#ifndef COMPTE_REGISTRE_H
#define COMPTE_REGISTRE_H

// What the account book knows: its entries, how one is added, deleted or
// edited in the grid, how the book is emptied, and what the balance report
// sums up. Nothing here opens a box or touches a widget.

#include "commun/base.h"
#include "commun/schema.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
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

// Days of the book, from `debut` to `fin`, both included. Invalid dates: the
// whole book.
struct Periode
{
    QDate debut;
    QDate fin;
    bool tout() const { return !debut.isValid() || !fin.isValid(); }
};

// The periods the report offers, in the order of its list: "Tout", "Ce
// mois-ci", "Le mois dernier", "Cette année", "L'année dernière", "Du … au …".
QStringList choixDePeriode();
// The period of the list's choice on that day; "Du … au …" takes `du` and
// `au` (in either order).
Periode periode(int choix, const QDate &aujourdhui, const QDate &du = {}, const QDate &au = {});
// The period as a heading says it after "Bilan": "de novembre 2026", "d'avril
// 2026", "de l'année 2026", "du 15/01/2026 au 31/03/2026"; empty for the whole book.
QString libelle(const Periode &periode);
// The period in a file's name: "2026-11", "2026", "2026-01-15-au-2026-03-31";
// today's date for the whole book.
QString partieFichier(const Periode &periode);

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

// The report of the entries dated within the period (the first and last days
// of the totals are those of its entries).
Issue lireBilan(const QSqlDatabase &db, Bilan *bilan, const Periode &periode = {});

// One bar of the evolution chart: a month, or a day when the period is one
// month or less.
struct Point
{
    QDate debut;
    QString etiquette; // "janv. 2026", or "15/01"
    double gains = 0;
    double depenses = 0;
    // Gains minus expenses since the period's start, this bucket included.
    double solde = 0;
};

// Every bucket of the period, empty ones included, summed by the server. For
// the whole book, or a period of more than ten years, from its first entry's
// bucket to its last one's; none when it has no entry.
Issue evolution(const QSqlDatabase &db, const Periode &periode, QList<Point> *points);

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
