#include "app/apparence.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

// The program's look on any desktop: its font, and list popups that show their entries whole.
class TestApparence : public QObject
{
    Q_OBJECT

private:
    // Every entry of a shown popup reads whole (up to the screen's width), on screen.
    static void verifierLisible(QAbstractItemView *vue)
    {
        QVERIFY(vue->isVisible());
        const QRect ecran = vue->window()->screen()->availableGeometry();
        const QAbstractItemModel *modele = vue->model();
        for (int ligne = 0; ligne < modele->rowCount(vue->rootIndex()); ++ligne) {
            const QString texte = modele->index(ligne, 0, vue->rootIndex()).data().toString();
            const int besoin =
                qMin(vue->fontMetrics().horizontalAdvance(texte) + 8, ecran.width() - 40);
            QVERIFY2(vue->viewport()->width() >= besoin, qPrintable(texte));
        }
        QVERIFY(ecran.contains(vue->window()->geometry()));
    }

private Q_SLOTS:
    void initTestCase() { preparerApplication(*qApp); }

    void theProgramSpeaksInLiberationSans()
    {
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QApplication::font().pixelSize(), 11);
        QLabel label(QStringLiteral("Nom ou Prenom"));
        label.setStyleSheet(QStringLiteral("color:white;font-size:16px;"));
        label.ensurePolished();
        QCOMPARE(QFontInfo(label.font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(label.font().pixelSize(), 16);
    }

    void popupsAreAsWideAsTheirLongestEntry_data()
    {
        QTest::addColumn<QString>("entree");
        QTest::addColumn<int>("nombre");
        QTest::newRow("long list, with its scroll bar")
            << QStringLiteral("n°65535 Commande de Établissements Durand-Lefèvre et fils") << 40;
        QTest::newRow("wider than the screen") << QString(400, QLatin1Char('W')) << 2;
    }

    void popupsAreAsWideAsTheirLongestEntry()
    {
        QFETCH(QString, entree);
        QFETCH(int, nombre);
        QWidget fenetre;
        fenetre.setGeometry(600, 100, 300, 200);
        auto *liste = new QComboBox(&fenetre);
        liste->setGeometry(10, 10, 100, 25);
        for (int i = 1; i < nombre; ++i)
            liste->addItem(QStringLiteral("n°%1").arg(i));
        liste->addItem(entree);
        auto *champ = new QLineEdit(&fenetre);
        champ->setGeometry(10, 50, 120, 25);
        auto *completeur = new QCompleter(
            QStringList { "Durand-Lefèvre Marie-Hélène Anne-Sophie", "Dupont" }, champ);
        champ->setCompleter(completeur);
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        liste->showPopup();
        verifierLisible(liste->view());
        QVERIFY(liste->view()->window()->width() >= liste->width());
        liste->hidePopup();
        // A completer's too; typing on re-lays its popup out at the field's width: it widens again.
        champ->setFocus();
        for (const char *frappe : { "Du", "r" }) {
            QTest::keyClicks(champ, frappe);
            QTRY_VERIFY(completeur->popup()->isVisible());
            verifierLisible(completeur->popup());
        }
    }
};

QTEST_MAIN(TestApparence)
#include "tst_apparence.moc"
