#include "commun/schema.h"

#include "commun/base.h"

#include <QHash>
#include <QSqlQuery>

namespace {

struct Table
{
    QString nom;
    QString creation;
    // Orders are joined to their customer, and absences to their person, by
    // columns that the tables themselves do not index; the journal is read
    // by operation and by row.
    QStringList index;
    QHash<QString, int> textes;
};

QList<Table> journal()
{
    return {
        // The journal: one row per command that changed the registers (the
        // history page lists them), and one row per register row it changed,
        // with the row before and after as JSON text (undo puts them back).
        { QStringLiteral("operations"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS operations (id BIGINT UNSIGNED NOT NULL "
              "AUTO_INCREMENT, numero BIGINT UNSIGNED NOT NULL, quand DATETIME(3) NOT NULL, "
              "poste VARCHAR(255) NOT NULL, utilisateur VARCHAR(255) NOT NULL, registre "
              "VARCHAR(20) NOT NULL, genre VARCHAR(20) NOT NULL, resume TEXT NOT NULL, annulee "
              "BIGINT UNSIGNED, fichier TEXT, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT "
              "CHARSET=utf8mb4;"),
          { QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS operations_numero ON operations "
                           "(numero)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS operations_registre ON operations "
                           "(registre, id)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS operations_poste ON operations (poste, "
                           "id)") },
          {} },
        { QStringLiteral("historique"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS historique (id BIGINT UNSIGNED NOT NULL "
              "AUTO_INCREMENT, operation BIGINT UNSIGNED NOT NULL, quand DATETIME(3) NOT NULL, "
              "poste VARCHAR(255) NOT NULL, utilisateur VARCHAR(255) NOT NULL, table_nom "
              "VARCHAR(20) NOT NULL, cle BIGINT UNSIGNED NOT NULL, action VARCHAR(20) NOT NULL, "
              "avant LONGTEXT, apres LONGTEXT, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT "
              "CHARSET=utf8mb4;"),
          // One index only: an emptying writes an entry per row. The later
          // changes of a row are looked for after the entry, by its number.
          { QStringLiteral("CREATE INDEX IF NOT EXISTS historique_operation ON historique "
                           "(operation, table_nom)") },
          {} },
    };
}

QList<Table> identite()
{
    return {
        // The business as its invoices name it: one row, typed once. The
        // logo's bytes are kept as base64 text, which backups hold as they
        // hold any text.
        { QStringLiteral("entreprise"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS entreprise (id TINYINT UNSIGNED NOT NULL, nom "
              "VARCHAR(100) NOT NULL, forme VARCHAR(60) NOT NULL, adresse TEXT NOT NULL, tel "
              "VARCHAR(60) NOT NULL, email VARCHAR(100) NOT NULL, registre_commerce VARCHAR(60) "
              "NOT NULL, identifiant_fiscal VARCHAR(60) NOT NULL, taux_taxe INT UNSIGNED NOT "
              "NULL, sans_taxe TEXT NOT NULL, devise VARCHAR(10) NOT NULL, conditions TEXT NOT "
              "NULL, logo LONGTEXT, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;"),
          {},
          { { QStringLiteral("nom"), 100 },
            { QStringLiteral("forme"), largeurs::nom },
            { QStringLiteral("adresse"), 0 },
            { QStringLiteral("tel"), largeurs::nom },
            { QStringLiteral("email"), 100 },
            { QStringLiteral("registre_commerce"), largeurs::nom },
            { QStringLiteral("identifiant_fiscal"), largeurs::nom },
            { QStringLiteral("sans_taxe"), 0 },
            { QStringLiteral("devise"), largeurs::unite },
            { QStringLiteral("conditions"), 0 } } },
    };
}

// Which orders are invoiced, and the numbers given in each series.
QList<Table> suiviFactures()
{
    return {
        // The orders an invoice in force holds: one invoice at a time per order.
        { QStringLiteral("commandes_facturees"),
          QStringLiteral("CREATE TABLE IF NOT EXISTS commandes_facturees (id INT UNSIGNED NOT NULL "
                         "AUTO_INCREMENT, commande_id SMALLINT UNSIGNED NOT NULL, facture_id INT "
                         "UNSIGNED "
                         "NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;"),
          { QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS commandes_facturees_commande ON "
                           "commandes_facturees (commande_id)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS commandes_facturees_facture ON "
                           "commandes_facturees (facture_id)") },
          {} },
        // The last number given in each series and year, read with a lock by
        // the issuing transaction.
        { QStringLiteral("compteurs_factures"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS compteurs_factures (id INT UNSIGNED NOT NULL "
              "AUTO_INCREMENT, serie VARCHAR(2) NOT NULL, annee SMALLINT UNSIGNED NOT NULL, "
              "dernier INT UNSIGNED NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT "
              "CHARSET=utf8mb4;"),
          { QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS compteurs_factures_serie ON "
                           "compteurs_factures (serie, annee)") },
          {} },
    };
}

QList<Table> factures()
{
    return identite()
        + QList<Table> {
              // Invoices and credit notes (serie 'A'), never changed once issued:
              // the customer, the business, the tax and every line as printed,
              // amounts in cents. A credit note names the invoice it cancels.
              { QStringLiteral("factures"),
                QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS factures (id INT UNSIGNED NOT NULL AUTO_INCREMENT, "
                    "serie VARCHAR(2) NOT NULL, annee SMALLINT UNSIGNED NOT NULL, numero INT "
                    "UNSIGNED "
                    "NOT NULL, date_facture DATE NOT NULL, facture_id INT UNSIGNED, client_id "
                    "SMALLINT "
                    "UNSIGNED NOT NULL, client_nom VARCHAR(60) NOT NULL, client_entreprise "
                    "VARCHAR(60), client_email VARCHAR(60) NOT NULL, client_tel VARCHAR(60) NOT "
                    "NULL, "
                    "client_adresse TEXT NOT NULL, emetteur LONGTEXT NOT NULL, taux_taxe INT "
                    "UNSIGNED "
                    "NOT NULL, sans_taxe TEXT NOT NULL, devise VARCHAR(10) NOT NULL, conditions "
                    "TEXT "
                    "NOT NULL, total_ht BIGINT NOT NULL, taxe BIGINT NOT NULL, total BIGINT NOT "
                    "NULL, "
                    "PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;"),
                { QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS factures_numero ON factures "
                                 "(serie, annee, numero)"),
                  QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS factures_avoir ON factures "
                                 "(facture_id)") },
                {} },
              { QStringLiteral("lignes_facture"),
                QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS lignes_facture (id INT UNSIGNED NOT NULL "
                    "AUTO_INCREMENT, facture_id INT UNSIGNED NOT NULL, commande_id SMALLINT "
                    "UNSIGNED "
                    "NOT NULL, produit VARCHAR(60) NOT NULL, poids DOUBLE, unite VARCHAR(10) NOT "
                    "NULL, "
                    "quantite INT NOT NULL, prix_unitaire BIGINT NOT NULL, total BIGINT NOT NULL, "
                    "PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;"),
                { QStringLiteral(
                    "CREATE INDEX IF NOT EXISTS lignes_facture_facture ON lignes_facture "
                    "(facture_id)") },
                {} },
          } + suiviFactures();
}

// The invoices' tables, then the journal's, after the registers'.
QList<Table> facturesEtJournal()
{
    return factures() + journal();
}

const QList<Table> &registres()
{
    static const QList<Table> tables = QList<Table> {
        { QStringLiteral("compte"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS compte (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, "
              "sujet ENUM('Dépense', 'Gain') NOT NULL, valeur VARCHAR(20) NOT NULL, commentaire "
              "TEXT, date_insert DATETIME NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT "
              "CHARSET=utf8;"),
          {},
          { { QStringLiteral("commentaire"), 0 } } },
        { QStringLiteral("commandes"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS commandes (id SMALLINT UNSIGNED NOT NULL "
              "AUTO_INCREMENT, client_id SMALLINT UNSIGNED NOT NULL, nom VARCHAR(60) NOT NULL, "
              "poids FLOAT, poids_unite VARCHAR(10) NOT NULL, quantite INT NOT NULL, "
              "prix_unitaire VARCHAR(20) NOT NULL, prix_total VARCHAR(20) NOT NULL, commentaire "
              "TEXT, date_command DATETIME NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT "
              "CHARSET=utf8;"),
          { QStringLiteral(
              "CREATE INDEX IF NOT EXISTS commandes_client_id ON commandes (client_id)") },
          { { QStringLiteral("nom"), largeurs::nom },
            { QStringLiteral("poids_unite"), largeurs::unite },
            { QStringLiteral("commentaire"), 0 } } },
        { QStringLiteral("clients"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS clients (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, "
              "nom VARCHAR(60) NOT NULL, entreprise VARCHAR(60), email VARCHAR(60) NOT NULL, tel "
              "VARCHAR(60) NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8;"),
          {},
          { { QStringLiteral("nom"), largeurs::nom },
            { QStringLiteral("entreprise"), largeurs::nom },
            { QStringLiteral("email"), largeurs::nom },
            { QStringLiteral("tel"), largeurs::nom } } },
        { QStringLiteral("employes"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS employes (id SMALLINT UNSIGNED NOT NULL "
              "AUTO_INCREMENT, type TINYINT NOT NULL, nom VARCHAR(60) NOT NULL, prenom "
              "VARCHAR(60) NOT NULL, nom_prenom VARCHAR(120) NOT NULL, sexe CHAR(1) NOT NULL, "
              "domaine VARCHAR(255) NOT NULL, date_naissance DATE NOT NULL, date_embouche DATE "
              "NOT NULL, duree TINYINT UNSIGNED, date_fin DATE, commentaire TEXT, PRIMARY KEY "
              "(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8;"),
          {},
          { { QStringLiteral("nom"), largeurs::nom },
            { QStringLiteral("prenom"), largeurs::nom },
            { QStringLiteral("nom_prenom"), largeurs::nomPrenom },
            { QStringLiteral("domaine"), largeurs::domaine },
            { QStringLiteral("commentaire"), 0 } } },
        { QStringLiteral("absence"),
          QStringLiteral(
              "CREATE TABLE IF NOT EXISTS absence (id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, "
              "employe_id SMALLINT UNSIGNED NOT NULL, date_absence DATE NOT NULL, nbre_heure "
              "SMALLINT UNSIGNED NOT NULL, PRIMARY KEY(id)) ENGINE=InnoDB DEFAULT CHARSET=utf8;"),
          { QStringLiteral(
              "CREATE INDEX IF NOT EXISTS absence_employe_id ON absence (employe_id)") },
          {} },
    } + facturesEtJournal();
    return tables;
}

const Table *tableNommee(const QString &nom)
{
    for (const Table &table : registres()) {
        if (table.nom == nom)
            return &table;
    }
    return nullptr;
}

// Every value is stored as typed or refused, never silently cut or replaced,
// whatever the server's own default mode.
const QString modeStrict =
    QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,"
                   "ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION'");

} // namespace

namespace schema {

const QStringList &tablesRegistres()
{
    static const QStringList noms = [] {
        QStringList liste;
        for (const Table &table : registres())
            liste << table.nom;
        return liste;
    }();
    return noms;
}

const QStringList &tablesFactures()
{
    static const QStringList noms = { QStringLiteral("entreprise"), QStringLiteral("factures"),
                                      QStringLiteral("lignes_facture"),
                                      QStringLiteral("commandes_facturees"),
                                      QStringLiteral("compteurs_factures") };
    return noms;
}

const QStringList &tablesJournal()
{
    static const QStringList noms = { QStringLiteral("operations"), QStringLiteral("historique") };
    return noms;
}

QStringList creation(const QStringList &tables)
{
    QStringList instructions;
    for (const QString &nom : tables) {
        if (const Table *table = tableNommee(nom))
            instructions << table->creation;
    }
    for (const QString &nom : tables) {
        if (const Table *table = tableNommee(nom))
            instructions << table->index;
    }
    return instructions;
}

QStringList colonnes(const QString &table)
{
    const Table *t = tableNommee(table);
    if (!t)
        return {};
    // The definitions between the outer parentheses whose first word is no key.
    QStringList noms;
    const QString &creation = t->creation;
    int profondeur = 0;
    qsizetype debut = creation.indexOf(QLatin1Char('(')) + 1;
    for (qsizetype i = debut; i < creation.size() && profondeur >= 0; ++i) {
        const QChar c = creation.at(i);
        profondeur += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
        if ((c != QLatin1Char(',') || profondeur != 0) && profondeur >= 0)
            continue;
        const QString mot =
            creation.mid(debut, i - debut).trimmed().section(QLatin1Char(' '), 0, 0);
        if (!mot.startsWith(QLatin1String("PRIMARY")))
            noms << mot;
        debut = i + 1;
    }
    return noms;
}

int largeurTexte(const QString &table, const QString &colonne)
{
    const Table *t = tableNommee(table);
    return t ? t->textes.value(colonne, -1) : -1;
}

// Sends the tables' and the session's settings, then checks that the
// section can work: its tables are there and the session is strict. A user
// allowed only to read and write existing tables sees the CREATE statements
// refused; that is no failure as long as the tables exist.
bool preparer(const QSqlDatabase &db, const QStringList &tables, QString *probleme)
{
    QSqlQuery requete(db);
    // Strict first: a server without InnoDB then refuses the tables rather
    // than create them on an engine without transactions.
    executer(requete, modeStrict);
    for (const QString &instruction : schema::creation(tables))
        executer(requete, instruction);
    executer(requete, QStringLiteral("SET lc_time_names = 'fr_FR'"));
    // Lists of absences and the like are joined by the server: a person with
    // many absences keeps them all.
    executer(requete, QStringLiteral("SET SESSION group_concat_max_len = 16777216"));
    // A row another workstation holds is waited for a few seconds, not for
    // the server's default of almost a minute with the window frozen: past
    // them, the write is run again once or the user is told.
    executer(requete, QStringLiteral("SET SESSION innodb_lock_wait_timeout = 3"));

    QStringList noms;
    for (const QString &table : tables)
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
    if (requete.value(1).toInt() != tables.size()) {
        *probleme = QStringLiteral("les tables %1 n'existent pas et n'ont pas pu être créées")
                        .arg(tables.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

bool sansTransactions(const QSqlDatabase &db, const QStringList &tables, QStringList *trouvees,
                      QString *probleme)
{
    trouvees->clear();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA "
                             "= DATABASE() AND TABLE_NAME = ? AND ENGINE <> 'InnoDB'"));
    for (const QString &table : tables) {
        q.bindValue(0, table);
        if (!executer(q)) {
            *probleme = messageServeur(q);
            return false;
        }
        if (q.next())
            trouvees->append(table);
    }
    return true;
}

bool convertir(const QSqlDatabase &db, const QString &table, QString *probleme)
{
    if (!tableNommee(table)) {
        *probleme = QStringLiteral("la table %1 n'est pas une table du programme").arg(table);
        return false;
    }
    QSqlQuery q(db);
    if (executer(q, QStringLiteral("ALTER TABLE %1 ENGINE=InnoDB").arg(table)))
        return true;
    *probleme = messageServeur(q);
    return false;
}

bool plusHautsNumeros(const QSqlDatabase &db, const QStringList &tables, Bornes *bornes,
                      QString *probleme)
{
    bornes->clear();
    QSqlQuery q(db);
    for (const QString &table : tables) {
        if (!tableNommee(table))
            continue;
        if (!executer(q, QStringLiteral("SELECT IFNULL(MAX(id), 0) FROM ") + table) || !q.next()) {
            *probleme = messageServeur(q);
            return false;
        }
        bornes->insert(table, q.value(0).toLongLong());
    }
    return true;
}

QString dansBorne(const Bornes &bornes, const QString &table)
{
    const auto borne = bornes.constFind(table);
    if (borne == bornes.constEnd())
        return QStringLiteral("TRUE");
    return QStringLiteral("%1.id <= %2").arg(table).arg(*borne);
}

} // namespace schema
