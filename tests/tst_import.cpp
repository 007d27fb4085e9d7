#include "commun/historique.h"
#include "compte/import.h"
#include "support/base_de_test.h"
#include "support/fichiers.h"

#include <QtTest>

using namespace compte;

namespace {

QByteArray echantillon(const QString &nom)
{
    return lireFichier(QStringLiteral(TABLORAN_DONNEES "/") + nom);
}

// The entries a reading gives, "Dépense 4.20 label 2026-03-02", and the refused lines.
QStringList lues(const Releve &releve, QStringList *refus = nullptr)
{
    QStringList entrees;
    for (const LigneReleve &l : releve.lignes) {
        const Ecriture &e = l.ecriture;
        if (l.role == LigneReleve::Donnee && l.raison.isEmpty())
            entrees << QStringList { e.sujet, e.valeur, e.commentaire,
                                     e.date.toString(Qt::ISODate) }
                           .join(' ');
        else if (l.role == LigneReleve::Donnee && refus)
            *refus << QString::number(l.numero) + ": " + l.raison;
    }
    return entrees;
}

// What detection found: "encoding separator header format date label amount|debit,credit".
QString reglages(const Lecture &l)
{
    const QString montants = l.mode == ModeMontant::Signe
        ? QString::number(l.colonneMontant)
        : QStringLiteral("%1,%2").arg(l.colonneDebit).arg(l.colonneCredit);
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(int(l.encodage))
        .arg(l.separateur == '\t' ? QStringLiteral("tab") : QString(QLatin1Char(l.separateur)))
        .arg(l.entete)
        .arg(l.formatDate)
        .arg(l.colonneDate)
        .arg(l.colonneLibelle)
        .arg(montants);
}

Issue importerFichier(BaseDeTest &base, const QString &nom, BilanImport *bilan)
{
    const QByteArray octets = echantillon(nom);
    return importer(base.db, lireReleve(octets, detecter(octets)).lignes, nom, bilan);
}

QString texteBilan(const BilanImport &b)
{
    return QStringLiteral("%1 %2 %3").arg(b.ajoutees).arg(b.presentes).arg(b.refusees);
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samplesReadAsDetected_data()
    {
        QTest::addColumn<QString>("reglage");
        QTest::addColumn<QStringList>("entrees");
        QTest::addColumn<QStringList>("refus");
        const QString t = "T12:00:00";
        QTest::newRow("releve-signe.csv")
            << "1 ; 1 dd/MM/yyyy 0 1 2"
            << QStringList { "Dépense 4.20 CB BOULANGERIE DU PORT 2026-03-02" + t,
                             "Gain 2150.00 VIR SALAIRE MARS 2026-03-03" + t,
                             "Dépense 2.50 CB CAFE DE LA GARE 2026-03-04" + t,
                             "Dépense 2.50 CB CAFE DE LA GARE 2026-03-04" + t,
                             "Gain 3.00 REMBOURSEMENT MUTUELLE 2026-03-05" + t,
                             "Dépense 1234.56 PRLV EDF FACTURE 2026-03-06" + t }
            << QStringList();
        QTest::newRow("releve-debit-credit.csv")
            << "0 , 1 yyyy-MM-dd 0 1 2,3"
            << QStringList { "Dépense 35.10 PRLV ASSURANCE HABITATION 2026-03-02" + t,
                             "Gain 480.00 VIR CLIENT DUPONT 2026-03-09" + t,
                             "Dépense 120.00 CHEQUE 0001234 2026-03-12" + t }
            << QStringList();
        QTest::newRow("releve-windows.txt")
            << "2 tab 1 dd/MM/yy 0 2 3"
            << QStringList { "Dépense 18.90 CB PÂTISSERIE « L’ÉTÉ » 2026-03-10" + t,
                             "Gain 250.00 VIR REÇU DE MME NOËL – ŒUVRE 2026-03-11" + t,
                             "Dépense 2.00 FRAIS TENUE DE COMPTE 2€ 2026-03-12" + t }
            << QStringList();
        QTest::newRow("releve-titre.csv")
            << "0 ; 5 dd/MM/yyyy 0 2 3,4"
            << QStringList { "Dépense 45.00 CB STATION SERVICE 2026-03-14" + t,
                             "Gain 310.50 REMISE CHEQUES 2026-03-15" + t,
                             "Dépense 29.99 PRLV TELEPHONE 2026-03-16" + t }
            << QStringList { "9: La date « Total des opérations » n'est pas une date au format "
                             "dd/MM/yyyy" };
        QTest::newRow("releve-guillemets.csv")
            << "0 ; 1 dd/MM/yyyy 0 1 2"
            << QStringList { "Dépense 600.00 FACTURE N° 12; ACOMPTE \"TRAVAUX\"\nCHANTIER NORD "
                             "2026-03-20"
                                 + t,
                             "Gain 750.00 VIR \"LOYER\" AVRIL 2026-03-21" + t }
            << QStringList();
    }

    void samplesReadAsDetected()
    {
        QFETCH(QString, reglage);
        QFETCH(QStringList, entrees);
        QFETCH(QStringList, refus);
        const QByteArray octets = echantillon(QTest::currentDataTag());
        QVERIFY(!octets.isEmpty());
        const Lecture lecture = detecter(octets);
        QCOMPARE(reglages(lecture), reglage);
        QStringList refusees;
        QCOMPARE(lues(lireReleve(octets, lecture), &refusees), entrees);
        QCOMPARE(refusees, refus);
    }

    void badLinesNamedWithTheirNumbers()
    {
        // Line 3's quoted label spans two lines: the bad ones are 5 and 6.
        const QByteArray octets = "Date;Libellé;Montant\n01/02/2026;a;1\n02/02/2026;\"b\nc\";2\n"
                                  "30/02/2026;d;3\n03/02/2026;e;douze\n04/02/2026;f;0,5\n";
        QStringList refus;
        QCOMPARE(lues(lireReleve(octets, detecter(octets)), &refus).size(), 3);
        QCOMPARE(refus,
                 QStringList({ "5: La date « 30/02/2026 » n'est pas une date au format dd/MM/yyyy",
                               "6: Le montant « douze » n'est pas un nombre : écrivez par exemple "
                               "1500 ou 12,50" }));
    }

    void headerlessStatementsReadByTheirContent()
    {
        // No names: the date, the amounts and the longest text are found by what they hold.
        const QList<std::tuple<QByteArray, QString, int>> cas = {
            { "05/03/2026;-12,50;CB BOULANGERIE\n06/03/2026;100,00;VIR\n", "0 ; 0 dd/MM/yyyy 0 2 1",
              2 },
            { "2026-03-05\tCB X\t12,50\t\n2026-03-06\tVIR Y\t\t100\n2026-03-07\tZ\t1\t\n",
              "0 tab 0 yyyy-MM-dd 0 1 2,3", 3 },
            // A year the book cannot hold, a character it cannot store.
            { "05/03/2026;2;c\n05/03/0999;1;a\n05/03/2026;1;b\U0001F600\n",
              "0 ; 0 dd/MM/yyyy 0 2 1", 1 },
        };
        for (const auto &[octets, reglage, nombre] : cas) {
            const Lecture lecture = detecter(octets);
            QCOMPARE(reglages(lecture), reglage);
            QCOMPARE(lues(lireReleve(octets, lecture)).size(), nombre);
        }
    }

    void importingTwiceAddsNothingAndIdenticalLinesCount()
    {
        BaseDeTest base;
        // One of the two coffees is in the book already: the other is added.
        QVERIFY(ajouter(base.db,
                        { {},
                          "Dépense",
                          "2,5",
                          "CB CAFE DE LA GARE",
                          QDateTime(QDate(2026, 3, 4), QTime(8, 0)) })
                    .ok());
        BilanImport bilan;
        QVERIFY(importerFichier(base, "releve-signe.csv", &bilan).ok());
        QCOMPARE(texteBilan(bilan), "5 1 0");
        QCOMPARE(base.valeur("SELECT COUNT(*) FROM compte WHERE commentaire = 'CB CAFE DE LA "
                             "GARE' AND date_insert = '2026-03-04 12:00'"),
                 1);
        QVERIFY(importerFichier(base, "releve-signe.csv", &bilan).ok());
        QCOMPARE(texteBilan(bilan), "0 6 0");
        QVERIFY(importerFichier(base, "releve-titre.csv", &bilan).ok());
        QCOMPARE(texteBilan(bilan), "3 0 1");
        QCOMPARE(base.compte("compte"), 9);
        QCOMPARE(base.valeur("SELECT resume FROM operations ORDER BY id DESC LIMIT 1"),
                 "Relevé « releve-titre.csv » importé (3 entrées)");
    }

    void oneOperationUndoneWholeAndARefusalLeavesNothing()
    {
        BaseDeTest base;
        BilanImport bilan;
        QVERIFY(importerFichier(base, "releve-debit-credit.csv", &bilan).ok());
        QCOMPARE(base.lignes("SELECT genre, (SELECT COUNT(*) FROM historique h WHERE "
                             "h.operation = o.numero AND action = 'ajout') FROM operations o"),
                 QList<QVariantList>({ { "import", 3 } }));
        historique::Entree entree;
        QVERIFY(historique::derniere(base.db, &entree).ok());
        historique::Annulation annulation;
        QVERIFY(historique::annuler(base.db, entree.numero, &annulation).ok());
        QCOMPARE(annulation.retirees, 3);
        QCOMPARE(base.compte("compte"), 0);

        // The server refuses the second line: neither entries nor journal are left.
        base.sql("DELETE FROM historique");
        base.sql("DELETE FROM operations");
        base.sql("CREATE TRIGGER refus BEFORE INSERT ON compte FOR EACH ROW IF NEW.commentaire "
                 "= 'VIR CLIENT DUPONT' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
                 "'refus du serveur'; END IF");
        const Issue issue = importerFichier(base, "releve-debit-credit.csv", &bilan);
        QCOMPARE(issue.genre, Issue::Erreur);
        QVERIFY(issue.raison.contains("refus du serveur"));
        QCOMPARE(base.compte("compte") + base.compte("operations") + base.compte("historique"), 0);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
