#include "support/banc.h"
#include "support/fichiers.h"

#include <QCompleter>
#include <QGroupBox>
#include <QSqlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const Boite baseInaccessible = attendue(
    QMessageBox::Critical, "Base de donnée inaccessible",
    "Le programme n'a pas pu se connecter à la base de donnée.\nPour l'information, par défaut "
    "serveur = localhost, base_de_donnée = test, utilisateur = root et mot_de_passe est vide.");

// The program's own connection, and the first row of a statement run on its session.
const auto programme = [] {
    return QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
};
QVariantList surLaSession(const QString &requete)
{
    QSqlQuery q(programme());
    return q.exec(requete) && q.next() ? QVariantList { q.value(0), q.value(1), q.value(2) }
                                       : QVariantList();
}

// The program's server on a loopback port that accepts and stays mute (`ecoute`), or refuses.
struct Port
{
    explicit Port(bool ecoute)
    {
        sockaddr_in adresse { AF_INET, 0, { htonl(INADDR_LOOPBACK) }, {} };
        socklen_t taille = sizeof adresse;
        ::bind(sock, reinterpret_cast<sockaddr *>(&adresse), taille);
        if (ecoute)
            ::listen(sock, 16);
        ::getsockname(sock, reinterpret_cast<sockaddr *>(&adresse), &taille);
        programme().setPort(ntohs(adresse.sin_port));
    }
    ~Port() { ::close(sock); }
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
};

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The file where the program runs (UTF-8, a fifth word ignored) wins over the user's
    // configuration folder, used from a menu and written back there; with neither, the defaults.
    void settingsAreReadAtStartFromTheProjectOrTheUserFolder()
    {
        const QList<std::tuple<const char *, bool, QStringList>> cas = {
            { "hôte bäse üser sécret cinquième", true, { "hôte", "bäse", "üser", "sécret" } },
            { nullptr, true, { "localhost", "%1", "root", "" } },
            { nullptr, false, { "localhost", "test", "root", "" } },
        };
        for (const auto &[projet, utilisateur, attendues] : cas) {
            Banc banc(projet, false);
            const QString dossier = banc.dossierTravail() + "/xdg-config/tabloran";
            const QByteArray contenu = "localhost " + banc.nom.toUtf8() + " root ";
            QVERIFY(!utilisateur
                    || (QDir().mkpath(dossier) && ecrireFichier(dossier + "/base.sni", contenu)));
            if (!projet && !utilisateur)
                banc.pilote.boite();
            banc.demarrer();
            QStringList valeurs;
            banc.lancer(QString(), "Modifier les paramètres", [&](QDialog *d) {
                for (const char *nom : { "hostEdit", "baseEdit", "userEdit", "passwordEdit" })
                    valeurs << nomme<QLineEdit>(d, nom)->text();
                appuyer(d, "Fermer");
            });
            QCOMPARE(valeurs, QStringList(attendues).replaceInStrings("%1", banc.nom));
            const QString manque = "W Fichier inexistant: Le fichier data.dat n'existe pas.\nLa "
                                   "base prend la configuration par défaut";
            vuesCommencent(banc.pilote,
                           projet || utilisateur ? QStringList() : QStringList { manque });
            if (!projet && utilisateur) {
                parametrer(banc, { { "passwordEdit", "secret" } });
                QCOMPARE(lireFichier(dossier + "/base.sni"), contenu + "secret");
                QCOMPARE(banc.pilote.anomalies(), QStringList());
                QVERIFY(!QFile::exists("config"));
            }
        }
    }

    // The names are read once the window is on screen; completion ignores case.
    void homePageOffersStoredNames()
    {
        Banc banc("localhost %1 root ", false);
        banc.sql("CREATE TABLE commandes (id INT AUTO_INCREMENT PRIMARY KEY, nom VARCHAR(60))");
        banc.sql("INSERT INTO commandes (nom) VALUES ('Lait'), ('petit lait'), ('Beurre')");
        banc.demarrer();
        auto *recherche = nomme<QLineEdit>(&banc.fenetre(), "rechercheEdit");
        QTRY_COMPARE(propositions(recherche), (QStringList { "Lait", "petit lait", "Beurre" }));
        recherche->completer()->setCompletionPrefix("la");
        QCOMPARE(recherche->completer()->currentCompletion(), "Lait");
    }

    // No server: every command stops at the gate; a mute peer fails within the connect timeout.
    void serverAwayStopsEveryCommandAtTheGate()
    {
        Banc banc("127.0.0.1 test root ");
        {
            Port muet(true);
            QElapsedTimer chrono;
            chrono.start();
            banc.pilote.boite();
            QVERIFY(!banc.fenetre().connexionCompte());
            QVERIFY2(chrono.elapsed() < 10000, "the gate waited too long for the server");
        }
        Port ferme(false);
        for (QGroupBox *groupe : enfants<QGroupBox>(&banc.fenetre())) {
            for (Button *bouton : enfants<Button>(groupe)) {
                banc.pilote.boite();
                Banc::clic(bouton);
                QVERIFY2(banc.pilote.anomalies().isEmpty(), qPrintable(bouton->text()));
            }
        }
        QCOMPARE(banc.pilote.boites, QList<Boite>(20, baseInaccessible)); // 19 commands
        QCOMPARE(banc.pilote.boites.last().parent, "TABLORAN");
    }

    // A new database starts quietly; each section's first command creates its tables, kept with
    // their rows when the gate passes again, a live connection checked without a statement.
    void firstCommandOfEachSectionCreatesItsTables()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("refusé")));
        Banc banc;
        QTRY_VERIFY(programme().isOpen()); // the home page read its names
        const QString tables = "SELECT GROUP_CONCAT(table_name ORDER BY table_name SEPARATOR ' ') "
                               "FROM information_schema.tables WHERE table_schema = DATABASE()";
        QCOMPARE(banc.valeur(tables).toString(), "");
        const QStringList sections = { panneauCompte, panneauCommandes, panneauEmployes };
        // The journal comes with the first section's tables.
        // The orders' gate creates the invoices' tables too.
        const QStringList creees = {
            "compte historique operations",
            "clients commandes commandes_facturees compte compteurs_factures entreprise factures "
            "historique lignes_facture operations",
            "absence clients commandes commandes_facturees compte compteurs_factures employes "
            "entreprise factures historique lignes_facture operations"
        };
        for (int i = 0; i < 3; ++i) {
            banc.lancer(sections[i], "Ajouter", [](QDialog *d) { d->reject(); });
            QCOMPARE(banc.valeur(tables).toString(), creees[i]);
        }
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        banc.sql("INSERT INTO compte SET sujet='Gain', valeur='5', date_insert=NOW()");
        // The session's id and the count of statements it ran, in one number.
        const QString questions = "SELECT CONNECTION_ID() << 32 | VARIABLE_VALUE FROM information_"
                                  "schema.SESSION_STATUS WHERE VARIABLE_NAME = 'QUESTIONS'";
        const qlonglong avant = surLaSession(questions).value(0).toLongLong();
        for (int fois = 0; fois < 3; ++fois)
            QVERIFY(banc.fenetre().connexionCompte() && banc.fenetre().connexionCommande()
                    && banc.fenetre().connexionEmploye());
        QCOMPARE(surLaSession(questions).value(0).toLongLong() - avant, 1); // the read itself
        QCOMPARE(banc.compte("compte"), 1);
    }

    // After the server restarts, the next command opens its dialog as usual, on a new session
    // that has the tables, French month names, strict mode without MySQL 8's grouping rule.
    void nextCommandNoticesALostSession()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        const QString dossier = QFileInfo(qgetenv("MYSQL_UNIX_PORT")).absolutePath();
        for (const char *action : { "stop", "start" })
            QCOMPARE(QProcess::execute(TABLORAN_MARIADB_SCRIPT, { action, dossier }), 0);
        QSqlDatabase::database(banc.connexionVerification(), false).close(); // the test's own
        QVERIFY(QSqlDatabase::database(banc.connexionVerification()).isOpen());
        banc.lancer(panneauCompte, "Ajouter", [](QDialog *d) { d->reject(); });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const QVariantList session =
            surLaSession("SELECT DATABASE(), DATE_FORMAT('2013-08-05', '%M'), @@sql_mode");
        QCOMPARE(session.value(0).toString() + session.value(1).toString(), banc.nom + "août");
        QVERIFY(!session.value(2).toString().contains("ONLY_FULL_GROUP_BY"));
        QVERIFY(!QSqlQuery(programme())
                     .exec("INSERT INTO compte SET sujet='Gain', valeur=REPEAT('9', 21), "
                           "date_insert=NOW()"));
        QCOMPARE(banc.compte("compte"), 0);
    }

    // Settings that would not come back (an empty field, a blank inside one) are refused, the box
    // telling why; valid ones are written and apply at once.
    void settingsDialogWritesTheFileAndAppliesAtOnce()
    {
        Banc banc;
        const QString autre = banc.nom + "_b";
        banc.sql("DROP DATABASE IF EXISTS " + autre);
        banc.sql("CREATE DATABASE " + autre);
        const QByteArray avant = lireFichier("config/base.sni");
        const QList<std::tuple<const char *, QString, QString>> refus = {
            { "hostEdit", "", "Le nom du serveur (host) ne peut pas être vide" },
            { "baseEdit", "base\tdeux",
              "Le nom de la base de donnée ne peut pas contenir d'espace" },
        };
        const QString refuse =
            "C Paramètres refusés: Les paramètres de connexion n'ont pas été modifiés\n";
        banc.lancer(QString(), "Modifier les paramètres", [&](QDialog *d) {
            QCOMPARE(nomme<QLineEdit>(d, "passwordEdit")->echoMode(), QLineEdit::Password);
            for (const auto &[champ, valeur, raison] : refus) {
                auto *edit = nomme<QLineEdit>(d, champ);
                const QString juste = edit->text();
                edit->setText(valeur);
                banc.pilote.boite();
                appuyer(d, "Valider");
                QVERIFY(d->isVisible()); // the user corrects or closes
                QCOMPARE(banc.pilote.vues().takeLast(), refuse + raison);
                QCOMPARE(programme().hostName() + programme().databaseName()
                             + lireFichier("config/base.sni"),
                         "localhost" + banc.nom + avant);
                edit->setText(juste);
            }
            QVERIFY(QDir("config").removeRecursively());
            nomme<QLineEdit>(d, "baseEdit")->setText(autre);
            banc.pilote.boite();
            appuyer(d, "Valider");
        });
        QCOMPARE(banc.pilote.vues().value(2),
                 "I Changement effectué: Les paramêtres de connexion "
                 "de la base de donnée ont été modifiés avec succes");
        QCOMPARE(banc.pilote.boites.value(2).parent, "Modification des paramètres");
        QCOMPARE(lireFichier("config/base.sni"), ("localhost " + autre + " root ").toUtf8());
        // Neither the group nor the others may read or write it; the next command uses it.
        QCOMPARE(QFile::permissions("config/base.sni") & 0x0066, QFileDevice::Permissions());
        QVERIFY(banc.fenetre().connexionCompte());
        QVERIFY(banc.valeur("SELECT COUNT(*) FROM " + autre + ".compte").isValid());
        banc.sql("DROP DATABASE " + autre);

        // A file where the folder should be: the values apply, the box says they were not written.
        QVERIFY(QDir("config").removeRecursively() && ecrireFichier("config", "pas un dossier"));
        parametrer(banc, { { "baseEdit", banc.nom }, { "userEdit", "autre" } });
        QCOMPARE(banc.pilote.vues().value(3),
                 "W Erreur d'enregistrement: Les paramètres ont été appliqués pour cette session, "
                 "mais le fichier config/base.sni n'a pas pu être écrit");
        QCOMPARE(programme().userName(), "autre");
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void aServerThatStopsAnsweringFreesTheWindow()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        QSqlDatabase db = programme(); // shorter waits, for a shorter test
        db.close();
        db.setConnectOptions(
            "MYSQL_OPT_CONNECT_TIMEOUT=3;MYSQL_OPT_READ_TIMEOUT=1;MYSQL_OPT_WRITE_TIMEOUT=1");
        QVERIFY(banc.fenetre().connexionCompte());
        const auto ajouter = [&banc] {
            banc.pilote.effacer();
            banc.lancer(panneauCompte, "Ajouter", [&](QDialog *d) {
                nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
                nomme<QLineEdit>(d, "valeurEdit")->setText("30");
                banc.pilote.boite();
                appuyer(d, "Ajouter");
                if (d->isVisible())
                    appuyer(d, "Annuler");
            });
            QCOMPARE(banc.pilote.anomalies(), QStringList());
        };
        // The test's own connection holds the table: the server answers nothing.
        banc.sql("LOCK TABLES compte WRITE");
        ajouter();
        QVERIFY(banc.pilote.vues().value(0).startsWith("W ")
                && banc.pilote.vues().value(0).endsWith(
                    "effectué\nLe serveur de la base de donnée ne répond pas"));
        // Once the server answers, the entry dies with the lost connection; the next one works.
        banc.sql("UNLOCK TABLES");
        QTRY_COMPARE(banc.valeur("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO "
                                 "LIKE 'INSERT INTO compte%'"),
                     0);
        QCOMPARE(banc.compte("compte"), 0);
        ajouter();
        QCOMPARE(banc.pilote.boites.value(0).titre, "Ajout reussi avec succes");
        QCOMPARE(banc.compte("compte"), 1);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
