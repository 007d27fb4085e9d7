#include "commun/grilles.h"
#include "support/banc.h"
#include "support/proxy.h"

#include <QSpinBox>
#include <QSqlTableModel>
#include <QTableView>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const Reponses OuiOk = { QMessageBox::Yes, QMessageBox::Ok };
const char *refus = "CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL "
                    "SQLSTATE '45000'";

// The bench, driving the orders and customers panel of the home page.
struct Poste : Banc
{
    Poste() { fenetre().connexionCommande(); } // creates the tables
    QLineEdit *champ() { return nomme<QLineEdit>(&fenetre(), "rechercheEdit"); }
    QComboBox *liste(const char *nom) { return nomme<QComboBox>(&fenetre(), nom); }
    QString tailles() { return QString("%1/%2").arg(compte("clients")).arg(compte("commandes")); }

    // Clicks a button of the panel: the boxes seen start so, answered Ok unless told.
    void lancer(const QString &texte, const QStringList &vues,
                const std::function<void(QDialog *)> &dialogue = {}, Reponses reponses = {})
    {
        pilote.effacer();
        Banc::lancer(panneauCommandes, texte, dialogue,
                     reponses.isEmpty() ? Reponses(vues.size(), QMessageBox::Ok) : reponses);
        vuesCommencent(pilote, vues);
    }

    int client(const QString &nom, const QString &entreprise = "")
    {
        const char *ajout = "INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'";
        return sql(ajout, { nom, entreprise }).lastInsertId().toInt();
    }

    // `fois` identical orders; returns the number of the first.
    int commande(int clientId, const QString &produit, int fois = 1)
    {
        const QString ajout =
            "INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
            "prix_unitaire, prix_total, commentaire, date_command) SELECT ?, ?, "
            "2.5, 'kg', 3, '10', '30', 'frais', '2013-03-05 09:25' FROM seq_1_to_";
        return sql(ajout + QString::number(fois), { clientId, produit }).lastInsertId().toInt();
    }

    // Runs a search; returns the page's title and what it reads.
    QString rechercher(int cle, const QString &texte)
    {
        liste("clientCombo")->setCurrentIndex(cle);
        champ()->setText(texte);
        QString lu;
        lancer("Rechercher", {}, [&](QDialog *d) {
            QCOMPARE(etiquetteDebut(d, "recherche sur")->textFormat(), Qt::PlainText);
            lu = d->windowTitle() + "\n" + textePage(d);
            for (QLabel *l : enfants<QLabel>(d))
                lu += "\n" + l->text();
            appuyer(d, "Fermer la page");
        });
        return lu;
    }
};

} // namespace

class TestCommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Adding: a required field left empty, then a customer the register cannot
    // hold: the dialog stays open; then stored, it closes.
    void addThenDisplay()
    {
        Poste banc;
        auto remplir = [&](QDialog *d) {
            for (const QString client : { "Alpha", "Pain 🍞", "Alpha" }) {
                QVERIFY(d->isVisible());
                nomme<QLineEdit>(d, "produitEdit")->setText("lait");
                nomme<QSpinBox>(d, "quantiteBox")->setValue(3);
                nomme<QLineEdit>(d, "prixEdit")->setText("12,50");
                nomme<QLineEdit>(d, "clientNomEdit")->setText(client);
                nomme<QLineEdit>(d, "emailEdit")->setText("alpha@exemple.fr");
                nomme<QLineEdit>(d, "telEdit")->setText(banc.pilote.boites.isEmpty() ? "" : "01");
                appuyer(d, "Enregistrer");
            }
            QVERIFY(!d->isVisible());
        };
        banc.lancer("Ajouter",
                    { "I Champs mal remplis: ", "W Erreur d'enregistrement: Le client n'a pas pu",
                      "I Enregistrement reussie: " },
                    remplir);
        QCOMPARE(banc.lignes("SELECT commandes.nom, prix_total, clients.nom FROM commandes JOIN "
                             "clients ON clients.id = client_id"),
                 (QList<QVariantList> { { "lait", "37.5", "Alpha" } }));

        // Displayed: the joined view, read only, with a customer without orders
        // too; the customers; the orders, a refused edit then a good one.
        banc.client("Sans commande");
        const QStringList titres = { "Commandes", "Clients", "Commandes et Clients" },
                          modifs = { "W Modification échouée: ", "I Modification reussie: " };
        for (int vue : { 2, 1, 0 }) {
            banc.liste("commandCombo")->setCurrentIndex(vue);
            const QString bouton = vue == 2 ? "Afficher" : "Afficher et/ou modifier";
            banc.lancer(bouton, vue ? QStringList() : modifs, [&](QDialog *d) {
                QCOMPARE(d->windowTitle(), "Affichage et modification des " + titres[vue]);
                QTableView *grille = enfants<QTableView>(d).value(0);
                QCOMPARE(grille->model()->rowCount(), vue ? 2 : 1);
                QCOMPARE(boutonTexte(d, "Valider")->isVisible(), vue != 2);
                if (auto *m = qobject_cast<QSqlTableModel *>(modeleDe(grille)); !vue) {
                    QVERIFY(m->setData(m->index(0, 5), "beaucoup"));
                    appuyer(d, "Valider");
                    QVERIFY(m->setData(m->index(0, 5), 4) && m->setData(m->index(0, 2), "crème"));
                    appuyer(d, "Valider");
                }
                appuyer(d, "Fermer la page");
            });
        }
        QCOMPARE(banc.lignes("SELECT nom, quantite FROM commandes"),
                 (QList<QVariantList> { { "crème", 4 } }));
        QCOMPARE(propositions(banc.champ()), QStringList { "crème" });
    }

    // Deleting, refused by the database: nothing goes, the dialog stays open;
    // then a customer goes with its orders. An orphan order is not offered.
    void deleteOrEmpty()
    {
        Poste banc;
        const int alpha = banc.client("Alpha", "Beta"), gamma = banc.client("Gamma");
        const int lait = banc.commande(alpha, "lait");
        banc.commande(gamma, "pain");
        banc.commande(99, "orphelin");
        banc.sql(refus);
        const QString n = "n°%1 %2";
        auto supprimer = [&](QDialog *d) {
            QCOMPARE(elements(nomme<QComboBox>(d, "elementBox")),
                     (QStringList { n.arg(lait).arg("lait de Alpha"),
                                    n.arg(lait + 1).arg("pain de Gamma") }));
            nomme<QComboBox>(d, "produitBox")->setCurrentIndex(1);
            QCOMPARE(
                elements(nomme<QComboBox>(d, "elementBox")),
                (QStringList { n.arg(alpha).arg("Alpha de Beta"), n.arg(gamma).arg("Gamma") }));
            appuyer(d, "Supprimer");
            QVERIFY(d->isVisible() && banc.tailles() == "2/3");
            banc.sql("DROP TRIGGER refus");
            appuyer(d, "Supprimer");
            if (d->isVisible())
                appuyer(d, "Fermer la page");
        };
        banc.lancer("Supprimer", { "W Suppression échouée", "I Suppression reussie" }, supprimer);
        QCOMPARE(banc.tailles(), "1/2");

        // Asked first; refused by the database; the orders only; the customers too.
        auto vider = [&](int choix, const QStringList &vues, const Reponses &reponses) {
            auto dialogue = [&](QDialog *d) {
                nomme<QComboBox>(d, "videBox")->setCurrentIndex(choix);
                appuyer(d, "Vider");
                if (d->isVisible())
                    appuyer(d, "Fermer la page");
            };
            banc.lancer("Vider", QStringList { "Q Confirmation du vidage: " } + vues, dialogue,
                        reponses);
        };
        vider(1, {}, { QMessageBox::No });
        banc.sql(refus);
        vider(1, { "I Opération échouée: Vos clients et vos commandes" }, OuiOk);
        QCOMPARE(banc.tailles(), "1/2");
        banc.sql("DROP TRIGGER refus");
        vider(0, { "I Opération reussie: Vos commandes" }, OuiOk);
        QCOMPARE(banc.tailles() + propositions(banc.champ()).join(""), "1/0");
        vider(1, { "I Opération reussie: " }, OuiOk);
        QCOMPARE(banc.tailles(), "0/0");
        // Only an order whose customer is gone: nothing to show.
        banc.commande(99, "orphelin");
        for (const char *bouton : { "Vider", "Supprimer", "Afficher et/ou modifier" })
            banc.lancer(bouton, { "I Pas de données: " });
    }

    // The answer to the commit lost with the connection: the journal, when the
    // server can be asked, shows the order stored, and the user is told so;
    // otherwise neither a success nor a failure is told. The next command
    // connects again.
    void addWhileTheAnswerIsLost()
    {
        Proxy proxy;
        Banc banc("127.0.0.1 %1 root ");
        QSqlDatabase::database(QSqlDatabase::defaultConnection, false).setPort(proxy.port());
        QVERIFY(banc.fenetre().connexionCommande());
        auto ajouter = [](QDialog *d) {
            for (const auto &[champ, texte] :
                 { std::pair("produitEdit", "lait"), std::pair("prixEdit", "12,50"),
                   std::pair("clientNomEdit", "Alpha"), std::pair("emailEdit", "a@b.fr"),
                   std::pair("telEdit", "01") })
                nomme<QLineEdit>(d, champ)->setText(texte);
            appuyer(d, "Enregistrer");
            if (d->isVisible())
                appuyer(d, "Fermer");
        };
        for (bool injoignable : { true, false }) {
            proxy.perdreReponseAuCommit();
            proxy.refuserConnexions(injoignable);
            banc.lancer(panneauCommandes, "Ajouter", ajouter, { QMessageBox::Ok });
            QVERIFY(!proxy.arme());
        }
        proxy.refuserConnexions(false);
        banc.lancer(panneauCommandes, "Ajouter", ajouter, { QMessageBox::Ok });
        vuesCommencent(banc.pilote,
                       { "W Enregistrement incertain: La connexion au serveur a été perdue",
                         "I Enregistrement reussie: Votre commande a été",
                         "I Enregistrement reussie: " });
        QCOMPARE(banc.compte("commandes"), 3);
    }

    void searchAndSummary()
    {
        Poste banc;
        const int alpha = banc.client("<i>Alpha</i>", "Beta & fils");
        banc.client("O'Brien");
        banc.sql("UPDATE commandes SET poids=0.1, poids_unite='g' WHERE id=?",
                 { banc.commande(alpha, "petit lait") });
        banc.liste("clientCombo")->setCurrentIndex(1);
        QCOMPARE(propositions(banc.champ()), (QStringList { "<i>Alpha</i>", "O'Brien" }));
        // Typed text shows as typed; a weight as typed, not as the float column holds it.
        dansLOrdre(banc.rechercher(0, "lait"),
                   { "Recherche d'un produit", "nom du produit = petit lait\npoids = 0.1g\n",
                     "\n\nnom du clients = <i>Alpha</i> de Beta & fils\n" });
        QVERIFY(banc.rechercher(0, "<b>y").contains("Il n'y a pas de produit commandé du nom de "
                                                    "\"<b>y\""));
        dansLOrdre(banc.rechercher(1, "'Bri"),
                   { "Recherche d'un client", "Nom = O'Brien\nNom de l'entreprise = \n",
                     "Nombre de commandes effectuées = 0 commandes" });

        // The counts, then the customers that have orders, the most active first.
        banc.commande(banc.client("Dupont", "Beta"), "b", 3);
        banc.lancer("Informations", {}, [](QDialog *d) {
            QCOMPARE(texteVisible(etiquetteDebut(d, "Commandes : ")->text()),
                     "Commandes : Vous avez en tout : 4 commandes\nClients : Vous avez en tout : "
                     "3 clients");
            QCOMPARE(textePage(d).split("\n\n", Qt::SkipEmptyParts),
                     (QStringList { "Le client Dupont de Beta a fait 3 commandes",
                                    "Le client <i>Alpha</i> de Beta & fils a fait 1 commandes" }));
            appuyer(d, "Fermer la page");
        });
    }
};

QTEST_MAIN(TestCommandes)
#include "tst_commandes.moc"
