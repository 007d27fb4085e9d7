#include "widgets/button.h"

#include <QLineEdit>
#include <QtTest>

// The colour the user sees in each state, and the transparent corners of the rounded shape.
class TestButton : public QObject
{
    Q_OBJECT

private:
    static QColor couleur(Button &b, int x, int y) { return b.grab().toImage().pixelColor(x, y); }
    static bool proche(const QColor &a, const QColor &b, int tolerance = 12)
    {
        return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
            && qAbs(a.blue() - b.blue()) <= tolerance;
    }
    // The mouse enters the button, or leaves it.
    static void survol(Button &b, bool dedans)
    {
        const QPointF centre = QRectF(b.rect()).center();
        QEnterEvent entree(centre, centre, centre);
        QEvent sortie(QEvent::Leave);
        QApplication::sendEvent(&b, dedans ? static_cast<QEvent *>(&entree) : &sortie);
    }

private Q_SLOTS:
    void plainLooksFollowTheMouse()
    {
        QWidget fenetre;
        fenetre.resize(200, 100);
        Button b(Couleurs::vert(), false, 0, 0, QString(), 120, 40, &fenetre);
        Button degrade(Couleurs::bleu(), true, 0, 0, QString(), 100, 100, &fenetre);
        degrade.move(100, 0);
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));

        survol(b, false); // the window may open under the mouse
        QVERIFY(proche(couleur(b, 2, 2), QColor("#0abd00")));
        QVERIFY(proche(couleur(b, 2, 37), QColor("#0abd00")));
        QTest::mouseMove(&b, QPoint(60, 20));
        survol(b, true);
        QVERIFY(proche(couleur(b, 2, 2), QColor("#0de900")));

        // Any mouse button shows the pressed look; only the left one clicks.
        QSignalSpy clics(&b, &Button::clicked);
        QTest::mousePress(&b, Qt::RightButton, {}, QPoint(60, 20));
        QVERIFY(proche(couleur(b, 60, 20), QColor("#078400")));
        QTest::mouseRelease(&b, Qt::RightButton, {}, QPoint(60, 20));
        QCOMPARE(clics.count(), 0);
        QVERIFY(proche(couleur(b, 60, 20), QColor("#0de900")));

        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(60, 20));
        QCOMPARE(clics.count(), 1);
        survol(b, false);
        QVERIFY(proche(couleur(b, 60, 20), QColor("#0abd00")));
        // A disabled button keeps its normal look whatever the mouse does.
        b.setEnabled(false);
        survol(b, true);
        QVERIFY(proche(couleur(b, 60, 20), QColor("#0abd00")));
        // A gradient runs from the base colour at the top to the hover one, upside down on hover.
        survol(degrade, false);
        QVERIFY(proche(couleur(degrade, 50, 0), QColor("#275fb3")));
        QVERIFY(proche(couleur(degrade, 50, 99), QColor("#508fd8")));
        survol(degrade, true);
        QVERIFY(proche(couleur(degrade, 50, 0), QColor("#508fd8")));
        QVERIFY(proche(couleur(degrade, 50, 99), QColor("#275fb3")));
    }

    void roundedCornersStayTransparent()
    {
        const auto opacite = [](int rayon, const QPoint &point) {
            Button b(Couleurs::vert(), false, rayon, rayon, QString(), 280, 40);
            QImage image(b.size(), QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            b.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image.pixelColor(point).alpha();
        };
        QCOMPARE(opacite(20, { 0, 0 }), 0);
        QCOMPARE(opacite(20, { 279, 39 }), 0);
        QCOMPARE(opacite(20, { 140, 20 }), 255);
        QCOMPARE(opacite(0, { 0, 0 }), 255);
    }

    void textIsDrawnInTheTextColour()
    {
        Button b(Couleurs::rouge().avecTexte(Qt::black), false, 0, 0, QStringLiteral("MMMMMMMM"),
                 200, 40);
        b.setTextStyle(7, QStringLiteral("bold"));
        QImage image = b.grab().toImage();
        int sombres = 0;
        for (int i = 0; i < image.width() * image.height(); ++i)
            sombres += image.pixelColor(i % image.width(), i / image.width()).lightness() < 60;
        QVERIFY(sombres > 20);
    }

    // The keyboard's focus shows as an outline just inside the edge, in the
    // text's colour; the rest of the button keeps its colours.
    void focusShowsAnOutlineInside()
    {
        QWidget fenetre;
        Button b(Couleurs::vert(), false, 0, 0, QString(), 120, 40, &fenetre);
        auto *autre = new QLineEdit(&fenetre);
        autre->move(0, 50);
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowActive(&fenetre));
        autre->setFocus();
        const QImage sans = b.grab().toImage();
        // A click leaves no mark; Tab does.
        QTest::mouseClick(&b, Qt::LeftButton);
        QVERIFY(b.hasFocus());
        QCOMPARE(b.grab().toImage(), sans);
        autre->setFocus();
        QTest::keyClick(autre, Qt::Key_Tab);
        QVERIFY(b.hasFocus());
        const QImage avec = b.grab().toImage();
        int traits = 0;
        for (int x = 0; x < avec.width(); ++x) {
            for (int y = 0; y < avec.height(); ++y) {
                if (avec.pixel(x, y) == sans.pixel(x, y))
                    continue;
                const int bord =
                    qMin(qMin(x, y), qMin(avec.width() - 1 - x, avec.height() - 1 - y));
                QVERIFY2(bord >= 1 && bord <= 4, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                // White text on green: the outline can only lighten.
                QVERIFY(avec.pixelColor(x, y).lightness() > sans.pixelColor(x, y).lightness());
                ++traits;
            }
        }
        QVERIFY2(traits > avec.width() / 2, qPrintable(QString::number(traits)));
    }
};

QTEST_MAIN(TestButton)
#include "tst_button.moc"
