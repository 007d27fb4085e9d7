#include "app/apparence.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

namespace {

// A list popup, a combo box's or a completer's, opens as wide as its field.
// This one widens it, as it is shown or resized, to its longest entry (up to
// the screen's width), keeping it on screen.
class PopupsLarges : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override
    {
        // A combo box lays its popup out before showing it; a completer lays
        // its popup out again at every key, while it is shown.
        const QEvent::Type type = evenement->type();
        if ((type == QEvent::Show || type == QEvent::Resize) && objet->isWidgetType()) {
            auto *fenetre = static_cast<QWidget *>(objet);
            if (!fenetre->isWindow())
                return false;
            if (auto *liste = qobject_cast<QComboBox *>(fenetre->parentWidget())) {
                if (type == QEvent::Show)
                    elargir(fenetre, liste->view(), liste->modelColumn());
            } else if (auto *vue = qobject_cast<QAbstractItemView *>(fenetre)) {
                elargir(fenetre, vue, 0);
            }
        }
        return false;
    }

private:
    static constexpr int margeEntree = 24;

    static void elargir(QWidget *fenetre, QAbstractItemView *vue, int colonne)
    {
        const QAbstractItemModel *modele = vue->model();
        const int lignes = modele ? modele->rowCount(vue->rootIndex()) : 0;
        if (lignes == 0)
            return;

        // The longest entry's text, read from the model: the item delegates of
        // combo popups size their items after the combo, not after the text.
        const QFontMetrics mesure(vue->font());
        int texte = 0;
        for (int ligne = 0; ligne < lignes; ++ligne) {
            const QModelIndex index = modele->index(ligne, colonne, vue->rootIndex());
            texte = qMax(texte, mesure.horizontalAdvance(index.data().toString()));
        }
        // The item's own margins, the popup's around the list, the list's
        // frame, its scroll bar.
        int largeur = texte + margeEntree + fenetre->width() - vue->width() + 2 * vue->frameWidth();
        if (vue->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            largeur += vue->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vue);
        if (largeur <= fenetre->width())
            return;

        const QRect ecran = fenetre->screen()->availableGeometry();
        largeur = qMin(largeur, ecran.width());
        QRect cadre = fenetre->geometry();
        cadre.setWidth(largeur);
        if (cadre.right() > ecran.right())
            cadre.moveRight(ecran.right());
        fenetre->setGeometry(cadre);
    }
};

} // namespace

void preparerApplication(QApplication &application)
{
    static QPointer<QObject> installe;
    if (installe)
        return;

    QApplication::setApplicationName(QStringLiteral("tabloran"));

    // The windows place their widgets at fixed pixels, drawn for a font of
    // Arial's widths at 11 pixels; Liberation Sans has exactly those widths.
    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(11);
    QApplication::setFont(police);

    installe = new PopupsLarges(&application);
    application.installEventFilter(installe);
}
