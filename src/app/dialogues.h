#ifndef DIALOGUES_H
#define DIALOGUES_H

// The pieces every command's dialog is built from.

#include "widgets/button.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QDialog;
class QLabel;
class QWidget;

// A modal dialog over `parent`, with its title and fixed size (none when the
// width is 0), destroyed with its widgets and models once it is closed.
QDialog *nouveauDialogue(QWidget *parent, const QString &titre, int largeur = 0, int hauteur = 0);

// A label at a fixed place, with its style and alignment: the headings of the dialogs.
QLabel *etiquette(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                  Qt::Alignment alignement = Qt::AlignCenter);

// A plain-text label moved to a point, at its own size: the captions of the fields.
QLabel *legende(QWidget *parent, const QString &texte, const QString &style, int x, int y);

// The look of a dialog's buttons.
struct StyleBouton
{
    Couleurs couleurs = Couleurs::bleu();
    bool degrade = true;
    double rayonX = 0;
    double rayonY = 0;
};

// A Button at a fixed place.
Button *bouton(QWidget *parent, const StyleBouton &style, const QString &texte, const QRect &place);

// Buttons side by side, all of one size: the first at `depart`, the next ones
// `ecart` pixels to the right of the one before.
QList<Button *> rangee(QWidget *parent, const StyleBouton &style, const QStringList &textes,
                       const QPoint &depart, const QSize &taille, int ecart = 10);

// Asks before something that deletes or empties. "Non" is the default answer,
// so that Enter never erases anything.
bool confirmer(QWidget *parent, const QString &titre, const QString &texte);

#endif // DIALOGUES_H
