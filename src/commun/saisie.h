#ifndef SAISIE_H
#define SAISIE_H

// Typed text and numbers: how the program reads them, stores them, shows them
// and matches them, and what the registers can hold.

#include "commun/schema.h"

#include <QString>
#include <QVariant>

#include <initializer_list>

// A number read from the server, written as the program has always shown it:
// 6000000 and 0.3, never 6e+06 or 0.30000000000000004. Non-numbers are written as text.
QString texteNombre(const QVariant &valeur);

// A typed amount written the way the server sums it: digits with at most one
// point, without spaces or exponent ("12,50" gives "12.50", "1 000" with any
// kind of space "1000", "2,5e3" "2500"). A null text when the text is not one
// plain number, is negative (or zero unless `zeroPermis`), or needs more than
// the 20 characters of an amount; `raison` then says why, naming the field
// (`champ`, "Le montant").
QString montantLu(const QString &texte, const QString &champ, bool zeroPermis, QString *raison);

// A typed unit price: an amount, which the currency mark F, CFA or FCFA may
// follow ("1500 FCFA" gives "1500"); as montantLu otherwise, zero allowed.
QString prixLu(const QString &texte, QString *raison);

// The first character of the text that the registers cannot store (beyond
// 3-byte UTF-8: emoji and the like, or half of one, written U+D83D); a null
// text when there is none.
QString caractereHorsBase(const QString &texte);

// A typed text bound for a column: its field as the user reads it ("Le nom du
// client"), the text, and the column's width in characters (0 for a comment).
struct Champ
{
    QString nom;
    QString texte;
    int largeur;
};

// Why the first of the fields that cannot be stored as typed cannot be, as a
// sentence naming it ("Le nom du client dépasse 60 caractères"); empty when
// every one can.
QString premierRefus(std::initializer_list<Champ> champs);

// Why a person's name and first name, each of which fits its column, cannot
// be stored together in the combined column; empty when they can.
QString refusNomPrenom(const QString &nom, const QString &prenom);

// Why the chosen day does not exist ("Le 31 avril 2023 n'existe pas (date de
// naissance)"); empty when it does.
QString refusDate(int annee, int mois, int jour, const QString &champ);

// Typed text as it is bound: an empty field is stored as empty text, not NULL.
QString saisie(const QString &texte);

// Typed text shown on a rich-text page.
QString html(const QString &texte);

// Typed text matched literally inside a LIKE '%...%' pattern (escape character '\').
QString motifContient(const QString &texte);

#endif // SAISIE_H
