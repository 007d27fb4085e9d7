// The registers when another workstation got there first: a row already
// deleted, a lock refused before a conflict; and CSV cells a spreadsheet runs.

#include "commandes/registre.h"
#include "commun/grilles.h"
#include "compte/registre.h"
#include "employes/registre.h"
#include "support/base_de_test.h"

#include <QtTest>

class TestConfianceRegistre : public QObject
{
    Q_OBJECT

private slots:
    // A deletion of a row another workstation deleted first says so.
    void deletingARowAlreadyGone()
    {
        BaseDeTest base;
        base.sql("INSERT INTO compte VALUES (1, 'Gain', '1', '', NOW())");
        base.sql("INSERT INTO clients VALUES (1, 'Martin', '', 'm@x', '1')");
        base.sql("INSERT INTO commandes VALUES (1, 1, 'pain', 1, 'kg', 1, '2', '2', '', NOW())");
        base.sql("INSERT INTO employes VALUES (1, 1, 'Diop', 'Awa', 'Diop Awa', 'F', 'x', "
                 "'1990-01-01', '2013-01-01', NULL, NULL, '')");
        base.sql("INSERT INTO absence VALUES (1, 1, '2013-03-01', 2)");
        using namespace commandes;
        for (const auto supprimer : { compte::supprimer, supprimerCommande, supprimerClient,
                                      employes::supprimerAbsence, employes::supprimerPersonne }) {
            QCOMPARE(supprimer(base.db, 2).genre, Issue::DejaSupprime);
            QCOMPARE(supprimer(base.db, 1).genre, Issue::Ecrit);
            QCOMPARE(supprimer(base.db, 1).genre, Issue::DejaSupprime);
        }
        for (const char *table : { "compte", "commandes", "clients", "employes", "absence" })
            QCOMPARE(base.compte(table), 0);
    }

    // On a cluster the customers' lock is refused; the conflict that ends the
    // attempt afterwards is what decides, and the order is written again.
    void refusedLockThenConflictIsReplayed()
    {
        BaseDeTest base;
        QSqlQuery verrou(base.autre());
        QVERIFY(verrou.exec("SELECT GET_LOCK(CONCAT('tabloran-clients-', MD5(DATABASE())), 0)"));
        base.sql("CREATE TRIGGER refus BEFORE INSERT ON commandes FOR EACH ROW BEGIN IF @refus "
                 "IS NULL THEN SET @refus = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = 1213; "
                 "END IF; END");
        QSqlQuery q(base.db);
        QVERIFY(q.exec("SET SESSION max_statement_time = 0.3"));
        const Conflits avant = conflits();
        const commandes::Commande c {
            {}, {}, "pain", 0, "kg", 1, "2", {}, {}, {}, { {}, "Martin", "", "m@x", "1" }
        };
        QElapsedTimer duree;
        duree.start();
        const Issue issue = commandes::ajouter(base.db, c);
        QVERIFY(duree.elapsed() >= 500); // the lock was waited for, twice, and refused
        QVERIFY(q.exec("SET SESSION max_statement_time = 0"));
        QCOMPARE(issue.genre, Issue::Ecrit);
        QCOMPARE(conflits().rejoues, avant.rejoues + 1);
        QCOMPARE(base.compte("commandes"), 1);
        QCOMPARE(base.compte("clients"), 1);
    }

    // Texts a spreadsheet would take for a formula get a leading quote;
    // numbers, even stored as text, stay as they are.
    void csvCellsNeverRunFormulas()
    {
        const QVariantList cas = { "=1+1", "'=1+1",    "+33 6 12",  "'+33 6 12", "-x",
                                   "'-x",  "@SUM(A1)", "'@SUM(A1)", "\tx",       "'\tx",
                                   "\rx",  "\"'\rx\"", "-12.50",    "-12.50",    "+5",
                                   "+5",   -3,         "-3",        "a=b",       "a=b",
                                   "",     "" };
        for (qsizetype i = 0; i < cas.size(); i += 2)
            QCOMPARE(champCsv(texteCsv(cas[i])), cas[i + 1].toString());
    }
};

QTEST_GUILESS_MAIN(TestConfianceRegistre)
#include "tst_confiance_registre.moc"
