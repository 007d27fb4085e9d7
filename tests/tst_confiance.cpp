// What the user sees and what stays stored when the ground is pulled away.

#include "commun/grilles.h"
#include "commun/sauvegarde/outils.h"
#include "commun/sauvegarde/sauvegarde.h"
#include "support/banc.h"

#include <QProcess>
#include <QSqlTableModel>
#include <QTableView>

using namespace sauvegarde;

class TestConfiance : public QObject
{
    Q_OBJECT

private slots:
    // A server whose default engine has no transactions: the gates' tables are
    // InnoDB, and a MyISAM one is converted after a backup, the user told once.
    void tablesAreInnoDbWhateverTheServerDefault()
    {
        Banc banc;
        const QVariant moteur = banc.valeur("SELECT @@GLOBAL.default_storage_engine");
        banc.sql("SET GLOBAL default_storage_engine = 'MyISAM'");
        const auto remettre =
            qScopeGuard([&] { banc.sql("SET GLOBAL default_storage_engine = ?", { moteur }); });
        banc.sql(schema::creation({ "compte" }).first().replace("ENGINE=InnoDB", "ENGINE=MyISAM"));
        banc.sql("INSERT INTO compte VALUES (4, 'Gain', '12', 'ancien', '2013-03-05')");
        banc.pilote.boite();
        QVERIFY(banc.fenetre().connexionCompte() && banc.fenetre().connexionCommande()
                && banc.fenetre().connexionEmploye());
        QCOMPARE(banc.lignes("SELECT COUNT(*), GROUP_CONCAT(DISTINCT ENGINE) FROM "
                             "information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"),
                 (QList<QVariantList> { { 12, "InnoDB" } })); // the journal and invoices too
        QCOMPARE(banc.valeur("SELECT commentaire FROM compte WHERE id = 4"), "ancien");
        const QDir dossier(dossierAutomatique());
        const QStringList ecrites = dossier.entryList({ "avant-conversion-compte-*.sql" });
        QCOMPARE(ecrites.size(), 1);
        QCOMPARE(examiner(dossier.filePath(ecrites[0])).rangs, (Rangs { { "compte", 1 } }));
        vuesCommencent(banc.pilote, { "I Tables converties: La table compte était enregistrée" });
        QVERIFY(banc.pilote.boites.first().texte.endsWith(dossier.filePath(ecrites[0])));
        QVERIFY(banc.fenetre().connexionCompte());
        QCOMPARE(banc.pilote.boites.size(), 1);
    }

    // The connection dies while the grid holds edits: nothing is written, the
    // edits stay pending, and the box says the connection was lost.
    void gridKeepsItsEditsWhenTheConnectionIsLost()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("INSERT INTO compte VALUES (1, 'Gain', '10', 'a', '2013-03-05')");
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            auto *m = static_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>("grille")));
            QVERIFY(m->setData(m->index(0, 2), "11"));
            for (const QVariantList &id :
                 banc.lignes("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = DATABASE() "
                             "AND ID <> CONNECTION_ID()"))
                banc.sql("KILL " + id.first().toString());
            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(m->index(0, 2).data().toString(), "11");
            QVERIFY(m->isDirty(m->index(0, 2)));
            appuyer(d, "Fermer la fenêtre");
        });
        vuesCommencent(banc.pilote,
                       { "W Modifications échouées: Modifications échouées\nUn ou plusieurs des "
                         "éléments ont été mal modifiées\nLa connexion à la base de donnée a été "
                         "perdue : rien n'a été enregistré, et vos modifications restent en "
                         "attente" });
        QCOMPARE(banc.valeur("SELECT valeur FROM compte"), "10");
    }

    // Another workstation deletes an entry the list shows: the user is told it
    // was deleted already. It adds one once the backup of "Vider" has begun:
    // that one is not in the backup, and "Vider" leaves it.
    void workingBehindAnotherWorkstation()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("INSERT INTO compte VALUES (1, 'Gain', '150', '', '2013-03-05'), "
                 "(7, 'Gain', '10', 'a', '2013-03-05')");
        banc.lancer(panneauCompte, "Supprimer", [&](QDialog *d) {
            banc.sql("DELETE FROM compte WHERE id = 1");
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            appuyer(d, "Supprimer");
        });
        // Written before the backup starts, committed after: the backup cannot
        // see it, the emptying waits for it.
        QProcess autre;
        observerProcessus([&](const QString &, const QStringList &) {
            if (autre.state() != QProcess::NotRunning)
                return;
            autre.start("mariadb",
                        { "--no-defaults", "-uroot", banc.nom, "-e",
                          "BEGIN; INSERT INTO compte VALUES (9, 'Gain', '20', "
                          "'ailleurs', NOW()); DO SLEEP(1.5); COMMIT;" });
            QVERIFY(autre.waitForStarted());
            int essai = 0;
            do
                QTest::qWait(20);
            while (++essai < 100
                   && !banc.valeur("SELECT COUNT(*) FROM information_schema.INNODB_TRX WHERE "
                                   "trx_rows_modified > 0")
                           .toInt());
            QVERIFY(essai < 100);
        });
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneauCompte, "Vider"));
        observerProcessus({});
        autre.waitForFinished();
        QVERIFY2(autre.exitCode() == 0, autre.readAllStandardError().constData());
        vuesCommencent(banc.pilote,
                       { "Q Confirmation: Voulez vous vraiment supprimer le sujet n°1",
                         "I Déjà supprimé: Cet élément avait déjà été supprimé par un autre poste",
                         "Q Confirmation", "I Vidage reussi" });
        QCOMPARE(banc.lignes("SELECT id FROM compte"), (QList<QVariantList> { { 9 } }));
        const QDir dossier(dossierAutomatique());
        const QStringList ecrites = dossier.entryList({ "avant-vider-*.sql" });
        QCOMPARE(ecrites.size(), 1);
        QCOMPARE(examiner(dossier.filePath(ecrites.first())).rangs, (Rangs { { "compte", 1 } }));
    }
};

QTEST_MAIN(TestConfiance)
#include "tst_confiance.moc"
