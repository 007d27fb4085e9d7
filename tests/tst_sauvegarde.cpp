#include "commun/sauvegarde.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace sauvegarde;

namespace {

// A dump as mariadb-dump writes it, in two pieces around the rows of `compte`.
const QByteArray debutDump = R"(/*M!999999\- enable the sandbox mode */ 
-- MariaDB dump 10.19  Distrib 10.11.19-MariaDB, for debian-linux-gnu (x86_64)
/*!40101 SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT */;
/*!40101 SET NAMES utf8mb4 */;
/*!40101 SET @OLD_SQL_MODE=@@SQL_MODE, SQL_MODE='NO_AUTO_VALUE_ON_ZERO' */;
DROP TABLE IF EXISTS `compte`;
/*!40101 SET @saved_cs_client     = @@character_set_client */;
CREATE TABLE `compte` (
  `id` smallint(5) unsigned NOT NULL AUTO_INCREMENT,
  `sujet` enum('Dépense','Gain') NOT NULL COMMENT 'a;b',
  PRIMARY KEY (`id`)
) ENGINE=InnoDB AUTO_INCREMENT=65536 DEFAULT CHARSET=utf8mb3 COLLATE=utf8mb3_general_ci;
LOCK TABLES `compte` WRITE;
/*!40000 ALTER TABLE `compte` DISABLE KEYS */;
)";
const QByteArray rangsDump =
    "INSERT INTO `compte` VALUES\n(1,'Gain','a\\'b;\\\\c\\n',NULL,-1.5e3),\n"
    "(65535,'D\\\"\"',\"x\",'',0);\n"
    "INSERT INTO `compte` VALUES (2,'it''s','(',')',1);\n";
const QByteArray finDump = R"(/*!40000 ALTER TABLE `compte` ENABLE KEYS */;
UNLOCK TABLES;
/*!40101 SET SQL_MODE=@OLD_SQL_MODE */;

-- Dump completed on 2026-12-06 16:46:04
)";

QByteArray dump(const QByteArray &rangs = rangsDump)
{
    return debutDump + rangs + finDump;
}

const QString incomplet = "il s'arrête avant la dernière ligne qu'écrit mariadb-dump : il est "
                          "incomplet";
QString instruction(int ligne)
{
    return QString("sa ligne %1 contient une instruction qu'une sauvegarde de ce programme ne "
                   "contient pas")
        .arg(ligne);
}

// A connection of the program's kind on the test's database, for the tools.
class Connexion
{
public:
    Connexion(Banc &banc, const QString &utilisateur = "root", const QString &motDePasse = {})
        : db(connexionServeur("outils", banc.nomBase, utilisateur, motDePasse))
    {
    }
    ~Connexion()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("outils");
    }
    QSqlDatabase db;
};

// Every register of the program, with the values that a dump must carry back
// exactly: quotes, backslashes, accents, line breaks, markup, NULL next to
// empty text, the last key numbers, awkward amounts.
void remplirTout(Banc &banc)
{
    QVERIFY(banc.fenetre().connexionCompte());
    QVERIFY(banc.fenetre().connexionCommande());
    QVERIFY(banc.fenetre().connexionEmploye());
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

// Every row of every register, as stored.
QList<QList<QVariantList>> registres(Banc &banc)
{
    QList<QList<QVariantList>> tout;
    for (const QString &table : tablesRegistres())
        tout << banc.lignes("SELECT * FROM " + table + " ORDER BY id");
    return tout;
}

const QString pageInfos = "Informations sur la base de donnée";

// Opens the information page and presses its buttons, one after another;
// the page is then closed.
void surLaPage(Banc &banc, const QStringList &boutons)
{
    banc.pilote.dialogue([boutons](QDialog *d) {
        for (const QString &b : boutons)
            Banc::clic(boutonTexte(d, b));
        Banc::clic(boutonTexte(d, "Fermer la page"));
    });
}

void ouvrirPage(Banc &banc)
{
    Banc::clic(banc.bouton(QString(), "Infos sur la base de donnée"));
}

// The next window is a file dialog: note what it offers, choose a file (or
// none, when the path is empty).
void fichier(Banc &banc, const QString &chemin, QString *propose = nullptr)
{
    banc.pilote.dialogue([=](QDialog *d) {
        auto *choix = qobject_cast<QFileDialog *>(d);
        QVERIFY(choix);
        if (propose) {
            *propose = choix->fileMode() == QFileDialog::AnyFile
                ? choix->selectedFiles().value(0)
                : choix->directory().absolutePath();
        }
        if (chemin.isEmpty()) {
            choix->reject();
            return;
        }
        choix->setDirectory(QFileInfo(chemin).path());
        choix->selectFile(QFileInfo(chemin).fileName());
        d->accept(); // QFileDialog's own accept(), which checks the name
    });
}

// The names a search field of the home page offers.
QStringList offerts(Banc &banc, const char *champ)
{
    return propositions(nomme<QLineEdit>(&banc.fenetre(), champ));
}

} // namespace

class TestSauvegarde : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir maison;

private Q_SLOTS:
    void initTestCase()
    {
        // A user of their own, whose documents folder is empty.
        qputenv("HOME", QFile::encodeName(maison.path()));
        QVERIFY(QDir(maison.path()).mkpath("Documents"));
    }

    void readerAcceptsOnlyCompleteDumpsOfTheProgramsTables_data()
    {
        QTest::addColumn<QByteArray>("texte");
        QTest::addColumn<QString>("refus");
        const auto cas = [](const char *nom, const QByteArray &texte, const QString &refus = {}) {
            QTest::newRow(nom) << texte << refus;
        };
        cas("dump", dump());
        cas("no rows", dump(""));
        cas("windows line ends", dump().replace("\n", "\r\n"));
        cas("cut in a string", dump().left(debutDump.size() + 40), incomplet);
        cas("empty", QByteArray(), incomplet);
        cas("no table", "/*!40101 SET NAMES utf8mb4 */;\n-- Dump completed\n",
            "il ne contient aucune table de ce programme");
        cas("other table", dump(rangsDump + "INSERT INTO `mysql`.`user` VALUES (1);\n"),
            instruction(19));
        cas("other table name", dump("DROP TABLE IF EXISTS `utilisateurs`;\n"),
            "il nomme la table « utilisateurs », qui n'est pas une table de ce programme");
        // Statements that a backup of this program never holds.
        for (const char *intrus :
             { "DROP DATABASE test;",
               "INSERT INTO `compte` VALUES (1,'a\\\\');DELETE FROM `compte`;",
               "INSERT INTO `compte` VALUES (1,LOAD_FILE('/etc/passwd'));", "\\! rm -rf /tmp/x",
               "/*!40101 SET SQL_MODE='NO_BACKSLASH_ESCAPES' */;",
               "CREATE TABLE `clients` (\n `id` int,\n FOREIGN KEY (`id`) REFERENCES "
               "`mysql`.`user` (`x`)\n) ENGINE=InnoDB;" })
            cas(intrus, dump(QByteArray(intrus) + '\n'), instruction(15));
    }

    void readerAcceptsOnlyCompleteDumpsOfTheProgramsTables()
    {
        QFETCH(QByteArray, texte);
        QFETCH(QString, refus);
        Lecteur entier;
        entier.lire(texte);
        const Contenu contenu = entier.fin();
        QCOMPARE(contenu.refus, refus);
        if (refus.isEmpty()) {
            QCOMPARE(contenu.tables, QStringList { "compte" });
            QCOMPARE(contenu.rangs.first().second, texte.contains("65535") ? 3 : 0);
        }
        // Pieces of any size give the same verdict.
        Lecteur octets;
        for (char c : texte)
            octets.lire(QByteArray(1, c));
        QCOMPARE(octets.fin().refus, refus);
    }

    void roundTripKeepsEveryRowAndTheOptionFileStaysPrivate()
    {
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        // A user whose password an option file must carry exactly.
        const QString motDePasse = "p\"a\\ss #w'ord é ;";
        banc.sql("DROP USER IF EXISTS 'sauveur'@'localhost'");
        banc.sql("CREATE USER 'sauveur'@'localhost' IDENTIFIED BY ?", { motDePasse });
        banc.sql("GRANT ALL ON " + banc.nomBase + ".* TO 'sauveur'@'localhost'");
        Connexion connexion(banc, "sauveur", motDePasse);
        QVERIFY(connexion.db.isOpen());

        QStringList lignesDeCommande;
        QStringList fichiersOptions;
        observerProcessus([&](const QString &programme, const QStringList &arguments) {
            lignesDeCommande << programme + ' ' + arguments.join(' ');
            const QString options = arguments.first().section('=', 1);
            QCOMPARE(QFileInfo(options).permissions(),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                         | QFileDevice::WriteUser);
            fichiersOptions << options;
        });

        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        const Bilan bilan = sauvegarder(connexion.db, tablesRegistres(), chemin);
        QVERIFY2(bilan.reussi(), qPrintable(bilan.message));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList { "tabloran.sql" });

        for (const QString &table : tablesRegistres())
            banc.sql("DROP TABLE " + table);
        const Contenu contenu = examiner(chemin);
        QCOMPARE(contenu.refus, QString());
        const Restauration restauration = restaurer(connexion.db, chemin, contenu);
        QCOMPARE(restauration.issue, Restauration::Reussie);
        QCOMPARE(registres(banc), avant);
        observerProcessus(nullptr);

        QCOMPARE(lignesDeCommande.size(), 2);
        QVERIFY(lignesDeCommande[0].contains("--single-transaction"));
        QVERIFY(
            lignesDeCommande[0].contains("--socket=" + qEnvironmentVariable("MYSQL_UNIX_PORT")));
        for (const QString &ligne : lignesDeCommande) {
            QVERIFY2(!ligne.contains("w'ord") && !ligne.contains("--password"), qPrintable(ligne));
        }
        for (const QString &options : fichiersOptions)
            QVERIFY(!QFileInfo::exists(options));
        banc.sql("DROP USER 'sauveur'@'localhost'");
    }

    void cancellingABackupLeavesNoFile()
    {
        Banc banc;
        remplirTout(banc);
        Connexion connexion(banc);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        QVERIFY(ecrireFichier(chemin, "ancien"));

        // The dump waits for the table that the test holds.
        banc.sql("LOCK TABLES compte WRITE");
        banc.pilote.dialogue([](QDialog *d) {
            auto *progression = qobject_cast<QProgressDialog *>(d);
            QVERIFY(progression);
            QCOMPARE(progression->windowModality(), Qt::ApplicationModal);
            for (QPushButton *b : d->findChildren<QPushButton *>()) {
                if (b->text() == "Annuler")
                    b->click();
            }
        });
        Progression::delai = 300;
        Progression progression(&banc.fenetre(), "Sauvegarde", true);
        const Bilan bilan = sauvegarder(connexion.db, tablesRegistres(), chemin, &progression);
        banc.sql("UNLOCK TABLES");
        QCOMPARE(bilan.issue, Bilan::Annule);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(lireFichier(chemin), QByteArray("ancien"));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList { "tabloran.sql" });
    }

    void automaticBackupsKeepTheNewestAndNeedTheirFolder()
    {
        Banc banc;
        remplirTout(banc);
        Connexion connexion(banc);
        const QString dossier = dossierAutomatique();
        QVERIFY(QDir().mkpath(dossier));
        const QDateTime longtemps = QDateTime::currentDateTime().addDays(-30);
        for (int n = 0; n < 22; ++n) {
            const QString chemin = QString("%1/avant-vider-compte-%2.sql").arg(dossier).arg(n);
            QVERIFY(ecrireFichier(chemin, "vieux"));
            QFile fichier(chemin);
            QVERIFY(fichier.open(QIODevice::ReadWrite));
            QVERIFY(fichier.setFileTime(longtemps.addSecs(n), QFileDevice::FileModificationTime));
        }
        QVERIFY(ecrireFichier(dossier + "/mienne.sql", "à moi"));

        const Bilan bilan = sauvegardeAutomatique(connexion.db, "avant-vider", { "compte" });
        QVERIFY2(bilan.reussi(), qPrintable(bilan.message));
        QVERIFY(QRegularExpression("/avant-vider-compte-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.sql$")
                    .match(bilan.fichier)
                    .hasMatch());
        QStringList restants = QDir(dossier).entryList(QDir::Files, QDir::Name);
        QCOMPARE(restants.size(), 21);
        QVERIFY(restants.contains("mienne.sql"));
        QVERIFY(restants.contains(QFileInfo(bilan.fichier).fileName()));
        QVERIFY(!restants.contains("avant-vider-compte-2.sql"));
        QVERIFY(restants.contains("avant-vider-compte-3.sql"));
    }

    void theInformationPageSavesAndRestoresEveryRegisterOrNothing()
    {
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        const QString chemin = banc.dossierTravail() + "/ma <b>sauvegarde d'été.sql";
        QString propose;
        surLaPage(banc, { "Sauvegarder" });
        fichier(banc, chemin, &propose);
        banc.pilote.boite();
        ouvrirPage(banc);
        QCOMPARE(propose,
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/tabloran-"
                     + QDate::currentDate().toString("yyyy-MM-dd") + ".sql");
        // The box names the file and the rows of each table.
        const QString lignes = "\n\ncompte : 3 lignes\ncommandes : 2 lignes\n";
        vuesCommencent(banc.pilote,
                       { "I Sauvegarde réussie: Les données ont été sauvegardées "
                         "dans le fichier :\n"
                         + chemin + lignes });
        QCOMPARE(banc.pilote.boites.first().parent, pageInfos);

        for (const QString &table : tablesRegistres())
            banc.sql("DELETE FROM " + table);
        banc.pilote.effacer();
        surLaPage(banc, { "Restaurer", "Restaurer" });
        // Enter answers no: nothing happens.
        fichier(banc, chemin);
        banc.pilote.entree();
        fichier(banc, chemin);
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        ouvrirPage(banc);
        const QString question = "Q Confirmation de la restauration: Voulez vous vraiment "
                                 "restaurer le fichier %1 ?\nLes données actuelles des tables "
                                 "compte, commandes, clients, employes et absence seront";
        vuesCommencent(banc.pilote,
                       { question.arg(chemin), question.arg(chemin),
                         "I Restauration réussie: Les données du fichier " + chemin
                             + " ont été restaurées." + lignes });
        QCOMPARE(registres(banc), avant);
        // The search fields offer the names now stored.
        QVERIFY(offerts(banc, "rechercheEdit").contains("<b>x</b>"));
        QVERIFY(offerts(banc, "employeRechercheEdit").contains("Nom Prénom"));

        // Files refused, and one failing part way: nothing changes.
        QByteArray texte = lireFichier(chemin);
        const QString tronque = banc.dossierTravail() + "/tronque.sql";
        QVERIFY(ecrireFichier(tronque, texte.left(texte.size() - 200)));
        const QString autre = banc.dossierTravail() + "/autre.sql";
        QVERIFY(ecrireFichier(autre, QByteArray(texte).replace("`clients`", "`utilisateurs`")));
        const QString mauvais = banc.dossierTravail() + "/mauvais.sql";
        texte.insert(texte.indexOf("INSERT INTO `clients` VALUES") + 28,
                     "\n(1,'double',NULL,'',''),");
        QVERIFY(ecrireFichier(mauvais, texte));
        // Had anything gone in, the book would have its entry back.
        banc.sql("DELETE FROM compte WHERE id = 2");
        const auto restes = registres(banc);
        banc.pilote.effacer();
        surLaPage(banc, { "Restaurer", "Restaurer", "Restaurer" });
        fichier(banc, tronque);
        banc.pilote.boite();
        fichier(banc, autre);
        banc.pilote.boite();
        fichier(banc, mauvais);
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        ouvrirPage(banc);
        vuesCommencent(
            banc.pilote,
            { "W Restauration refusée: Le fichier " + tronque + " ne peut pas être restauré : "
                  + incomplet + ".\nAucune donnée n'a été modifiée.",
              "W Restauration refusée: Le fichier " + autre
                  + " ne peut pas être restauré : il nomme la table « utilisateurs »",
              question.arg(mauvais),
              "W Restauration échouée: Le serveur a refusé une partie du fichier " + mauvais
                  + " ; les données ont été remises comme elles étaient avant la "
                    "restauration.\n\nMessage du serveur : ERROR 1180 (HY000)" });
        QCOMPARE(registres(banc), restes);
    }

    void everyEmptyingWritesItsBackupFirst_data()
    {
        QTest::addColumn<QString>("panneau");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("account book") << panneauCompte << QStringList { "compte" };
        QTest::newRow("customers and orders")
            << panneauCommandes << QStringList { "clients", "commandes" };
        QTest::newRow("employees") << panneauEmployes << QStringList { "employes", "absence" };
    }

    void everyEmptyingWritesItsBackupFirst()
    {
        QFETCH(QString, panneau);
        QFETCH(QStringList, tables);
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        const auto vider = [&] {
            if (panneau == panneauCommandes) {
                banc.pilote.dialogue([&](QDialog *d) {
                    d->findChild<QComboBox *>("videBox")->setCurrentIndex(1);
                    banc.pilote.boite(QMessageBox::Yes);
                    banc.pilote.boite();
                    Banc::clic(boutonTexte(d, "Vider"));
                    if (d->isVisible())
                        Banc::clic(boutonTexte(d, "Fermer la page"));
                });
            } else {
                banc.pilote.boite(QMessageBox::Yes);
                banc.pilote.boite();
            }
            Banc::clic(banc.bouton(panneau, "Vider"));
        };

        // Where the backups go, a file: nothing is emptied, and the box says why.
        const QString dossier = dossierAutomatique();
        QVERIFY(QDir().mkpath(QFileInfo(dossier).path()));
        QVERIFY(ecrireFichier(dossier, "obstacle"));
        vider();
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Warning, "Vidage annulé",
                          "La sauvegarde de sécurité de vos données n'a pas pu être écrite : le "
                          "dossier "
                              + dossier + " ne peut pas être créé.\nRien n'a été vidé."));
        QCOMPARE(registres(banc), avant);

        QVERIFY(QFile::remove(dossier));
        banc.pilote.effacer();
        vider();
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(1).icone, QMessageBox::Information);
        const QStringList ecrites = QDir(dossier).entryList({ "*.sql" });
        QCOMPARE(ecrites.size(), 1);
        QVERIFY2(QRegularExpression("^avant-vider-" + tables.join('-')
                                    + "-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.sql$")
                     .match(ecrites.first())
                     .hasMatch(),
                 qPrintable(ecrites.first()));
        // The backup holds the tables as they were, whole.
        const Contenu contenu = examiner(dossier + '/' + ecrites.first());
        QCOMPARE(contenu.tables, tables);
        for (const auto &[table, rangs] : contenu.rangs)
            QCOMPARE(rangs, avant.at(tablesRegistres().indexOf(table)).size());
        QVERIFY(registres(banc) != avant);

        // With no backup of their own, the user restores from there.
        QString depart;
        banc.pilote.effacer();
        surLaPage(banc, { "Restaurer" });
        fichier(banc, QString(), &depart);
        ouvrirPage(banc);
        QCOMPARE(depart, dossier);
    }

    void enterAnswersNoToEveryQuestionThatErases()
    {
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);
        banc.pilote.entree();
        Banc::clic(banc.bouton(panneauCompte, "Vider"));
        banc.pilote.entree();
        Banc::clic(banc.bouton(panneauEmployes, "Vider"));
        // The questions asked over a dialog, which stays open.
        const auto depuisDialogue = [&](const QString &panneau, const QString &commande,
                                        const QString &bouton, const QString &fermer) {
            banc.pilote.dialogue([&, bouton, fermer](QDialog *d) {
                banc.pilote.entree();
                Banc::clic(boutonTexte(d, bouton));
                QVERIFY(d->isVisible());
                Banc::clic(boutonTexte(d, fermer));
            });
            Banc::clic(banc.bouton(panneau, commande));
        };
        depuisDialogue(panneauCompte, "Supprimer", "Supprimer", "Annuler");
        depuisDialogue(panneauCommandes, "Vider", "Vider", "Fermer la page");
        depuisDialogue(panneauEmployes, "Supprimer", "Supprimer", "Fermer");
        depuisDialogue(panneauEmployes, "Supprimer une absence", "Supprimer l'absence", "Fermer");

        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.size(), 6);
        for (const Boite &b : banc.pilote.boites) {
            QCOMPARE(b.icone, QMessageBox::Question);
            QCOMPARE(b.boutons, QMessageBox::Yes | QMessageBox::No);
        }
        QCOMPARE(registres(banc), avant);
        QVERIFY(QDir(dossierAutomatique()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
