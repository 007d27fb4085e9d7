#ifndef DIALOGUES_H
#define DIALOGUES_H

// The pieces every command's dialog is built from.

#include "commun/base.h"
#include "widgets/button.h"

#include <QList>
#include <QMessageBox>
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
//
// It answers the keyboard. Enter presses the Button that has the focus, or
// else the dialog's main action: the Button marked by actionPrincipale(), or
// its first Button (a multi-line text field keeps Enter for its line breaks,
// a grid for its cells). Escape presses its closing Button (the one whose
// text starts with "Fermer" or "fermer"), or closes it when it has none. When
// it is shown, Tab runs through its fields and Buttons in reading order, from
// the top left; the focus starts in its first field, or on its main action
// when it has none.
QDialog *nouveauDialogue(QWidget *parent, const QString &titre, int largeur = 0, int hauteur = 0);

// Makes `bouton` what Enter presses in its dialog, instead of the first Button.
void actionPrincipale(Button *bouton);

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

// A message box whose text is shown as written (file names, the server's
// messages and what users typed are no markup), and the button pressed.
QMessageBox::StandardButton boite(QWidget *parent, QMessageBox::Icon icone, const QString &titre,
                                  const QString &texte,
                                  QMessageBox::StandardButtons boutons = QMessageBox::Ok,
                                  QMessageBox::StandardButton defaut = QMessageBox::NoButton);

// Tells the user that the server refused to read what the command needs, over
// the window they are on.
void lectureRefusee(QWidget *parent, const QString &message);

// Runs a statement that reads (prepared, or given as text); when the server
// refuses it, tells the user and returns false.
bool lire(QSqlQuery &requete, QWidget *parent);
bool lire(QSqlQuery &requete, const QString &instruction, QWidget *parent);

// Tells the user, over `parent`, that another workstation changed the same
// data at the same moment and that nothing was written (or what `texte` says
// of it).
void conflitSignale(QWidget *parent, const QString &texte = QString());

// Tells the user, over `parent`, that what they chose to delete was deleted
// already by another workstation: nothing was left to delete.
void dejaSupprimeSignale(QWidget *parent);

// Tells the user, over `parent`, that the outcome of a write cannot be known
// yet (historique::incertain): neither a success nor a failure is told over
// it. True when it was told; the failure box is not shown then.
bool issueIncertaineSignalee(QWidget *parent, const Issue &issue);

// Tells the user, over `parent`, that a read a register made was refused: the
// box of a refused read. True when `issue` is a success (nothing to tell).
bool lectureReussie(QWidget *parent, const Issue &issue);

#endif // DIALOGUES_H
