#ifndef UI_H
#define UI_H

// Small pieces that the sections share.

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <QMargins>

#include <functional>

class QCompleter;
class QLabel;
class QLineEdit;
class QObject;
class QScrollArea;
class QSqlQuery;
class QWidget;

// A label at a fixed place, with its style and alignment: the headings of the dialogs.
QLabel *etiquette(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                  Qt::Alignment alignement = Qt::AlignCenter);

// A plain-text label moved to a point, at its own size.
QLabel *legende(QWidget *parent, const QString &texte, const QString &style, int x, int y);

// The number at the start of a list entry ("n°12 Martin Anne" → 12), after the
// given prefix; 0 when the entry does not start so.
int idDepuisEntree(const QString &entree, const QString &prefixe = QStringLiteral("n°"));

// A case-insensitive completer over the texts of the given columns of every row
// of the query (already executed), in the order the server returns them.
QCompleter *completeurDepuis(QSqlQuery &requete, QObject *proprietaire, int colonnes = 1);

// Replaces the completer of a search field with a case-insensitive one over the
// texts of the given columns of every row of the query (already executed). The
// old completer is released.
void remplacerCompleteur(QLineEdit *champ, QSqlQuery &requete, int colonnes = 1);

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

// Result pages that may list tens of thousands of rows: laying out that much
// rich text at once takes minutes, so the page shows its first slice at once
// and adds the next slice whenever the reader scrolls to the bottom. Every row
// stays reachable.
constexpr int rangsParTranche = 200;

// Fills the scroll area with a column of labels: the first one holds
// `premiere`; `suivante` gives the text of the next slice, empty when there is
// no more; `etiquette` makes the label for one slice's text.
void pageParTranches(QScrollArea *zone, const QString &premiere, std::function<QString()> suivante,
                     std::function<QLabel *(const QString &)> etiquette, const QMargins &marges);

#endif // UI_H
