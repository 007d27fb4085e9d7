#include "app/entreprise.h"

#include <QMessageBox>
#include <QSqlQuery>

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
const QString indexCommandes
    = QStringLiteral("CREATE INDEX IF NOT EXISTS commandes_client_id ON commandes (client_id)");

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

const QString indexAbsence
    = QStringLiteral("CREATE INDEX IF NOT EXISTS absence_employe_id ON absence (employe_id)");

// Every value is stored as typed or refused, never silently cut or replaced,
// whatever the server's own default mode.
const QString modeStrict
    = QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,"
                     "ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION'");

} // namespace

bool Entreprise::connexionCompte()
{
    return passerPorte(compteConnecte, { tableCompte });
}

bool Entreprise::connexionCommande()
{
    return passerPorte(gestionConnecte, { tableCommandes, tableClients, indexCommandes });
}

bool Entreprise::connexionEmploye()
{
    return passerPorte(gestionConnecte, { tableEmployes, tableAbsence, indexAbsence });
}

bool Entreprise::passerPorte(bool &drapeau, const QStringList &tables)
{
    drapeau = false;
    // An open connection is kept while the server still answers on it; after a
    // restart of the server, or a change of settings, it is opened again.
    if (db.isOpen()) {
        QSqlQuery ping(db);
        if (!ping.exec(QStringLiteral("SELECT 1")))
            db.close();
    }
    drapeau = db.isOpen() || db.open();
    if (drapeau) {
        QSqlQuery requete(db);
        for (const QString &table : tables)
            requete.exec(table);
        requete.exec(QStringLiteral("SET lc_time_names = 'fr_FR'"));
        requete.exec(modeStrict);
        return true;
    }
    QMessageBox::critical(this, QStringLiteral("Base de donnée inaccessible"),
                          QStringLiteral("Le programme n'a pas pu se connecter à la base de "
                                         "donnée.\nPour l'information, par défaut serveur = "
                                         "localhost, base_de_donnée = test, utilisateur = root et "
                                         "mot_de_passe est vide."));
    return false;
}
