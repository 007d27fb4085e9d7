// Typed text and numbers, and the settings file's words: no database, no window.

#include "app/parametres.h"
#include "commun/saisie.h"

#include <QtTest>

class TestSaisie : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nombresDuServeur()
    {
        const QStringList textes = { texteNombre(6000000.0), texteNombre(0.1 + 0.2),
                                     texteNombre(37.5), texteNombre(QVariant("12.50")),
                                     texteNombre(QVariant(65535)) };
        QCOMPARE(textes, (QStringList { "6000000", "0.3", "37.5", "12.50", "65535" }));
    }

    void texteLitteralDansLike()
    {
        const QList<QPair<QString, QString>> cas = {
            { "abc", "%abc%" },       { "100%", "%100\\%%" }, { "a_b", "%a\\_b%" },
            { "c:\\x", "%c:\\\\x%" }, { "l'été", "%l'été%" },
        };
        for (const auto &[texte, motif] : cas)
            QCOMPARE(motifContient(texte), motif);
    }

    void texteAfficheEtEnregistre()
    {
        QCOMPARE(html("<b>O'Brien & fils</b>"), "&lt;b&gt;O'Brien &amp; fils&lt;/b&gt;");
        QVERIFY(!saisie(QString()).isNull() && saisie(QString()).isEmpty());
        QCOMPARE(saisie("x"), "x");
    }

    void motsDesParametres()
    {
        // An empty password is a word; an empty database is not.
        const QList<QPair<QString, QString>> cas = {
            { "h b u p", "h|b|u|p" },      { "h b u ", "h|b|u|" },
            { "h b u", "h|b|u" },          { "h b\n", "h|b|" },
            { "h\nb\nu\np", "h|b|u|p" },   { "h  u p", "h|u|p" },
            { "hôte\tbase", "hôte|base" }, { "", "" },
        };
        for (const auto &[texte, mots] : cas)
            QCOMPARE(motsParametres(texte), mots.isEmpty() ? QStringList() : mots.split('|'));
    }

    void amountsAreWrittenAsTheServerSumsThem_data()
    {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QString>("stocke");
        using Cas = QList<QPair<QString, QString>>;
        const Cas decimales = {
            { "12,50", "12.50" }, { "12.50", "12.50" }, { "1 000", "1000" }, { ",5", "0.5" },
            { "12,", "12" },      { "007", "7" },       { "+3", "3" },
        };
        const Cas exposants = {
            { "2,5e3", "2500" },    { "2,50E3", "2500" },   { "1.2345e2", "123.45" },
            { "1,5e-3", "0.0015" }, { "0,0001", "0.0001" }, { "\t 12 000,50 ", "12000.50" },
        };
        for (const auto &[tape, stocke] : decimales + exposants)
            QTest::newRow(qPrintable(tape)) << tape << stocke;
        QTest::newRow("20 digits") << QString(20, '9') << QString(20, '9');
        QTest::newRow("thin and non-breaking spaces")
            << "1" + QString(QChar(0xA0)) + "000" + QChar(0x202F) + "000,5"
            << "1000000.5";
    }

    void amountsAreWrittenAsTheServerSumsThem()
    {
        QFETCH(QString, tape);
        QFETCH(QString, stocke);
        QString raison;
        QCOMPARE(montantLu(tape, "Le montant", false, &raison), stocke);
        QCOMPARE(raison, QString());
    }

    void whatIsNotOnePlainNumberIsRefusedWithItsReason()
    {
        const QString pasNombre =
            "Le montant n'est pas un nombre : écrivez par exemple 1500 ou 12,50";
        // Each reason, and the texts it is given for.
        const QList<QPair<QString, QStringList>> cas = {
            { "Le montant est vide", { "", "   " } },
            { pasNombre,
              { "abc", "12,5,3", "1.000,50", "1'000", "12abc", "e5", ".", "nan", "inf", "١٢٣",
                "１２", "12😀" } },
            { "Le montant doit être plus grand que 0", { "0", "0,00e7", "-5" } },
            { "Le montant s'écrit avec plus de 20 caractères",
              { "100000000000000000000", "1e30", "1e-30", "1e999999999999" } },
        };
        for (const auto &[attendu, tapes] : cas) {
            for (const QString &tape : tapes) {
                QString raison;
                QVERIFY2(montantLu(tape, "Le montant", false, &raison).isNull(), qPrintable(tape));
                QCOMPARE(raison, attendu);
            }
        }
    }

    void unitPricesKeepTheirCurrencyMarksAndMayBeZero()
    {
        QString raison;
        for (const QString &prix :
             QStringList { "1500", "1500F", "1500CFA", "1500FCFA", "1500 F", "1 500 cfa" })
            QCOMPARE(prixLu(prix, &raison), QString("1500"));
        QCOMPARE(prixLu("12,50F", &raison), QString("12.50"));
        QCOMPARE(prixLu("0", &raison), QString("0"));
        QVERIFY(raison.isEmpty());
        for (const QString &prix :
             QStringList { "abc", "€12", "F1500", "1500€", "1500 francs", "-3" }) {
            QVERIFY2(prixLu(prix, &raison).isNull(), qPrintable(prix));
            QVERIFY(raison.startsWith("Le prix unitaire "));
        }
    }

    void textsTheColumnsCannotHoldAreNamed()
    {
        const QString soixante(60, 'x');
        QCOMPARE(premierRefus({ { "Le nom", soixante, 60 }, { "Le commentaire", "l'été\n%_", 0 } }),
                 QString());
        QCOMPARE(
            premierRefus({ { "Le nom", "ok", 60 }, { "Le nom du client", soixante + "y", 60 } }),
            QString("Le nom du client dépasse 60 caractères"));
        // The first field at fault is the one named, a character beyond 3 bytes before a length.
        QCOMPARE(premierRefus({ { "Le commentaire", "a😀b", 0 }, { "Le nom", soixante + "y", 60 } }),
                 QString("Le commentaire contient un caractère que la base ne peut pas "
                         "enregistrer : 😀"));
        QCOMPARE(caractereHorsBase(QString("a") + QChar(0xD83D) + "b"), QString("U+D83D"));
        QCOMPARE(caractereHorsBase(QString(QChar(0xDE00))), QString("U+DE00"));
        QVERIFY(caractereHorsBase("\u20ac\uffff\u200b\u0000").isNull());
        // A comment is counted in bytes: 21,845 three-byte characters fit, one more does not.
        const QString euros(21845, QChar(0x20AC));
        QVERIFY(premierRefus({ { "Le commentaire", euros, 0 } }).isEmpty());
        QCOMPARE(premierRefus({ { "Le commentaire", euros + "x", 0 } }),
                 QString("Le commentaire est trop long : la base en garde au plus 65 535 octets"));
    }

    void namesTogetherAndDays()
    {
        QVERIFY(refusNomPrenom(QString(60, 'n'), QString(59, 'p')).isEmpty());
        QCOMPARE(refusNomPrenom(QString(60, 'n'), QString(60, 'p')),
                 QString("Le nom et le prénom, avec l'espace qui les sépare, dépassent 120 "
                         "caractères"));
        QVERIFY(refusDate(2024, 2, 29, "date").isEmpty());
        QCOMPARE(refusDate(2023, 2, 29, "date de naissance"),
                 QString("Le 29 février 2023 n'existe pas (date de naissance)"));
        QCOMPARE(refusDate(2020, 4, 31, "date d'absence"),
                 QString("Le 31 avril 2020 n'existe pas (date d'absence)"));
    }
};

QTEST_APPLESS_MAIN(TestSaisie)
#include "tst_saisie.moc"
