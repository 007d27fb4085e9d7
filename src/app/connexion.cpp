#include "app/entreprise.h"

#include "app/base.h"

#include <QMessageBox>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <mysql.h>
#include <poll.h>

namespace {

const QString tableCompte = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS compte (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, sujet "
    "ENUM('Dépense', 'Gain') NOT NULL, valeur VARCHAR(20) NOT NULL, commentaire TEXT, date_insert "
    "DATETIME NOT NULL, PRIMARY KEY(id)) DEFAULT CHARSET=utf8;");

const QString tableCommandes = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS commandes (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, client_id "
    "SMALLINT UNSIGNED NOT NULL, nom VARCHAR(60) NOT NULL, poids FLOAT, poids_unite VARCHAR(10) "
    "NOT "
    "NULL, quantite INT NOT NULL, prix_unitaire VARCHAR(20) NOT NULL, prix_total VARCHAR(20) NOT "
    "NULL, commentaire TEXT, date_command DATETIME NOT NULL, PRIMARY KEY(id)) DEFAULT "
    "CHARSET=utf8;");

const QString tableClients = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS clients (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, nom "
    "VARCHAR(60) NOT NULL, entreprise VARCHAR(60), email VARCHAR(60) NOT NULL, tel VARCHAR(60) NOT "
    "NULL, PRIMARY KEY(id)) DEFAULT CHARSET=utf8;");

// Orders are joined to their customer, and absences to their person, by
// columns that the tables themselves do not index.
const QString indexCommandes =
    QStringLiteral("CREATE INDEX IF NOT EXISTS commandes_client_id ON commandes (client_id)");

const QString tableEmployes = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS employes (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, type "
    "TINYINT NOT NULL, nom VARCHAR(60) NOT NULL, prenom VARCHAR(60) NOT NULL, nom_prenom "
    "VARCHAR(120) NOT NULL, sexe CHAR(1) NOT NULL, domaine VARCHAR(255) NOT NULL, date_naissance "
    "DATE NOT NULL, date_embouche DATE NOT NULL, duree TINYINT UNSIGNED, date_fin DATE, "
    "commentaire "
    "TEXT, PRIMARY KEY (id)) DEFAULT CHARSET=utf8;");

const QString tableAbsence = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS absence (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, employe_id "
    "SMALLINT UNSIGNED NOT NULL, date_absence DATE NOT NULL, nbre_heure SMALLINT UNSIGNED NOT "
    "NULL, "
    "PRIMARY KEY(id)) DEFAULT CHARSET=utf8;");

const QString indexAbsence =
    QStringLiteral("CREATE INDEX IF NOT EXISTS absence_employe_id ON absence (employe_id)");

// Every value is stored as typed or refused, never silently cut or replaced,
// whatever the server's own default mode.
const QString modeStrict =
    QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,"
                   "ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION'");

} // namespace

bool Entreprise::connexionCompte()
{
    return passerPorte(compteConnecte, Section::Compte);
}

bool Entreprise::connexionCommande()
{
    return passerPorte(gestionConnecte, Section::Commandes);
}

bool Entreprise::connexionEmploye()
{
    return passerPorte(gestionConnecte, Section::Employes);
}

namespace {

struct Schema
{
    QStringList tables;
    QStringList instructions;
};

Schema schemaDe(int section)
{
    switch (section) {
    case 0:
        return { { QStringLiteral("compte") }, { tableCompte } };
    case 1:
        return { { QStringLiteral("commandes"), QStringLiteral("clients") },
                 { tableCommandes, tableClients, indexCommandes } };
    default:
        return { { QStringLiteral("employes"), QStringLiteral("absence") },
                 { tableEmployes, tableAbsence, indexAbsence } };
    }
}

// Sends the section's tables and the session's settings, then checks that the
// section can work: its tables are there and the session is strict. A user
// allowed only to read and write existing tables sees the CREATE statements
// refused; that is no failure as long as the tables exist.
bool preparer(QSqlDatabase &db, const Schema &schema, QString *probleme)
{
    QSqlQuery requete(db);
    for (const QString &instruction : schema.instructions)
        executer(requete, instruction);
    executer(requete, QStringLiteral("SET lc_time_names = 'fr_FR'"));
    executer(requete, modeStrict);
    // Lists of absences and the like are joined by the server: a person with
    // many absences keeps them all.
    executer(requete, QStringLiteral("SET SESSION group_concat_max_len = 16777216"));
    // A row another workstation holds is waited for a few seconds, not for
    // the server's default of almost a minute with the window frozen: past
    // them, the write is run again once or the user is told.
    executer(requete, QStringLiteral("SET SESSION innodb_lock_wait_timeout = 3"));

    QStringList noms;
    for (const QString &table : schema.tables)
        noms << QLatin1Char('\'') + table + QLatin1Char('\'');
    if (!executer(requete,
                  QStringLiteral("SELECT @@SESSION.sql_mode, (SELECT COUNT(*) FROM "
                                 "information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                                 "TABLE_NAME IN (")
                      + noms.join(QLatin1Char(',')) + QStringLiteral("))"))
        || !requete.next()) {
        *probleme = messageServeur(requete);
        return false;
    }
    if (!requete.value(0)
             .toString()
             .split(QLatin1Char(','))
             .contains(QLatin1String("STRICT_ALL_TABLES"))) {
        *probleme = QStringLiteral("le mode strict n'a pas pu être activé");
        return false;
    }
    if (requete.value(1).toInt() != schema.tables.size()) {
        *probleme = QStringLiteral("les tables %1 n'existent pas et n'ont pas pu être créées")
                        .arg(schema.tables.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

// After a pause this long, the server is asked whether it still holds the
// connection: a machine restarted, or a router that forgot an idle link, close
// nothing on this side.
const qint64 pauseDouteuse = 30 * 1000;

// True when the server still holds the connection. Between two commands the
// server never speaks first: anything waiting on the socket, or its end, means
// the server closed the connection (killed, restarted, timed out), which is
// learnt without a word to the server. After a long pause, a ping (no
// statement) asks. Without the client library's handle, one statement does.
bool connexionVivante(QSqlDatabase &db, bool apresPause)
{
    const QVariant poignee = db.driver()->handle();
    // Qt names the handle's type after the structure behind the typedef.
    if (poignee.isValid()
        && (qstrcmp(poignee.typeName(), "MYSQL*") == 0
            || qstrcmp(poignee.typeName(), "st_mysql*") == 0)) {
        MYSQL *mysql = *static_cast<MYSQL *const *>(poignee.constData());
        if (!mysql)
            return false;
        const my_socket prise = mysql_get_socket(mysql);
        if (prise == MARIADB_INVALID_SOCKET)
            return false;
        pollfd attente { prise, POLLIN | POLLRDHUP, 0 };
        if (::poll(&attente, 1, 0) != 0)
            return false;
        return !apresPause || mysql_ping(mysql) == 0;
    }
    QSqlQuery ping(db);
    return executer(ping, QStringLiteral("SELECT 1"));
}

} // namespace

bool Entreprise::passerPorte(bool &drapeau, Section section)
{
    drapeau = false;
    // An open connection is kept while the server still holds it; after a
    // restart of the server, or a change of settings, it is opened again, and
    // everything the session had is sent again.
    if (db.isOpen()
        && !connexionVivante(
            db, !derniereCommande.isValid() || derniereCommande.elapsed() > pauseDouteuse))
        db.close();
    if (!db.isOpen()) {
        sectionsPretes.clear();
        if (!db.open())
            qWarning("Connexion impossible : %s", qPrintable(db.lastError().text()));
    }
    derniereCommande.start();
    // A table dropped under the program's feet is created again.
    if (tableDisparue())
        sectionsPretes.clear();

    QString probleme;
    if (db.isOpen() && !sectionsPretes.contains(section)) {
        if (preparer(db, schemaDe(int(section)), &probleme))
            sectionsPretes.insert(section);
        else
            qWarning("La base de donnée ne permet pas de travailler : %s", qPrintable(probleme));
    }
    drapeau = db.isOpen() && sectionsPretes.contains(section);
    if (drapeau)
        return true;
    QMessageBox::critical(this, QStringLiteral("Base de donnée inaccessible"),
                          QStringLiteral("Le programme n'a pas pu se connecter à la base de "
                                         "donnée.\nPour l'information, par défaut serveur = "
                                         "localhost, base_de_donnée = test, utilisateur = root et "
                                         "mot_de_passe est vide."));
    return false;
}
