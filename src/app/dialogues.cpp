#include "app/dialogues.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPixmapCache>

#ifdef __GLIBC__
#include <malloc.h>
#endif

QDialog *nouveauDialogue(QWidget *parent, const QString &titre, int largeur, int hauteur)
{
    auto *dialogue = new QDialog(parent);
    // exec() destroys the dialog, with its widgets and models, once it is closed.
    dialogue->setAttribute(Qt::WA_DeleteOnClose);
    // The style keeps pictures of the widgets it draws under keys that include
    // their colours and fonts; a dialog's styled widgets get keys that no later
    // dialog shares. Dropped with the dialog, they do not pile up (some 12 KB
    // per dialog, until the cache's 10 MB are full).
    //
    // Once a dialog is gone, the allocator is also asked to hand back the pages
    // its widgets occupied; without that, a long session holds on to the peak
    // of every dialog it opened.
    QObject::connect(dialogue, &QObject::destroyed, [] {
        QPixmapCache::clear();
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    });
    dialogue->setWindowTitle(titre);
    if (largeur > 0)
        dialogue->setFixedSize(largeur, hauteur);
    return dialogue;
}

QLabel *etiquette(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                  Qt::Alignment alignement)
{
    auto *label = new QLabel(texte, parent);
    label->setStyleSheet(style);
    label->setGeometry(place);
    label->setAlignment(alignement);
    return label;
}

QLabel *legende(QWidget *parent, const QString &texte, const QString &style, int x, int y)
{
    auto *label = new QLabel(texte, parent);
    label->setTextFormat(Qt::PlainText);
    if (!style.isEmpty())
        label->setStyleSheet(style);
    label->move(x, y);
    return label;
}

Button *bouton(QWidget *parent, const StyleBouton &style, const QString &texte, const QRect &place)
{
    auto *b = new Button(style.couleurs, style.degrade, style.rayonX, style.rayonY, texte,
                         place.width(), place.height(), parent);
    b->move(place.topLeft());
    return b;
}

QList<Button *> rangee(QWidget *parent, const StyleBouton &style, const QStringList &textes,
                       const QPoint &depart, const QSize &taille, int ecart)
{
    QList<Button *> boutons;
    QPoint place = depart;
    for (const QString &texte : textes) {
        boutons << bouton(parent, style, texte, QRect(place, taille));
        place.rx() += taille.width() + ecart;
    }
    return boutons;
}

bool confirmer(QWidget *parent, const QString &titre, const QString &texte)
{
    return QMessageBox::question(parent, titre, texte, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}
