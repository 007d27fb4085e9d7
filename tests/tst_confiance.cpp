// What the user is told, and what stays stored, when the server or another
// workstation pulls the ground away: tables on an engine without transactions,
// a connection lost while a grid is saved, a row added while a register is
// emptied, an entry deleted elsewhere first.

#include "commun/grilles.h"
#include "commun/sauvegarde/outils.h"
#include "commun/sauvegarde/sauvegarde.h"
#include "support/banc.h"

#include <QProcess>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>

using namespace sauvegarde;

namespace {

QSqlTableModel *grilleDe(QDialog *d)
{
    return qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>("grille")));
}

} // namespace

class TestConfiance : public QObject
{
    Q_OBJECT

private slots:
    // A server whose default engine has no transactions: the tables the gates
    // create are InnoDB all the same, and a table found on MyISAM is converted,
    // rows and all, after a backup of it, the user told once.
    void tablesAreInnoDbWhateverTheServerDefault()
    {
        Banc banc;
        const QVariant moteur = banc.valeur("SELECT @@GLOBAL.default_storage_engine");
        banc.sql("SET GLOBAL default_storage_engine = 'MyISAM'");
        const auto remettre =
            qScopeGuard([&] { banc.sql("SET GLOBAL default_storage_engine = ?", { moteur }); });
        banc.sql(schema::creation({ "compte" }).first().replace("ENGINE=InnoDB", "ENGINE=MyISAM"));
        banc.sql("INSERT INTO compte VALUES (4, 'Gain', '12', 'ancien', '2013-03-05')");
        QCOMPARE(banc.valeur("SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                             "DATABASE() AND TABLE_NAME = 'compte'"),
                 "MyISAM");

        banc.pilote.boite();
        QVERIFY(banc.fenetre().connexionCompte());
        QVERIFY(banc.fenetre().connexionCommande());
        QVERIFY(banc.fenetre().connexionEmploye());
        QCOMPARE(banc.lignes("SELECT TABLE_NAME, ENGINE FROM information_schema.TABLES WHERE "
                             "TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME"),
                 (QList<QVariantList> { { "absence", "InnoDB" },
                                        { "clients", "InnoDB" },
                                        { "commandes", "InnoDB" },
                                        { "compte", "InnoDB" },
                                        { "employes", "InnoDB" } }));
        QCOMPARE(banc.lignes("SELECT id, commentaire FROM compte"),
                 (QList<QVariantList> { { 4, "ancien" } }));
        const QStringList ecrites =
            QDir(dossierAutomatique()).entryList({ "avant-conversion-compte-*.sql" });
        QCOMPARE(ecrites.size(), 1);
        const QString fichier = QDir(dossierAutomatique()).filePath(ecrites.first());
        QCOMPARE(examiner(fichier).rangs, (Rangs { { "compte", 1 } }));
        vuesCommencent(banc.pilote,
                       { "I Tables converties: La table compte était enregistrée sans "
                         "transactions" });
        QVERIFY(banc.pilote.boites.first().texte.endsWith(fichier));

        // Told once: the next commands pass without a word.
        QVERIFY(banc.fenetre().connexionCompte());
        QCOMPARE(banc.pilote.boites.size(), 1);
    }

    // The connection dies while the grid holds edits: nothing is written, the
    // edits stay typed and pending, and the box says the connection was lost.
    void gridKeepsItsEditsWhenTheConnectionIsLost()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("INSERT INTO compte VALUES (1, 'Gain', '10', 'a', '2013-03-05'), "
                 "(2, 'Gain', '20', 'b', '2013-03-04')");
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            QSqlTableModel *m = grilleDe(d);
            QCOMPARE(m->rowCount(), 2);
            QVERIFY(m->setData(m->index(0, 2), "11"));
            QVERIFY(m->setData(m->index(1, 3), "bis"));
            for (const QVariantList &id :
                 banc.lignes("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = DATABASE() "
                             "AND ID <> CONNECTION_ID()"))
                banc.sql("KILL " + id.first().toString());

            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(m->rowCount(), 2);
            QCOMPARE(m->index(0, 2).data().toString(), "11");
            QCOMPARE(m->index(1, 3).data().toString(), "bis");
            QVERIFY(m->isDirty(m->index(0, 2)));
            QVERIFY(m->isDirty(m->index(1, 3)));
            appuyer(d, "Fermer la fenêtre");
        });
        vuesCommencent(banc.pilote,
                       { "W Modifications échouées: Modifications échouées\nUn ou plusieurs des "
                         "éléments ont été mal modifiées\nLa connexion à la base de donnée a été "
                         "perdue : rien n'a été enregistré, et vos modifications restent en "
                         "attente" });
        QCOMPARE(banc.lignes("SELECT valeur, commentaire FROM compte ORDER BY id"),
                 (QList<QVariantList> { { "10", "a" }, { "20", "b" } }));
    }

    // Another workstation adds an entry once the backup has begun: it is not
    // in the backup, and "Vider" leaves it.
    void emptyingLeavesWhatItsBackupDoesNotHold()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("INSERT INTO compte VALUES (1, 'Gain', '10', 'a', '2013-03-05')");
        // The other workstation's entry is written before the backup starts,
        // and committed only after it: the backup cannot see it, the emptying
        // waits for it.
        QProcess autre;
        observerProcessus([&](const QString &, const QStringList &) {
            if (autre.state() != QProcess::NotRunning)
                return;
            autre.start("mariadb",
                        { "--no-defaults", "-uroot", banc.nomBase, "-e",
                          "BEGIN; INSERT INTO compte VALUES (2, 'Gain', '20', "
                          "'ailleurs', NOW()); DO SLEEP(1.5); COMMIT;" });
            QVERIFY(autre.waitForStarted());
            int ecrites = 0;
            for (int essai = 0; essai < 100 && !ecrites; ++essai) {
                QTest::qWait(20);
                ecrites = banc.valeur("SELECT COUNT(*) FROM information_schema.INNODB_TRX WHERE "
                                      "trx_rows_modified > 0")
                              .toInt();
            }
            QVERIFY(ecrites > 0);
        });
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneauCompte, "Vider"));
        observerProcessus({});
        autre.waitForFinished();
        QVERIFY2(autre.exitCode() == 0, autre.readAllStandardError().constData());
        vuesCommencent(banc.pilote,
                       { "Q Confirmation: Voulez vous vraiment vider vos données ?",
                         "I Vidage reussi: Vos données ont été vidé avec succes" });
        QCOMPARE(banc.lignes("SELECT id, commentaire FROM compte"),
                 (QList<QVariantList> { { 2, "ailleurs" } }));
        const QStringList ecrites = QDir(dossierAutomatique()).entryList({ "avant-vider-*.sql" });
        QCOMPARE(ecrites.size(), 1);
        QCOMPARE(examiner(QDir(dossierAutomatique()).filePath(ecrites.first())).rangs,
                 (Rangs { { "compte", 1 } }));
    }

    // An entry another workstation deleted after the list was shown: the user
    // is told it was deleted already, not that the deletion succeeded.
    void deletingWhatIsAlreadyGoneSaysSo()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("INSERT INTO compte VALUES (7, 'Gain', '150', '', '2013-03-05')");
        banc.lancer(panneauCompte, "Supprimer", [&](QDialog *d) {
            banc.sql("DELETE FROM compte WHERE id = 7");
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            appuyer(d, "Supprimer");
        });
        vuesCommencent(banc.pilote,
                       { "Q Confirmation: Voulez vous vraiment supprimer le sujet n°7",
                         "I Déjà supprimé: Cet élément avait déjà été supprimé par un autre "
                         "poste" });
    }
};

QTEST_MAIN(TestConfiance)
#include "tst_confiance.moc"
