#include "support/banc.h"

#include <QCompleter>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSqlQuery>
#include <QStringListModel>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const Boite baseInaccessible = attendue(
    QMessageBox::Critical, QStringLiteral("Base de donnée inaccessible"),
    QStringLiteral("Le programme n'a pas pu se connecter à la base de donnée.\nPour l'information, "
                   "par défaut serveur = localhost, base_de_donnée = test, utilisateur = root et "
                   "mot_de_passe est vide."));

// The four values the settings dialog shows, in order.
QStringList valeursAffichees(Banc &banc)
{
    QStringList valeurs;
    banc.pilote.dialogue([&](QDialog *d) {
        for (const char *nom : { "hostEdit", "baseEdit", "userEdit", "passwordEdit" }) {
            QLineEdit *champ = nomme<QLineEdit>(d, nom);
            valeurs << (champ ? champ->text() : QStringLiteral("<missing>"));
        }
        Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
    });
    Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
    return valeurs;
}

QStringList propositions(QLineEdit *champ)
{
    if (!champ->completer())
        return {};
    auto *modele = qobject_cast<QStringListModel *>(champ->completer()->model());
    return modele ? modele->stringList() : QStringList();
}

// A peer on the loopback that accepts connections and never says a word.
class PairMuet
{
public:
    PairMuet()
    {
        sock = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in adresse {};
        adresse.sin_family = AF_INET;
        adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(sock, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse);
        ::listen(sock, 16);
        socklen_t taille = sizeof adresse;
        ::getsockname(sock, reinterpret_cast<sockaddr *>(&adresse), &taille);
        port = ntohs(adresse.sin_port);
    }
    ~PairMuet() { ::close(sock); }
    int port = 0;

private:
    int sock = -1;
};

// A loopback port where nothing listens: connections are refused at once.
int portFerme()
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adresse {};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(sock, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse);
    socklen_t taille = sizeof adresse;
    ::getsockname(sock, reinterpret_cast<sockaddr *>(&adresse), &taille);
    ::close(sock);
    return ntohs(adresse.sin_port);
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settingsFileIsReadWordByWord_data()
    {
        QTest::addColumn<QString>("contenu");
        QTest::addColumn<QStringList>("valeurs");
        QTest::newRow("as written")
            << "hote base user secret" << QStringList { "hote", "base", "user", "secret" };
        QTest::newRow("three words")
            << "hote base user" << QStringList { "hote", "base", "user", "" };
        QTest::newRow("empty password")
            << "hote base user " << QStringList { "hote", "base", "user", "" };
        QTest::newRow("two words and a line break") << "hote base\n"
                                                    << QStringList { "hote", "base", "", "" };
        QTest::newRow("four lines")
            << "hote\nbase\nuser\nsecret" << QStringList { "hote", "base", "user", "secret" };
        QTest::newRow("empty database")
            << "hote  user secret" << QStringList { "hote", "user", "secret", "" };
        QTest::newRow("line break after four") << "hote base user secret\n"
                                               << QStringList { "hote", "base", "user", "secret" };
        QTest::newRow("fifth word ignored")
            << "hote base user mot de passe" << QStringList { "hote", "base", "user", "mot" };
        QTest::newRow("accents") << "hôte bäse üser sécret"
                                 << QStringList { "hôte", "bäse", "üser", "sécret" };
    }

    void settingsFileIsReadWordByWord()
    {
        QFETCH(QString, contenu);
        QFETCH(QStringList, valeurs);
        const QByteArray octets = contenu.toUtf8();
        Banc banc(octets.constData());
        QCOMPARE(valeursAffichees(banc), valeurs);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void missingSettingsFileWarnsAndKeepsDefaults()
    {
        Banc banc(nullptr, false);
        banc.pilote.boite();
        banc.demarrer();
        QCOMPARE(banc.pilote.boites.size(), 1);
        QCOMPARE(banc.pilote.boites.first(),
                 attendue(QMessageBox::Warning, QStringLiteral("Fichier inexistant"),
                          QStringLiteral("Le fichier data.dat n'existe pas.\nLa base prend la "
                                         "configuration par défaut")));
        QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("TABLORAN"));
        QCOMPARE(valeursAffichees(banc), (QStringList { "localhost", "test", "root", "" }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void homePageShowsTheThreeSections()
    {
        Banc banc;
        Entreprise &f = banc.fenetre();
        QCOMPARE(f.windowTitle(), QStringLiteral("TABLORAN"));
        QCOMPARE(f.size(), QSize(650, 600));
        QCOMPARE(f.minimumSize(), QSize(650, 600));
        QCOMPARE(f.maximumSize(), QSize(650, 600));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(QImage(QStringLiteral(":release/logo.png")).size(), QSize(329, 437));

        QLabel *entete = etiquetteTexte(
            &f,
            QStringLiteral(
                "Les données dans cette page sont sauvegardées dans une base de donnée MYSQL"));
        QVERIFY(entete);

        const QString compte = QStringLiteral("Faites le bilan de vos dépenses");
        const QString commandes = QStringLiteral("gestion commandes/clients");
        const QString employes = QStringLiteral("Gestions des employés et des stagiaires");
        // Every command of the three sections and the three buttons of the window.
        const QList<QPair<QString, QStringList>> boutons = {
            { compte, { "Ajouter", "Supprimer", "Vider", "Afficher/Modifier", "Bilan" } },
            { commandes,
              { "Ajouter", "Supprimer", "Vider", "Rechercher", "Informations",
                "Afficher et/ou modifier" } },
            { employes,
              { "Ajouter", "Supprimer", "Vider", "Ajouter une absence", "Chercher",
                "Afficher et/ou modifier", "Supprimer une absence", "Informations" } },
            { QString(),
              { "Infos sur la base de donnée", "Modifier les paramètres", "Fermer le programme" } },
        };
        int nombre = 0;
        for (const auto &[groupe, textes] : boutons) {
            for (const QString &texte : textes) {
                QVERIFY2(banc.bouton(groupe, texte), qPrintable(texte));
                ++nombre;
            }
        }
        QCOMPARE(enfants<Button>(&f).size(), nombre);

        auto *clientCombo = nomme<QComboBox>(&f, "clientCombo");
        QVERIFY(clientCombo);
        QCOMPARE(elements(clientCombo), (QStringList { "Nom du produit", "Nom du client" }));
        auto *commandCombo = nomme<QComboBox>(&f, "commandCombo");
        QVERIFY(commandCombo);
        QCOMPARE(elements(commandCombo),
                 (QStringList { "Commandes", "Clients", "Commandes et Clients" }));
        auto *typeCombo = nomme<QComboBox>(&f, "typeCombo");
        QVERIFY(typeCombo);
        QCOMPARE(elements(typeCombo), (QStringList { "Employé", "Stagiaire" }));
        QVERIFY(nomme<QLineEdit>(&f, "rechercheEdit"));
        QVERIFY(nomme<QLineEdit>(&f, "employeRechercheEdit"));
        QVERIFY(etiquetteTexte(&f, QStringLiteral("Nom ou Prenom")));
        QVERIFY(nomme<QLCDNumber>(&f, "horloge"));
        QLabel *date = nomme<QLabel>(&f, "dateLabel");
        QVERIFY(date);
        QCOMPARE(date->text(),
                 QLocale().toString(QDate::currentDate(), QStringLiteral("le dd MMMM yyyy")));

        // The grey board behind the white texts, away from every widget.
        const QImage image = f.grab().toImage();
        QCOMPARE(image.pixelColor(645, 595), QColor(Qt::gray));
        QCOMPARE(image.pixelColor(295, 250), QColor(Qt::gray));
    }

    void clockBlinksItsColon()
    {
        Banc banc;
        auto *horloge = nomme<QLCDNumber>(&banc.fenetre(), "horloge");
        QVERIFY(horloge);
        QCOMPARE(horloge->digitCount(), 5);
        QCOMPARE(horloge->segmentStyle(), QLCDNumber::Filled);

        // What the clock shows, compared with a clock that shows a known text.
        auto montre = [&](const QString &texte) {
            QLCDNumber reference(5, horloge->parentWidget());
            reference.setSegmentStyle(QLCDNumber::Filled);
            reference.setGeometry(horloge->geometry());
            reference.display(texte);
            return reference.grab().toImage() == horloge->grab().toImage();
        };
        bool pair = false, impair = false;
        for (int essai = 0; essai < 40 && !(pair && impair); ++essai) {
            const QTime avant = QTime::currentTime();
            banc.fenetre().updateDate();
            const QTime apres = QTime::currentTime();
            if (avant.second() != apres.second()) {
                continue;
            }
            QString attendu = avant.toString(QStringLiteral("hh:mm"));
            if (avant.second() % 2 == 0) {
                attendu[2] = QLatin1Char(' ');
                pair = true;
            } else {
                impair = true;
            }
            QVERIFY2(montre(attendu), qPrintable(attendu));
            QTest::qWait(100);
        }
        QVERIFY(pair && impair);
    }

    void completersOfferStoredNames()
    {
        Banc banc("localhost %1 root ", false);
        QSqlQuery(banc.sql(QStringLiteral(
            "CREATE TABLE commandes (id INT AUTO_INCREMENT PRIMARY KEY, nom VARCHAR(60))")));
        banc.sql(QStringLiteral(
            "INSERT INTO commandes (nom) VALUES ('Lait'), ('petit lait'), ('Beurre')"));
        banc.sql(QStringLiteral(
            "CREATE TABLE employes (id INT AUTO_INCREMENT PRIMARY KEY, type TINYINT, nom "
            "VARCHAR(60), prenom VARCHAR(60), nom_prenom VARCHAR(120))"));
        banc.sql(QStringLiteral(
            "INSERT INTO employes (type, nom, prenom, nom_prenom) VALUES (1, 'Martin', 'Anne', "
            "'Martin Anne'), (2, 'Durand', 'Paul', 'Durand Paul')"));
        banc.demarrer();

        // The names are read once the window is on screen.
        auto *recherche = nomme<QLineEdit>(&banc.fenetre(), "rechercheEdit");
        QTRY_COMPARE(propositions(recherche), (QStringList { "Lait", "petit lait", "Beurre" }));
        QCompleter *completeur = recherche->completer();
        QCOMPARE(completeur->caseSensitivity(), Qt::CaseInsensitive);
        completeur->setCompletionPrefix(QStringLiteral("la"));
        QCOMPARE(completeur->currentCompletion(), QStringLiteral("Lait"));

        auto *personnes = nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit");
        QTRY_COMPARE(propositions(personnes), (QStringList { "Martin", "Anne", "Martin Anne" }));

        // Switching to interns offers their names instead; a completer that is
        // replaced is released.
        QPointer<QCompleter> ancien = personnes->completer();
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(1);
        QCOMPARE(propositions(personnes), (QStringList { "Durand", "Paul", "Durand Paul" }));
        QVERIFY(ancien.isNull());
    }

    void windowShowsBeforeTheNamesAreRead()
    {
        Banc banc("localhost %1 root ", false);
        banc.sql(QStringLiteral("CREATE TABLE clients (id INT AUTO_INCREMENT PRIMARY KEY, nom "
                                "VARCHAR(60))"));
        banc.sql(QStringLiteral("INSERT INTO clients (nom) VALUES ('Dupont')"));
        banc.sql(QStringLiteral("CREATE TABLE commandes (id INT AUTO_INCREMENT PRIMARY KEY, nom "
                                "VARCHAR(60))"));
        banc.sql(QStringLiteral("INSERT INTO commandes (nom) VALUES ('Lait')"));
        {
            Entreprise fenetre;
            auto *recherche = fenetre.findChild<QLineEdit *>(QStringLiteral("rechercheEdit"));
            // Built but not yet on screen: nothing read, not even connected.
            QCoreApplication::processEvents();
            QVERIFY(!recherche->completer());
            QVERIFY(!QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());

            // A selector changed before the names arrive: they follow it.
            fenetre.findChild<QComboBox *>(QStringLiteral("clientCombo"))->setCurrentIndex(1);
            fenetre.show();
            QTRY_COMPARE(propositions(recherche), QStringList { "Dupont" });
        }
    }

    void serverDownStopsEveryCommandAtTheGate()
    {
        Banc banc("127.0.0.1 test root ");
        QSqlDatabase::database(QSqlDatabase::defaultConnection, false).setPort(portFerme());
        // Every command of the three sections stops at the gate.
        int commandes = 0;
        for (QGroupBox *groupe : enfants<QGroupBox>(&banc.fenetre())) {
            for (Button *bouton : enfants<Button>(groupe)) {
                banc.pilote.effacer();
                banc.pilote.boite();
                Banc::clic(bouton);
                QVERIFY2(banc.pilote.anomalies().isEmpty(), qPrintable(bouton->text()));
                QCOMPARE(banc.pilote.boites.size(), 1);
                QCOMPARE(banc.pilote.boites.first(), baseInaccessible);
                QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("TABLORAN"));
                ++commandes;
            }
        }
        QCOMPARE(commandes, 19);
        QVERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void silentPeerFailsWithinTheConnectTimeout()
    {
        PairMuet pair;
        Banc banc("127.0.0.1 test root ");
        QSqlDatabase::database(QSqlDatabase::defaultConnection, false).setPort(pair.port);
        QElapsedTimer chrono;
        chrono.start();
        banc.pilote.boite();
        QVERIFY(!banc.fenetre().connexionCompte());
        QVERIFY2(chrono.elapsed() < 10000, "the gate waited too long for the server");
        QCOMPARE(banc.pilote.boites.value(0), baseInaccessible);
    }

    void firstCommandOfEachSectionCreatesItsTables()
    {
        Banc banc;
        // The home page opened the connection to read its names.
        QTRY_VERIFY(QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen());
        auto tables = [&] {
            QStringList noms;
            for (const QVariantList &ligne : banc.lignes(QStringLiteral("SHOW TABLES")))
                noms << ligne.value(0).toString();
            noms.sort();
            return noms;
        };
        auto ajouter = [&](const QString &groupe) {
            banc.pilote.dialogue([](QDialog *d) { d->reject(); });
            Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter")));
        };
        QCOMPARE(tables(), QStringList());
        ajouter(QStringLiteral("Faites le bilan de vos dépenses"));
        QCOMPARE(tables(), QStringList { "compte" });
        ajouter(QStringLiteral("gestion commandes/clients"));
        QCOMPARE(tables(), (QStringList { "clients", "commandes", "compte" }));
        ajouter(QStringLiteral("Gestions des employés et des stagiaires"));
        QCOMPARE(tables(),
                 (QStringList { "absence", "clients", "commandes", "compte", "employes" }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void eachGateCreatesItsOwnTables()
    {
        Banc banc;
        auto tables = [&] {
            QStringList noms;
            for (const QVariantList &ligne : banc.lignes(QStringLiteral("SHOW TABLES")))
                noms << ligne.value(0).toString();
            noms.sort();
            return noms;
        };
        QCOMPARE(tables(), QStringList());
        QVERIFY(banc.fenetre().connexionCompte());
        QCOMPARE(tables(), QStringList { "compte" });
        QVERIFY(banc.fenetre().connexionCommande());
        QCOMPARE(tables(), (QStringList { "clients", "commandes", "compte" }));
        QVERIFY(banc.fenetre().connexionEmploye());
        QCOMPARE(tables(),
                 (QStringList { "absence", "clients", "commandes", "compte", "employes" }));
        QCOMPARE(
            banc.valeur(QStringLiteral(
                            "SELECT COUNT(*) FROM information_schema.statistics WHERE table_schema "
                            "= DATABASE() AND column_name IN ('client_id', 'employe_id')"))
                .toInt(),
            2);

        // Rows stay when the gate passes again.
        banc.sql(
            QStringLiteral("INSERT INTO compte SET sujet='Gain', valeur='5', date_insert=NOW()"));
        QVERIFY(banc.fenetre().connexionCompte());
        QCOMPARE(banc.compte(QStringLiteral("compte")), 1);

        // The program's own session speaks French and refuses bad values.
        QSqlQuery session(QSqlDatabase::database());
        QVERIFY(session.exec(
            QStringLiteral("SELECT DATE_FORMAT('2013-03-05', '%M'), @@SESSION.sql_mode")));
        QVERIFY(session.next());
        QCOMPARE(session.value(0).toString(), QStringLiteral("mars"));
        QVERIFY(session.value(1).toString().contains(QStringLiteral("STRICT_ALL_TABLES")));
        QVERIFY(!session.value(1).toString().contains(QStringLiteral("ONLY_FULL_GROUP_BY")));
    }

    void liveConnectionCostsTheGateNoStatement()
    {
        Banc banc;
        Entreprise &f = banc.fenetre();
        QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
        QSqlQuery session(QSqlDatabase::database());
        auto etat = [&] {
            QVERIFY(session.exec(QStringLiteral(
                "SELECT CONNECTION_ID(), VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
                "WHERE VARIABLE_NAME = 'QUESTIONS'")));
            QVERIFY(session.next());
        };
        etat();
        const qlonglong connexion = session.value(0).toLongLong();
        const qlonglong avant = session.value(1).toLongLong();
        for (int fois = 0; fois < 3; ++fois)
            QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
        etat();
        QCOMPARE(session.value(0).toLongLong(), connexion);
        // Only the statement that read the counter.
        QCOMPARE(session.value(1).toLongLong() - avant, 1);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void nextCommandNoticesALostSession_data()
    {
        QTest::addColumn<QString>("perte");
        QTest::newRow("connection killed") << QStringLiteral("kill");
        QTest::newRow("server restarted") << QStringLiteral("restart");
        QTest::newRow("settings changed") << QStringLiteral("settings");
    }

    void nextCommandNoticesALostSession()
    {
        QFETCH(QString, perte);
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        QSqlQuery id(QSqlDatabase::database());
        QVERIFY(id.exec(QStringLiteral("SELECT CONNECTION_ID()")) && id.next());
        const qlonglong avant = id.value(0).toLongLong();
        QString base = banc.nomBase;

        if (perte == QLatin1String("kill")) {
            banc.sql(QStringLiteral("KILL ") + QString::number(avant));
        } else if (perte == QLatin1String("restart")) {
            const QString dossier =
                QFileInfo(qEnvironmentVariable("MYSQL_UNIX_PORT")).absolutePath();
            for (const char *action : { "stop", "start" }) {
                QCOMPARE(QProcess::execute(QStringLiteral(TABLORAN_MARIADB_SCRIPT),
                                           { QString::fromLatin1(action), dossier }),
                         0);
            }
            QSqlDatabase verification =
                QSqlDatabase::database(QStringLiteral("verification"), false);
            verification.close();
            QVERIFY(verification.open());
        } else {
            base += QStringLiteral("_b");
            banc.sql(QStringLiteral("DROP DATABASE IF EXISTS ") + base);
            banc.sql(QStringLiteral("CREATE DATABASE ") + base);
            banc.pilote.dialogue([&](QDialog *d) {
                nomme<QLineEdit>(d, "baseEdit")->setText(base);
                Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            });
            banc.pilote.boite();
            Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
        }

        // The next command opens its dialog as usual, on a new session that has
        // the tables, French month names and strict mode.
        banc.pilote.dialogue([](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter une dépense ou un gain"));
            d->reject();
        });
        Banc::clic(banc.bouton(QStringLiteral("Faites le bilan de vos dépenses"),
                               QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.size(), perte == QLatin1String("settings") ? 1 : 0);

        QSqlQuery session(QSqlDatabase::database());
        QVERIFY(session.exec(QStringLiteral(
                    "SELECT CONNECTION_ID(), DATABASE(), DATE_FORMAT('2013-08-05', '%M')"))
                && session.next());
        QVERIFY(session.value(0).toLongLong() != avant || perte == QLatin1String("restart"));
        QCOMPARE(session.value(1).toString(), base);
        QCOMPARE(session.value(2).toString(), QStringLiteral("août"));
        QVERIFY(!session.exec(QStringLiteral("INSERT INTO compte SET sujet = 'Gain', valeur = "
                                             "REPEAT('9', 21), date_insert = NOW()")));
        QCOMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM %1.compte").arg(base)).toInt(),
                 0);
        if (perte == QLatin1String("settings"))
            banc.sql(QStringLiteral("DROP DATABASE ") + base);
    }

    void settingsDialogWritesTheFileAndAppliesAtOnce()
    {
        Banc banc;
        banc.sql(QStringLiteral("DROP DATABASE IF EXISTS ") + banc.nomBase + QStringLiteral("_b"));
        banc.sql(QStringLiteral("CREATE DATABASE ") + banc.nomBase + QStringLiteral("_b"));
        QVERIFY(QDir(QStringLiteral("config")).removeRecursively());

        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Modification des paramètres"));
            QCOMPARE(d->size(), QSize(400, 220));
            QLineEdit *motDePasse = nomme<QLineEdit>(d, "passwordEdit");
            QCOMPARE(motDePasse->echoMode(), QLineEdit::Password);
            nomme<QLineEdit>(d, "baseEdit")->setText(banc.nomBase + QStringLiteral("_b"));
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(0),
                 attendue(QMessageBox::Information, QStringLiteral("Changement effectué"),
                          QStringLiteral("Les paramêtres de connexion de la base de donnée ont été "
                                         "modifiés avec succes")));
        QCOMPARE(banc.pilote.boites.value(0).parent, QStringLiteral("Modification des paramètres"));

        QFile fichier(QStringLiteral("config/base.sni"));
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(fichier.readAll()),
                 QStringLiteral("localhost %1_b root ").arg(banc.nomBase));
        QCOMPARE(fichier.permissions()
                     & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup
                        | QFileDevice::WriteOther),
                 QFileDevice::Permissions());

        // The next command connects to the new database, without a restart.
        QVERIFY(banc.fenetre().connexionCompte());
        QCOMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE "
                                            "table_schema = '%1_b' AND table_name = 'compte'")
                                 .arg(banc.nomBase))
                     .toInt(),
                 1);
        banc.sql(QStringLiteral("DROP DATABASE ") + banc.nomBase + QStringLiteral("_b"));

        // Closed dialogs do not pile up.
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void settingsThatWouldNotComeBackAreRefused()
    {
        Banc banc;
        QFile fichier(QStringLiteral("config/base.sni"));
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        const QByteArray avant = fichier.readAll();
        fichier.close();
        // Field (its y in the dialog), value typed, and the reason the box gives.
        const QList<std::tuple<const char *, QString, QString>> cas = {
            { "hostEdit", QString(),
              QStringLiteral("Le nom du serveur (host) ne peut pas être vide") },
            { "hostEdit", QStringLiteral("local host"),
              QStringLiteral("Le nom du serveur (host) ne peut pas contenir d'espace") },
            { "baseEdit", QStringLiteral("base\tdeux"),
              QStringLiteral("Le nom de la base de donnée ne peut pas contenir d'espace") },
            { "userEdit", QString(),
              QStringLiteral("Le nom de l'utilisateur ne peut pas être vide") },
            { "passwordEdit", QStringLiteral("mot de passe"),
              QStringLiteral("Le mot de passe ne peut pas contenir d'espace") },
            { "passwordEdit", QStringLiteral("secret "),
              QStringLiteral("Le mot de passe ne peut pas contenir d'espace") },
        };
        for (const auto &[champ, valeur, raison] : cas) {
            banc.pilote.effacer();
            banc.pilote.dialogue([&, champ = champ, valeur = valeur](QDialog *d) {
                nomme<QLineEdit>(d, champ)->setText(valeur);
                banc.pilote.boite();
                Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
                QVERIFY(d->isVisible()); // nothing applied: the user corrects or closes
                Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
            });
            Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
            QCOMPARE(banc.pilote.anomalies(), QStringList());
            QCOMPARE(banc.pilote.boites.value(0),
                     attendue(QMessageBox::Critical, QStringLiteral("Paramètres refusés"),
                              QStringLiteral("Les paramètres de connexion n'ont pas été "
                                             "modifiés\n")
                                  + raison));
        }
        const QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        QCOMPARE(QStringList({ db.hostName(), db.databaseName(), db.userName(), db.password() }),
                 QStringList({ QStringLiteral("localhost"), banc.nomBase, QStringLiteral("root"),
                               QString() }));
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        QCOMPARE(fichier.readAll(), avant);
    }

    void aServerThatStopsAnsweringFreesTheWindow()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        for (const char *option : { "MYSQL_OPT_READ_TIMEOUT=10", "MYSQL_OPT_WRITE_TIMEOUT=10" })
            QVERIFY(db.connectOptions().split(';').contains(QString::fromLatin1(option)));
        // The same path with a shorter wait, so that the test does not last.
        db.close();
        db.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=3;MYSQL_OPT_READ_TIMEOUT=1;"
                                            "MYSQL_OPT_WRITE_TIMEOUT=1"));
        QVERIFY(banc.fenetre().connexionCompte());

        const auto ajouter = [&banc] {
            banc.pilote.effacer();
            banc.pilote.dialogue([&](QDialog *d) {
                nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
                nomme<QLineEdit>(d, "valeurEdit")->setText(QStringLiteral("30"));
                banc.pilote.boite();
                Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
                if (d->isVisible())
                    Banc::clic(boutonTexte(d, QStringLiteral("Annuler")));
            });
            Banc::clic(banc.bouton(QStringLiteral("Faites le bilan de vos dépenses"),
                                   QStringLiteral("Ajouter")));
            QCOMPARE(banc.pilote.anomalies(), QStringList());
        };
        // The test's own connection holds the table: the server answers nothing.
        banc.sql(QStringLiteral("LOCK TABLES compte WRITE"));
        ajouter();
        QCOMPARE(banc.pilote.boites.value(0),
                 attendue(QMessageBox::Warning, QStringLiteral("Erreur d'enregistrement"),
                          QStringLiteral("Une erreur est survenue lors de l'enregistrement de "
                                         "votre requête.\nL'enregistrement n'a pas été "
                                         "effectué\nLe serveur de la base de donnée ne répond "
                                         "pas")));
        // Once the server answers again, the entry it was asked for is undone
        // with the lost connection; the next command connects again.
        banc.sql(QStringLiteral("UNLOCK TABLES"));
        QTRY_COMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM "
                                                "information_schema.PROCESSLIST WHERE INFO LIKE "
                                                "'INSERT INTO compte%'"))
                         .toInt(),
                     0);
        QCOMPARE(banc.compte(QStringLiteral("compte")), 0);
        ajouter();
        QCOMPARE(banc.pilote.boites.value(0).titre, QStringLiteral("Ajout reussi avec succes"));
        QCOMPARE(banc.compte(QStringLiteral("compte")), 1);
    }

    void unwritableSettingsFileIsReported()
    {
        Banc banc;
        QVERIFY(QDir(QStringLiteral("config")).removeRecursively());
        QFile obstacle(QStringLiteral("config"));
        QVERIFY(obstacle.open(QIODevice::WriteOnly));
        obstacle.close();

        banc.pilote.dialogue([&](QDialog *d) {
            nomme<QLineEdit>(d, "userEdit")->setText(QStringLiteral("autre"));
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(0),
                 attendue(QMessageBox::Warning, QStringLiteral("Erreur d'enregistrement"),
                          QStringLiteral("Les paramètres ont été appliqués pour cette session, "
                                         "mais le fichier config/base.sni n'a pas pu être écrit")));
        QCOMPARE(banc.pilote.boites.value(0).parent, QStringLiteral("Modification des paramètres"));
        QCOMPARE(QSqlDatabase::database(QSqlDatabase::defaultConnection, false).userName(),
                 QStringLiteral("autre"));
    }

    // Started from a menu, the program finds no config/base.sni where it runs:
    // its settings then live in the user's configuration folder, read at start
    // and written back there. A project file in the current folder wins.
    void settingsLiveInTheUserFolderWithoutAProjectFile()
    {
        const auto ecrire = [](const QString &chemin, const QString &contenu) {
            QVERIFY(QDir().mkpath(QFileInfo(chemin).path()));
            QFile fichier(chemin);
            QVERIFY(fichier.open(QIODevice::WriteOnly));
            fichier.write(contenu.toUtf8());
        };
        const auto lire = [](const QString &chemin) {
            QFile fichier(chemin);
            return fichier.open(QIODevice::ReadOnly) ? QString::fromUtf8(fichier.readAll())
                                                     : QStringLiteral("<absent>");
        };
        {
            Banc banc(nullptr, false);
            const QString utilisateur = banc.dossierTravail() + "/xdg-config/tabloran/base.sni";
            ecrire(utilisateur, "localhost " + banc.nomBase + " root ");
            banc.demarrer();
            QCOMPARE(valeursAffichees(banc),
                     (QStringList { "localhost", banc.nomBase, "root", "" }));

            banc.pilote.dialogue([&](QDialog *d) {
                nomme<QLineEdit>(d, "passwordEdit")->setText("secret");
                Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            });
            banc.pilote.boite();
            Banc::clic(banc.bouton(QString(), QStringLiteral("Modifier les paramètres")));
            QCOMPARE(banc.pilote.boites.value(0).titre, QStringLiteral("Changement effectué"));
            QCOMPARE(lire(utilisateur), "localhost " + banc.nomBase + " root secret");
            QVERIFY(!QFile::exists(QStringLiteral("config")));
            QCOMPARE(banc.pilote.anomalies(), QStringList());
        }
        {
            Banc banc("projet %1 root ", false);
            ecrire(banc.dossierTravail() + "/xdg-config/tabloran/base.sni", "utilisateur x y z");
            banc.demarrer();
            QCOMPARE(valeursAffichees(banc), (QStringList { "projet", banc.nomBase, "root", "" }));
        }
    }

    void informationPageDescribesTheDefaults()
    {
        Banc banc("autrehote autrebase autreuser x");
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Informations sur la base de donnée"));
            QCOMPARE(d->size(), QSize(400, 350));
            QVERIFY(etiquetteTexte(
                d, QStringLiteral("Informations et paramêtre de la base de donnée")));
            QLabel *corps = etiquetteDebut(d, "Cette page utilise");
            QVERIFY(corps);
            QVERIFY(corps->text().startsWith(
                QStringLiteral("Cette page utilise \"MYSQL\" comme base de donnée.\nPar défaut "
                               "host = \"localhost\"")));
            QVERIFY(corps->text().contains(
                QStringLiteral("\"Modifier les paramêtres\".\n\nCe programme")));
            QVERIFY(corps->text().endsWith(QStringLiteral("\"employes\" et \"absence\"")));
            // One row at the bottom: Sauvegarder, Restaurer, Fermer la page.
            QCOMPARE(boutonTexte(d, QStringLiteral("Sauvegarder"))->geometry(),
                     QRect(10, 300, 120, 40));
            QCOMPARE(boutonTexte(d, QStringLiteral("Restaurer"))->geometry(),
                     QRect(140, 300, 120, 40));
            QCOMPARE(boutonTexte(d, QStringLiteral("Fermer la page"))->geometry(),
                     QRect(270, 300, 120, 40));
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer la page")));
        });
        Banc::clic(banc.bouton(QString(), QStringLiteral("Infos sur la base de donnée")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
