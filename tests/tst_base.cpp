// A read the server refuses is told, never shown as an empty page; an account that may only read
// and write works, and is stopped at the gate where tables are missing.

#include "support/banc.h"

#include <QLineEdit>
#include <QSqlQuery>

namespace {

// Presses a home-page button expecting only a box: no dialog may open.
Boite seulementUneBoite(Banc &banc, const QString &groupe, const QString &bouton)
{
    banc.pilote.effacer();
    banc.pilote.boite();
    Banc::clic(banc.bouton(groupe, bouton));
    return banc.pilote.boites.value(0);
}

} // namespace

class TestBase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedReadsAreToldInEverySection_data()
    {
        QTest::addColumn<QString>("groupe");
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<QString>("colonne"); // the column dropped, as table.column, or a table
        const auto ligne = [](const char *nom, const QString &groupe, const char *bouton,
                              const char *colonne) {
            QTest::newRow(nom) << groupe << QString(bouton) << QString(colonne);
        };
        ligne("balance report", panneauCompte, "Bilan", "compte.valeur");
        ligne("delete list", panneauCompte, "Supprimer", "compte.valeur");
        ligne("orders summary", panneauCommandes, "Informations", "clients.entreprise");
        ligne("product search", panneauCommandes, "Rechercher", "commandes.prix_total");
        ligne("delete list of orders", panneauCommandes, "Supprimer", "clients.nom");
        ligne("staff search", panneauEmployes, "Chercher", "employes.commentaire");
        ligne("staff summary", panneauEmployes, "Informations", "absence.nbre_heure");
        ligne("absence list", panneauEmployes, "Supprimer une absence", "absence.nbre_heure");
        ligne("dropped table", panneauCompte, "Supprimer", "compte");
    }

    void failedReadsAreToldInEverySection()
    {
        QFETCH(QString, groupe);
        QFETCH(QString, bouton);
        QFETCH(QString, colonne);
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte() && banc.fenetre().connexionCommande()
                && banc.fenetre().connexionEmploye());
        // Rows to show, so that nothing but the refusal can stop the command.
        banc.sql("INSERT INTO compte VALUES (1, 'Gain', '10', '', NOW())");
        banc.sql("INSERT INTO clients VALUES (1, 'Martin', 'Beta', 'm@b.fr', '01')");
        banc.sql("INSERT INTO commandes (client_id, nom, poids_unite, quantite, prix_unitaire, "
                 "prix_total, date_command) VALUES (1, 'lait', 'g', 1, '1', '1', NOW())");
        banc.sql("INSERT INTO employes (type, nom, prenom, nom_prenom, sexe, domaine, "
                 "date_naissance, date_embouche) VALUES (1, 'Durand', 'Lea', 'Durand Lea', 'F', "
                 "'Vente', '1990-01-01', '2013-01-01')");
        banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES (1, "
                 "'2013-03-05', 8)");
        const QString nom = colonne.section('.', -1);
        banc.sql(colonne.contains('.')
                     ? "ALTER TABLE " + colonne.section('.', 0, 0) + " DROP COLUMN " + nom
                     : "DROP TABLE " + nom);

        const Boite vue = seulementUneBoite(banc, groupe, bouton);
        vuesCommencent(banc.pilote,
                       { "W Erreur de la base de donnée: La base de donnée a refusé "
                         "la demande :\n" });
        // The server's own message, which names what is missing.
        QVERIFY2(vue.texte.contains(nom + "'"), qPrintable(vue.texte));
        QCOMPARE(vue.parent, "TABLORAN");
        // A dropped table is created again by the next command: the book is found empty.
        if (nom == "compte")
            QCOMPARE(seulementUneBoite(banc, groupe, bouton).titre, "table vide");
    }

    void aUserWhoOnlyReadsAndWritesStillWorks()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        banc.sql("CREATE USER IF NOT EXISTS 'limite'@'localhost' IDENTIFIED BY 'secret'");
        banc.sql("GRANT SELECT, INSERT, UPDATE, DELETE ON " + banc.nom
                 + ".* TO 'limite'@'localhost'");

        // The user changes the settings, then adds an expense.
        parametrer(banc, { { "userEdit", "limite" }, { "passwordEdit", "secret" } });
        banc.lancer(panneauCompte, "Ajouter", [&](QDialog *d) {
            nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
            nomme<QLineEdit>(d, "valeurEdit")->setText("30");
            banc.pilote.boite();
            appuyer(d, "Ajouter");
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(1).titre, "Ajout reussi avec succes");
        QCOMPARE(banc.valeur("SELECT valeur FROM compte").toString(), "30");

        // The orders' tables are missing and this user cannot create them: the gate says so.
        seulementUneBoite(banc, panneauCommandes, "Informations");
        vuesCommencent(banc.pilote, { "C Base de donnée inaccessible: " });
        QVERIFY(!banc.valeur("SHOW TABLES LIKE 'commandes'").isValid());
        banc.sql("DROP USER 'limite'@'localhost'");
    }
};

QTEST_MAIN(TestBase)
#include "tst_base.moc"
