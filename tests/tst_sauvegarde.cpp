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
  `sujet` enum('Dépense','Gain') NOT NULL COMMENT 'a;b', `valeur` varchar(20), `commentaire` text, `date_insert` datetime,
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

// The question before a restoration, up to the names of the tables.
const QString question = "Q Confirmation de la restauration: Voulez vous vraiment restaurer le "
                         "fichier %1 ?\nLes données actuelles des tables compte, commandes, "
                         "clients, employes et absence seront";

// Presses the Vider of a section of the home page and answers its question:
// yes (and the box that follows), or Enter.
void vider(Banc &banc, const QString &panneau, bool oui)
{
    const auto repondre = [&banc, oui] {
        if (oui) {
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
        } else {
            banc.pilote.entree();
        }
    };
    if (panneau == panneauCommandes) {
        banc.pilote.dialogue([repondre](QDialog *d) {
            d->findChild<QComboBox *>("videBox")->setCurrentIndex(1);
            repondre();
            Banc::clic(boutonTexte(d, "Vider"));
            if (d->isVisible())
                Banc::clic(boutonTexte(d, "Fermer la page"));
        });
    } else {
        repondre();
    }
    Banc::clic(banc.bouton(panneau, "Vider"));
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
        LecteurDump entier;
        entier.lire(texte);
        const Examen examen = entier.fin();
        QCOMPARE(examen.refus, refus);
        if (refus.isEmpty()) {
            QCOMPARE(examen.tables, QStringList { "compte" });
            QCOMPARE(examen.rangs.first().second, texte.contains("65535") ? 3 : 0);
        }
        // Pieces of any size give the same verdict.
        LecteurDump octets;
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
        const Examen examen = examiner(chemin);
        QCOMPARE(examen.refus, QString());
        const Restauration restauration = restaurer(connexion.db, chemin, examen);
        QCOMPARE(restauration.issue, Restauration::Reussie);
        QCOMPARE(registres(banc), avant);
        observerProcessus(nullptr);

        QCOMPARE(lignesDeCommande.size(), 1);
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
        Progression progression(&banc.fenetre(), "Veuillez patienter", "Sauvegarde", true);
        const Bilan bilan = sauvegarder(connexion.db, tablesRegistres(), chemin, &progression);
        banc.sql("UNLOCK TABLES");
        QCOMPARE(bilan.issue, Bilan::Annule);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(lireFichier(chemin), QByteArray("ancien"));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList { "tabloran.sql" });
    }

    void theInformationPageSavesAndRestoresEveryRegister()
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
        vuesCommencent(banc.pilote,
                       { question.arg(chemin), question.arg(chemin),
                         "I Restauration réussie: Les données du fichier " + chemin
                             + " ont été restaurées." + lignes });
        QCOMPARE(registres(banc), avant);
        // The search fields offer the names now stored.
        for (const auto &[champ, nom] : { std::pair("rechercheEdit", "<b>x</b>"),
                                          std::pair("employeRechercheEdit", "Nom Prénom") })
            QVERIFY(propositions(nomme<QLineEdit>(&banc.fenetre(), champ)).contains(nom));
    }

    void aRestorationRefusedOrFailingPartWayChangesNothing()
    {
        Banc banc;
        remplirTout(banc);
        const QString chemin = banc.dossierTravail() + "/bon.sql";
        {
            Connexion connexion(banc);
            QVERIFY(sauvegarder(connexion.db, tablesRegistres(), chemin).reussi());
        }
        QByteArray texte = lireFichier(chemin);
        const QString tronque = banc.dossierTravail() + "/tronque.sql";
        QVERIFY(ecrireFichier(tronque, texte.left(texte.size() - 200)));
        const QString mauvais = banc.dossierTravail() + "/mauvais.sql";
        texte.insert(texte.indexOf("INSERT INTO `clients` VALUES") + 28,
                     "\n(1,'double',NULL,'',''),");
        QVERIFY(ecrireFichier(mauvais, texte));
        // Had anything gone in, the book would have its entry back.
        banc.sql("DELETE FROM compte WHERE id = 2");
        const auto restes = registres(banc);

        surLaPage(banc, { "Restaurer", "Restaurer" });
        fichier(banc, tronque);
        banc.pilote.boite();
        fichier(banc, mauvais);
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        ouvrirPage(banc);
        vuesCommencent(
            banc.pilote,
            { "W Restauration refusée: Le fichier " + tronque + " ne peut pas être restauré : "
                  + incomplet + ".\nAucune donnée n'a été modifiée.",
              question.arg(mauvais),
              "W Restauration échouée: Le serveur a refusé une partie du fichier " + mauvais
                  + " ; les données ont été remises comme elles étaient avant la "
                    "restauration.\n\nMessage du serveur : Duplicate entry" });
        QCOMPARE(registres(banc), restes);
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
        const QDir dossier(dossierAutomatique());

        // Enter answers no: nothing is written, nothing emptied.
        vider(banc, panneau, false);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(0).icone, QMessageBox::Question);
        QCOMPARE(registres(banc), avant);
        QVERIFY(dossier.entryList(QDir::Files).isEmpty());

        banc.pilote.effacer();
        vider(banc, panneau, true);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(1).icone, QMessageBox::Information);
        QVERIFY(registres(banc) != avant);
        const QStringList ecrites = dossier.entryList({ "*.sql" });
        QCOMPARE(ecrites.size(), 1);
        QVERIFY2(QRegularExpression("^avant-vider-" + tables.join('-')
                                    + "-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.sql$")
                     .match(ecrites.first())
                     .hasMatch(),
                 qPrintable(ecrites.first()));
        // The backup holds the tables as they were, whole.
        const Examen examen = examiner(dossier.filePath(ecrites.first()));
        QCOMPARE(examen.tables, tables);
        for (const auto &[table, rangs] : examen.rangs)
            QCOMPARE(rangs, avant.at(tablesRegistres().indexOf(table)).size());
    }

    void automaticBackupsNeedTheirFolderAndKeepTheNewest()
    {
        Banc banc;
        remplirTout(banc);
        const auto avant = registres(banc);

        // Where the backups go, a file: nothing is emptied, and the box says why.
        const QString dossier = dossierAutomatique();
        QVERIFY(QDir().mkpath(QFileInfo(dossier).path()));
        QVERIFY(ecrireFichier(dossier, "obstacle"));
        vider(banc, panneauCompte, true);
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Warning, "Vidage annulé",
                          "La sauvegarde de sécurité de vos données n'a pas pu être écrite : le "
                          "dossier "
                              + dossier + " ne peut pas être créé.\nRien n'a été vidé."));
        QCOMPARE(registres(banc), avant);

        // Of the program's own backups, the newest stay; the user's own files stay too.
        QVERIFY(QFile::remove(dossier));
        QVERIFY(QDir().mkpath(dossier));
        const QDateTime longtemps = QDateTime::currentDateTime().addDays(-30);
        for (int n = -1; n < 22; ++n) {
            const QString vieux = n < 0
                ? dossier + "/mienne.sql"
                : QString("%1/avant-vider-compte-%2.sql").arg(dossier).arg(n);
            QVERIFY(ecrireFichier(vieux, "vieux"));
            QFile fichier(vieux);
            QVERIFY(fichier.open(QIODevice::ReadWrite));
            QVERIFY(fichier.setFileTime(longtemps.addSecs(n), QFileDevice::FileModificationTime));
        }
        banc.pilote.effacer();
        vider(banc, panneauCompte, true);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const QStringList restants = QDir(dossier).entryList(QDir::Files);
        QCOMPARE(restants.size(), 21);
        QVERIFY(restants.contains("mienne.sql"));
        QVERIFY(!restants.contains("avant-vider-compte-2.sql"));
        QVERIFY(restants.contains("avant-vider-compte-3.sql"));

        // With no backup of their own, the user restores from there.
        QString depart;
        banc.pilote.effacer();
        surLaPage(banc, { "Restaurer" });
        fichier(banc, QString(), &depart);
        ouvrirPage(banc);
        QCOMPARE(depart, dossier);
    }
};

QTEST_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
