#include "commun/progression.h"
#include "commun/sauvegarde/outils.h"
#include "commun/sauvegarde/sauvegarde.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace sauvegarde;

namespace {

// Every register, with values a dump must carry back exactly (NULL next to empty text too).
void remplirTout(Banc &banc)
{
    Entreprise &f = banc.fenetre();
    QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
    const QString bizarre = "l'été \"à\" 100% \\ _x_\n<b>deux</b>\r\tlignes ; -- # /* «»";
    banc.sql("INSERT INTO compte VALUES (1, 'Gain', '0.1', ?, '2013-03-05 09:25:00'), "
             "(65535, 'Dépense', '6000000', NULL, '2026-12-31 23:59:59'), "
             "(2, 'Dépense', '12,5', '', '2013-01-01')",
             { bizarre });
    banc.sql("INSERT INTO clients VALUES (65535, ?, NULL, 'a@b.c', '+33 1'), "
             "(1, '<i>Zoé</i>', ?, '', '')",
             { bizarre, "Société \"X\" \\" });
    banc.sql("INSERT INTO commandes VALUES (65535, 65535, ?, 0.1, 'kg', 3, '0.1', '0.3', ?, "
             "'2013-03-05 09:25:00'), (1, 1, '<b>x</b>', NULL, 'g', 0, '6000000', '6000000', "
             "NULL, '2013-03-05')",
             { "Pâte 'brisée'", bizarre });
    banc.sql("INSERT INTO employes VALUES (65535, 2, ?, 'Zoé', 'x', 'F', ?, '1990-02-28', "
             "'2013-03-05', 6, '2013-09-05', NULL), (1, 1, 'Nom', 'Prénom', 'Nom Prénom', 'M', "
             "'', '1970-01-01', '2000-01-01', NULL, NULL, ?)",
             { "O'Brien \\", bizarre, bizarre });
    banc.sql("INSERT INTO absence VALUES (65535, 65535, '2013-03-05', 65535), "
             "(1, 1, '2013-01-01', 0)");
}

// Of a backup and of files made from it, only the whole backup is taken.
void seulesLesSauvegardesEntieres(const QString &chemin)
{
    const QByteArray bon = lireFichier(chemin);
    QCOMPARE(examiner(chemin).refus, QString());
    const qsizetype clients = bon.indexOf("INSERT INTO `clients`");
    const QByteArray intrus = "INSERT INTO `compte` VALUES (1,LOAD_FILE('/etc/passwd'));\n";
    const QList<std::pair<QByteArray, QString>> cas = {
        { "/*!40101 SET NAMES utf8mb4 */;\n-- Dump completed\n",
          "il ne contient aucune table de ce programme" },
        { QByteArray(bon).replace("`clients`", "`utilisateurs`"),
          "il nomme la table « utilisateurs », qui n'est pas une table de ce programme" },
        { QByteArray(bon).insert(clients, intrus),
          QString("sa ligne %1 contient une instruction qu'une sauvegarde de ce programme ne "
                  "contient pas")
              .arg(bon.left(clients).count('\n') + 1) },
    };
    for (const auto &[texte, refus] : cas) {
        QVERIFY(ecrireFichier(chemin, texte));
        QCOMPARE(examiner(chemin).refus, refus);
    }
}

// Every row of every register, as stored.
QList<QList<QVariantList>> registres(Banc &banc)
{
    QList<QList<QVariantList>> tout;
    for (const QString &table : tablesRegistres()) {
        if (!schema::tablesJournal().contains(table))
            tout << banc.lignes("SELECT * FROM " + table + " ORDER BY id");
    }
    return tout;
}

// Presses the information page's buttons in turn; `suite` answers what they open.
void surLaPage(Banc &banc, const QStringList &boutons, const std::function<void()> &suite)
{
    banc.pilote.dialogue([boutons](QDialog *d) {
        for (const QString &b : boutons)
            Banc::clic(boutonTexte(d, b));
        Banc::clic(boutonTexte(d, "Fermer la page"));
    });
    suite();
    Banc::clic(banc.bouton(QString(), "Infos sur la base de donnée"));
}

// Answers the next file dialog with `chemin` (none if empty), noting what it offers.
void fichier(Banc &banc, const QString &chemin, QString *propose = nullptr)
{
    banc.pilote.dialogue([=](QDialog *d) {
        auto *choix = qobject_cast<QFileDialog *>(d);
        QVERIFY(choix);
        if (propose)
            *propose = choix->fileMode() == QFileDialog::AnyFile
                ? choix->selectedFiles().value(0)
                : choix->directory().absolutePath();
        if (chemin.isEmpty())
            return choix->reject();
        choix->setDirectory(QFileInfo(chemin).path());
        choix->selectFile(QFileInfo(chemin).fileName());
        d->accept(); // QFileDialog's own accept(), which checks the name
    });
}

const QString question = "Q Confirmation de la restauration: Voulez vous vraiment restaurer le "
                         "fichier %1 ?\nLes données actuelles des tables compte, commandes, "
                         "clients, employes, absence, entreprise, factures, lignes_facture, "
                         "commandes_facturees, compteurs_factures, operations et historique seront";

// Answers the next question: yes, then the box that follows; or Enter.
void repondre(Banc &banc, bool oui)
{
    if (!oui)
        return banc.pilote.entree();
    banc.pilote.boite(QMessageBox::Yes);
    banc.pilote.boite();
}

// Presses the Vider of a section of the home page and answers its question.
void vider(Banc &banc, const QString &panneau, bool oui)
{
    if (panneau != panneauCommandes)
        repondre(banc, oui);
    else
        banc.pilote.dialogue([&banc, oui](QDialog *d) {
            d->findChild<QComboBox *>("videBox")->setCurrentIndex(1);
            repondre(banc, oui);
            Banc::clic(boutonTexte(d, "Vider"));
            if (d->isVisible())
                Banc::clic(boutonTexte(d, "Fermer la page"));
        });
    Banc::clic(banc.bouton(panneau, "Vider"));
}

} // namespace

class TestSauvegarde : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir maison;

private Q_SLOTS:
    void initTestCase() // a user of their own, whose documents folder is empty
    {
        qputenv("HOME", QFile::encodeName(maison.path()));
        QVERIFY(QDir(maison.path()).mkpath("Documents"));
    }

    // The password goes in a file only its owner reads, removed after; a
    // cancelled backup leaves the file it would have replaced.
    void backupsKeepThePasswordPrivateAndCancellingLeavesTheOldFile()
    {
        Banc banc;
        remplirTout(banc);
        const QString motDePasse = "p\"a\\ss #w'ord é ;";
        banc.sql("DROP USER IF EXISTS 'sauveur'@'localhost'");
        banc.sql("CREATE USER 'sauveur'@'localhost' IDENTIFIED BY ?", { motDePasse });
        banc.sql("GRANT ALL ON " + banc.nom + ".* TO 'sauveur'@'localhost'");
        QSqlDatabase db = connexionServeur("outils", banc.nom, "sauveur", motDePasse);
        const auto fin = qScopeGuard([&] {
            db = {};
            QSqlDatabase::removeDatabase("outils");
        });
        QStringList lignesDeCommande, fichiersOptions;
        observerProcessus([&](const QString &programme, const QStringList &arguments) {
            lignesDeCommande << programme + ' ' + arguments.join(' ');
            fichiersOptions << arguments.first().section('=', 1);
            QCOMPARE(int(QFileInfo(fichiersOptions.last()).permissions()), 0x6600); // rw-------
        });
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        const Resultat bilan = sauvegarder(db, tablesRegistres(), chemin);
        observerProcessus(nullptr);
        QVERIFY2(bilan.reussi(), qPrintable(bilan.message));
        const QString dump = lignesDeCommande.value(0);
        QVERIFY(dump.contains("--single-transaction")
                && dump.contains("--socket=" + qEnvironmentVariable("MYSQL_UNIX_PORT")));
        QVERIFY2(!dump.contains("w'ord") && !dump.contains("--password"), qPrintable(dump));
        QVERIFY(!QFileInfo::exists(fichiersOptions.value(0)));
        seulesLesSauvegardesEntieres(chemin);
        QVERIFY(ecrireFichier(chemin, "ancien"));
        banc.sql("LOCK TABLES compte WRITE"); // the dump waits for it
        banc.pilote.dialogue([](QDialog *d) {
            QVERIFY(qobject_cast<QProgressDialog *>(d));
            d->findChild<QPushButton *>()->click();
        });
        Progression::delai = 300;
        Progression progression(&banc.fenetre(), "Veuillez patienter", "Sauvegarde", true);
        QCOMPARE(sauvegarder(db, tablesRegistres(), chemin, &progression).issue, Resultat::Annule);
        banc.sql("UNLOCK TABLES");
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(lireFichier(chemin), QByteArray("ancien"));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList { "tabloran.sql" });
    }

    // A file cut short is refused, one the server refuses part way is undone, Enter answers
    // no, and yes restores every register.
    void theInformationPageSavesAndRestoresEveryRegister()
    {
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        const QString chemin = banc.dossierTravail() + "/ma <b>sauvegarde d'été.sql";
        QString propose;
        surLaPage(banc, { "Sauvegarder" }, [&] {
            fichier(banc, chemin, &propose);
            banc.pilote.boite();
        });
        QCOMPARE(propose,
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/tabloran-"
                     + QDate::currentDate().toString("yyyy-MM-dd") + ".sql");
        QCOMPARE(banc.pilote.boites.value(0).parent, "Informations sur la base de donnée");
        const QByteArray bon = lireFichier(chemin);
        const QString tronque = chemin + ".tronque", mauvais = chemin + ".mauvais";
        QVERIFY(ecrireFichier(tronque, bon.left(bon.size() - 200)));
        const qsizetype clients = bon.indexOf("INSERT INTO `clients` VALUES") + 28;
        QVERIFY(ecrireFichier(mauvais, QByteArray(bon).insert(clients, "\n(1,'x',NULL,'',''),")));
        banc.sql("DELETE FROM compte WHERE id = 2"); // so that the restoration shows
        surLaPage(banc, QStringList(4, "Restaurer"), [&] {
            for (int i = 0; i < 4; ++i) { // Enter (no), then yes, in turn
                fichier(banc, QStringList { tronque, mauvais, chemin, chemin }.at(i));
                repondre(banc, i % 2);
            }
        });
        // The boxes name the file, and the rows of each table.
        const QString lignes = "\n\ncompte : 3 lignes\ncommandes : 2 lignes\n";
        vuesCommencent(
            banc.pilote,
            { "I Sauvegarde réussie: Les données ont été sauvegardées dans le fichier :\n" + chemin
                  + lignes,
              "W Restauration refusée: Le fichier " + tronque + " ne peut pas être restauré : il "
                  + "s'arrête avant la dernière ligne",
              question.arg(mauvais),
              "W Restauration échouée: Le serveur a refusé une partie du fichier " + mauvais
                  + " ; les données ont été remises comme elles étaient avant la "
                    "restauration.\n\nMessage du serveur : Duplicate entry",
              question.arg(chemin), question.arg(chemin),
              "I Restauration réussie: Les données du fichier " + chemin + " ont été restaurées."
                  + lignes });
        QCOMPARE(registres(banc), avant);
        QCOMPARE(banc.valeur("SELECT resume FROM operations ORDER BY id DESC LIMIT 1"),
                 "Sauvegarde « ma <b>sauvegarde d'été.sql » restaurée");
        // The search fields offer the names now stored.
        for (const auto &[champ, nom] : { std::pair("rechercheEdit", "<b>x</b>"),
                                          std::pair("employeRechercheEdit", "Nom Prénom") })
            QVERIFY(propositions(nomme<QLineEdit>(&banc.fenetre(), champ)).contains(nom));
    }

    void everyEmptyingAsksThenWritesItsBackupFirst_data()
    {
        QTest::addColumn<QString>("panneau");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("account book") << panneauCompte << QStringList { "compte" };
        QTest::newRow("customers and orders")
            << panneauCommandes << QStringList { "clients", "commandes" };
        QTest::newRow("employees") << panneauEmployes << QStringList { "employes", "absence" };
    }

    void everyEmptyingAsksThenWritesItsBackupFirst()
    {
        QFETCH(QString, panneau);
        QFETCH(QStringList, tables);
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        const QString dossier = dossierAutomatique();
        // Where the backups go, a file: nothing is emptied.
        QVERIFY(QDir().mkpath(QFileInfo(dossier).path()) && ecrireFichier(dossier, "obstacle"));
        vider(banc, panneau, true);
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Warning, "Vidage annulé",
                          "La sauvegarde de sécurité de vos données n'a pas pu être écrite : le "
                          "dossier "
                              + dossier + " ne peut pas être créé.\nRien n'a été vidé."));
        QCOMPARE(registres(banc), avant);
        QVERIFY(QFile::remove(dossier));
        // No backup before the user says yes.
        vider(banc, panneau, false);
        QVERIFY(QDir(dossier).entryList(QDir::Files).isEmpty());
        vider(banc, panneau, true);
        QVERIFY(registres(banc) != avant);
        const QStringList ecrites = QDir(dossier).entryList({ "*.sql" });
        const QRegularExpression nom("^avant-vider-" + tables.join('-') + "-[0-9-]{17}\\.sql$");
        QVERIFY2(ecrites.size() == 1 && nom.match(ecrites.value(0)).hasMatch(),
                 qPrintable(ecrites.join(' ')));
        // The backup holds the tables as they were, whole.
        const Examen examen = examiner(dossier + '/' + ecrites.first());
        QCOMPARE(examen.tables, tables);
        for (const auto &[table, rangs] : examen.rangs)
            QCOMPARE(rangs, avant.at(tablesRegistres().indexOf(table)).size());
        // With no backup of their own, the user restores from the program's.
        QString depart;
        surLaPage(banc, { "Restaurer" }, [&] { fichier(banc, QString(), &depart); });
        QCOMPARE(depart, dossier);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
