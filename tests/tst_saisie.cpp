// The rules for typed text and numbers, and the settings file's words: no
// database, no window.

#include "app/parametres.h"
#include "app/saisie.h"

#include <QLocale>
#include <QtTest>

class TestSaisie : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nombresTapes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("lu");
        QTest::addColumn<double>("valeur");
        QTest::newRow("point in C") << "C"
                                    << "12.50" << true << 12.5;
        QTest::newRow("comma in C") << "C"
                                    << "12,5" << false << 0.0;
        QTest::newRow("comma in French") << "fr_FR"
                                         << "12,5" << true << 12.5;
        // The C locale is the second chance, whatever the user's language.
        QTest::newRow("point in French") << "fr_FR"
                                         << "12.5" << true << 12.5;
        QTest::newRow("letters") << "fr_FR"
                                 << "abc" << false << 0.0;
        QTest::newRow("empty") << "C"
                               << "" << false << 0.0;
        QTest::newRow("exponent") << "C"
                                  << "1e3" << true << 1000.0;
    }
    void nombresTapes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, texte);
        QFETCH(bool, lu);
        QFETCH(double, valeur);
        const QLocale avant;
        QLocale::setDefault(QLocale(locale));
        bool ok = !lu;
        QCOMPARE(lireNombre(texte, &ok), valeur);
        QCOMPARE(ok, lu);
        QLocale::setDefault(avant);
    }

    void nombresDuServeur()
    {
        QCOMPARE(texteNombre(6000000.0), "6000000");
        QCOMPARE(texteNombre(0.1 + 0.2), "0.3");
        QCOMPARE(texteNombre(37.5), "37.5");
        QCOMPARE(texteNombre(QVariant(QStringLiteral("12.50"))), "12.50");
        QCOMPARE(texteNombre(QVariant(65535)), "65535");
    }

    void texteLitteralDansLike()
    {
        QCOMPARE(motifContient("abc"), "%abc%");
        QCOMPARE(motifContient("100%"), "%100\\%%");
        QCOMPARE(motifContient("a_b"), "%a\\_b%");
        QCOMPARE(motifContient("c:\\x"), "%c:\\\\x%");
        QCOMPARE(motifContient("l'été"), "%l'été%");
    }

    void texteAfficheEtEnregistre()
    {
        QCOMPARE(html("<b>O'Brien & fils</b>"), "&lt;b&gt;O'Brien &amp; fils&lt;/b&gt;");
        QVERIFY(!saisie(QString()).isNull());
        QCOMPARE(saisie(QString()), "");
        QCOMPARE(saisie("x"), "x");
    }

    void motsDesParametres_data()
    {
        QTest::addColumn<QString>("contenu");
        QTest::addColumn<QStringList>("mots");
        QTest::newRow("four words") << "h b u p" << QStringList { "h", "b", "u", "p" };
        QTest::newRow("empty password") << "h b u " << QStringList { "h", "b", "u", "" };
        QTest::newRow("three words") << "h b u" << QStringList { "h", "b", "u" };
        QTest::newRow("line break") << "h b\n" << QStringList { "h", "b", "" };
        QTest::newRow("four lines") << "h\nb\nu\np" << QStringList { "h", "b", "u", "p" };
        QTest::newRow("empty database") << "h  u p" << QStringList { "h", "u", "p" };
        QTest::newRow("tabs and accents") << "hôte\tbase" << QStringList { "hôte", "base" };
        QTest::newRow("nothing") << "" << QStringList {};
    }
    void motsDesParametres()
    {
        QFETCH(QString, contenu);
        QFETCH(QStringList, mots);
        QCOMPARE(motsParametres(contenu), mots);
    }
};

QTEST_APPLESS_MAIN(TestSaisie)
#include "tst_saisie.moc"
