#ifndef SAISIE_H
#define SAISIE_H

// Typed text and numbers: how the program reads them, stores them, shows them
// and matches them.

#include <QString>
#include <QVariant>

// A number read from the server, written as the program has always shown it:
// 6000000 and 0.3, never 6e+06 or 0.30000000000000004. Non-numbers are written as text.
QString texteNombre(const QVariant &valeur);

// A typed number: the default locale is tried first, then the C locale; 0 when
// neither reads it.
double lireNombre(const QString &texte, bool *ok = nullptr);

// Typed text as it is bound: an empty field is stored as empty text, not NULL.
QString saisie(const QString &texte);

// Typed text shown on a rich-text page.
QString html(const QString &texte);

// Typed text matched literally inside a LIKE '%...%' pattern (escape character '\').
QString motifContient(const QString &texte);

#endif // SAISIE_H
