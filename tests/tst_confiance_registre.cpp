// The registers when another workstation got there first: a row already
// deleted, rows added while a register is emptied, a lock refused before a
// conflict; and CSV cells that a spreadsheet would run.

#include "commandes/registre.h"
#include "commun/grilles.h"
#include "compte/registre.h"
#include "employes/registre.h"
#include "support/base_de_test.h"

#include <QSqlError>
#include <QtTest>

namespace {

const char *personne = "INSERT INTO employes VALUES (?, 1, 'Diop', 'Awa', 'Diop Awa', 'F', 'x', "
                       "'1990-01-01', '2013-01-01', NULL, NULL, '')";
const char *absence = "INSERT INTO absence VALUES (?, ?, '2013-03-01', 2)";
const char *client = "INSERT INTO clients VALUES (?, 'Martin', '', 'm@x', '1')";
const char *commande =
    "INSERT INTO commandes VALUES (?, ?, 'pain', 1, 'kg', 1, '2', '2', '', NOW())";

} // namespace

class TestConfianceRegistre : public QObject
{
    Q_OBJECT

private slots:
    // Each deletion of a row another workstation deleted first says so, and
    // writes nothing.
    void deletingARowAlreadyGone()
    {
        BaseDeTest base;
        base.sql("INSERT INTO compte VALUES (1, 'Gain', '1', '', NOW())");
        base.sql(client, { 1 });
        base.sql(commande, { 1, 1 });
        base.sql(personne, { 1 });
        base.sql(absence, { 1, 1 });
        const QList<std::function<Issue(const QVariant &)>> suppressions = {
            [&](const QVariant &id) { return compte::supprimer(base.db, id); },
            [&](const QVariant &id) { return commandes::supprimerCommande(base.db, id); },
            [&](const QVariant &id) { return commandes::supprimerClient(base.db, id); },
            [&](const QVariant &id) { return employes::supprimerAbsence(base.db, id); },
            [&](const QVariant &id) { return employes::supprimerPersonne(base.db, id); },
        };
        for (const auto &supprimer : suppressions) {
            QCOMPARE(supprimer(2).genre, Issue::DejaSupprime);
            QCOMPARE(supprimer(1).genre, Issue::Ecrit);
            QCOMPARE(supprimer(1).genre, Issue::DejaSupprime);
        }
        for (const char *table : { "compte", "commandes", "clients", "employes", "absence" })
            QCOMPARE(base.compte(table), 0);
    }

    // Rows another workstation adds after the bounds were read (before the
    // backup) stay, and so do the customer or person they belong to.
    void emptyingStopsAtItsBounds()
    {
        BaseDeTest base;
        base.sql(client, { 1 });
        base.sql(client, { 2 });
        base.sql(commande, { 1, 1 });
        base.sql(commande, { 2, 2 });
        base.sql(personne, { 1 });
        base.sql(personne, { 2 });
        base.sql(absence, { 1, 1 });
        schema::Bornes bornes;
        QString probleme;
        QVERIFY(schema::plusHautsNumeros(base.db, { "clients", "commandes", "employes", "absence" },
                                         &bornes, &probleme));
        QCOMPARE(bornes.value("commandes"), 2);

        QSqlQuery autre(base.autre());
        for (const char *ajout :
             { "INSERT INTO clients VALUES (3, 'Neuf', '', 'n@x', '2')",
               "INSERT INTO commandes VALUES (3, 1, 'riz', 1, 'kg', 1, '3', '3', '', NOW())",
               "INSERT INTO employes VALUES (3, 1, 'Ba', 'Ali', 'Ba Ali', 'M', 'x', "
               "'1990-01-01', '2013-01-01', NULL, NULL, '')",
               "INSERT INTO absence VALUES (2, 2, '2013-03-02', 1)" })
            QVERIFY2(autre.exec(ajout), qPrintable(autre.lastError().text()));

        QVERIFY(commandes::viderClients(base.db, bornes).ok());
        QVERIFY(employes::viderType(base.db, 1, bornes).ok());
        QCOMPARE(base.lignes("SELECT id, client_id FROM commandes"),
                 (QList<QVariantList> { { 3, 1 } }));
        QCOMPARE(base.lignes("SELECT id FROM clients ORDER BY id"),
                 (QList<QVariantList> { { 1 }, { 3 } }));
        QCOMPARE(base.lignes("SELECT id FROM employes ORDER BY id"),
                 (QList<QVariantList> { { 2 }, { 3 } }));
        QCOMPARE(base.lignes("SELECT id FROM absence"), (QList<QVariantList> { { 2 } }));
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
        commandes::Commande c;
        c.nom = "pain";
        c.unite = "kg";
        c.prixUnitaire = "2";
        c.client = { QVariant(), "Martin", "", "m@x", "1" };
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
        const QList<QPair<QVariant, QString>> cas = {
            { "=1+1", "'=1+1" },
            { "+33 6 12", "'+33 6 12" },
            { "-x", "'-x" },
            { "@SUM(A1)", "'@SUM(A1)" },
            { "\tx", "'\tx" },
            { "\rx", "\"'\rx\"" },
            { "-12.50", "-12.50" },
            { "+5", "+5" },
            { -3, "-3" },
            { "a=b", "a=b" },
            { "", "" },
        };
        for (const auto &[valeur, attendu] : cas)
            QCOMPARE(champCsv(texteCsv(valeur)), attendu);
    }
};

QTEST_GUILESS_MAIN(TestConfianceRegistre)
#include "tst_confiance_registre.moc"
