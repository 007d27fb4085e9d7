#include "commun/dialogues.h"
#include "commun/historique.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTextEdit>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <functional>

namespace {

const char *const proprietePrincipale = "actionPrincipale";

// Answers the keyboard in one dialog, as nouveauDialogue() says.
class ClavierDialogue : public QObject
{
public:
    explicit ClavierDialogue(QDialog *dialogue)
        : QObject(dialogue)
        , dialogue(dialogue)
    {
        dialogue->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override
    {
        if (objet != dialogue)
            return false;
        if (evenement->type() == QEvent::Show) {
            // Tab leaves a comment field like any other: a comment has no use
            // for tab characters, and the keyboard must reach what follows.
            for (QTextEdit *texte : dialogue->findChildren<QTextEdit *>())
                texte->setTabChangesFocus(true);
            ordreDeLecture();
            return false;
        }
        if (evenement->type() != QEvent::KeyPress)
            return false;
        const auto *touche = static_cast<QKeyEvent *>(evenement);
        const Qt::KeyboardModifiers modificateurs =
            touche->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        if (modificateurs != Qt::NoModifier)
            return false;

        Button *cible = nullptr;
        if (touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter) {
            // The key reaches the dialog only when the focused widget left it
            // alone: a multi-line text field keeps it for its line breaks. A
            // grid's cells keep it too: Enter there ends the cell's edit, and
            // the grid is saved only when the user asks.
            QWidget *focus = dialogue->focusWidget();
            for (QWidget *w = focus; w && w != dialogue; w = w->parentWidget()) {
                if (qobject_cast<QAbstractItemView *>(w))
                    return false;
            }
            cible = qobject_cast<Button *>(focus);
            if (!cible)
                cible = principale();
        } else if (touche->key() == Qt::Key_Escape) {
            cible = premier([](Button *b) {
                return b->text().startsWith(QStringLiteral("fermer"), Qt::CaseInsensitive);
            });
        }
        if (!cible)
            return false;
        cible->click();
        return true;
    }

private:
    // What Enter presses when no Button has the focus.
    Button *principale() const
    {
        Button *marquee =
            premier([](Button *b) { return b->property(proprietePrincipale).toBool(); });
        return marquee ? marquee : premier([](Button *) { return true; });
    }

    Button *premier(const std::function<bool(Button *)> &convient) const
    {
        for (Button *b : dialogue->findChildren<Button *>()) {
            if (b->isVisibleTo(dialogue) && b->isEnabled() && convient(b))
                return b;
        }
        return nullptr;
    }

    // What Tab runs through: the fields and buttons a user reaches, but not
    // the parts that make up one of them (a spin box's line, a grid's corner).
    static bool champ(QWidget *w)
    {
        return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
            || qobject_cast<QAbstractScrollArea *>(w);
    }

    void ordreDeLecture()
    {
        QList<QWidget *> champs;
        for (QWidget *w : dialogue->findChildren<QWidget *>()) {
            if (!champ(w) || !w->isVisibleTo(dialogue) || !(w->focusPolicy() & Qt::TabFocus))
                continue;
            bool partie = false;
            for (QWidget *p = w->parentWidget(); p && p != dialogue; p = p->parentWidget())
                partie = partie || champ(p);
            if (!partie)
                champs << w;
        }
        if (champs.isEmpty())
            return;

        // Rows from top to bottom (a row holds what starts within a few pixels
        // of its first widget's top), each read from left to right.
        const auto place = [this](QWidget *w) { return w->mapTo(dialogue, QPoint(0, 0)); };
        std::stable_sort(champs.begin(), champs.end(),
                         [&](QWidget *a, QWidget *b) { return place(a).y() < place(b).y(); });
        QList<QWidget *> ordre;
        for (qsizetype debut = 0; debut < champs.size();) {
            qsizetype fin = debut + 1;
            while (fin < champs.size()
                   && place(champs.at(fin)).y() - place(champs.at(debut)).y() < 10)
                ++fin;
            QList<QWidget *> rang = champs.mid(debut, fin - debut);
            std::stable_sort(rang.begin(), rang.end(),
                             [&](QWidget *a, QWidget *b) { return place(a).x() < place(b).x(); });
            ordre << rang;
            debut = fin;
        }
        for (qsizetype i = 1; i < ordre.size(); ++i)
            QWidget::setTabOrder(ordre.at(i - 1), ordre.at(i));
        // The focus starts in the first field; in a dialog without any, on its
        // main action, so that Enter does what it would do anyway.
        if (!dialogue->focusWidget()) {
            const auto champ = std::find_if(ordre.cbegin(), ordre.cend(),
                                            [](QWidget *w) { return !qobject_cast<Button *>(w); });
            QWidget *debut = champ != ordre.cend() ? *champ : principale();
            (debut ? debut : ordre.first())->setFocus(Qt::TabFocusReason);
        }
    }

    QDialog *dialogue;
};

} // namespace

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
    new ClavierDialogue(dialogue);
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

QMessageBox::StandardButton boite(QWidget *parent, QMessageBox::Icon icone, const QString &titre,
                                  const QString &texte, QMessageBox::StandardButtons boutons,
                                  QMessageBox::StandardButton defaut)
{
    QMessageBox box(icone, titre, texte, boutons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaut != QMessageBox::NoButton)
        box.setDefaultButton(defaut);
    return QMessageBox::StandardButton(box.exec());
}

bool confirmer(QWidget *parent, const QString &titre, const QString &texte)
{
    return QMessageBox::question(parent, titre, texte, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

void actionPrincipale(Button *bouton)
{
    bouton->setProperty(proprietePrincipale, true);
}

void lectureRefusee(QWidget *parent, const QString &message)
{
    QMessageBox::warning(parent, QStringLiteral("Erreur de la base de donnée"),
                         QStringLiteral("La base de donnée a refusé la demande :\n") + message);
}

bool lire(QSqlQuery &requete, QWidget *parent)
{
    if (executer(requete))
        return true;
    lectureRefusee(parent, raisonRefus(requete, QString()));
    return false;
}

bool lire(QSqlQuery &requete, const QString &instruction, QWidget *parent)
{
    if (executer(requete, instruction))
        return true;
    lectureRefusee(parent, raisonRefus(requete, QString()));
    return false;
}

bool lectureReussie(QWidget *parent, const Issue &issue)
{
    if (issue.ok())
        return true;
    lectureRefusee(parent, issue.raison);
    return false;
}

void dejaSupprimeSignale(QWidget *parent)
{
    QMessageBox::information(parent, QStringLiteral("Déjà supprimé"),
                             QStringLiteral("Cet élément avait déjà été supprimé par un autre "
                                            "poste : il n'y avait plus rien à supprimer."));
}

bool issueIncertaineSignalee(QWidget *parent, const Issue &issue)
{
    if (!historique::incertain(issue))
        return false;
    QMessageBox::warning(parent, QStringLiteral("Enregistrement incertain"), issue.raison);
    return true;
}

void conflitSignale(QWidget *parent, const QString &texte)
{
    conflitCompte();
    QMessageBox::warning(parent, QStringLiteral("Conflit avec un autre poste"),
                         texte.isEmpty()
                             ? QStringLiteral("Un autre poste a modifié les mêmes données au même "
                                              "moment.\nRien n'a été enregistré.")
                             : texte);
}
