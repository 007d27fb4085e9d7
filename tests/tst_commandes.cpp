#include "commun/grilles.h"
#include "support/banc.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QSqlTableModel>
#include <QTableView>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const QMessageBox::StandardButton Ok = QMessageBox::Ok, Oui = QMessageBox::Yes;

// The bench, driving the orders and customers panel of the home page.
struct Poste : Banc
{
    Poste() { fenetre().connexionCommande(); } // creates the tables
    QLineEdit *champ() { return nomme<QLineEdit>(&fenetre(), "rechercheEdit"); }
    QComboBox *cle() { return nomme<QComboBox>(&fenetre(), "clientCombo"); }
    QComboBox *vue() { return nomme<QComboBox>(&fenetre(), "commandCombo"); }
    QString tailles() { return QString("%1/%2").arg(compte("clients")).arg(compte("commandes")); }

    // Clicks a button of the panel: each box gets the next answer, `dialogue`
    // handles the dialog it opens.
    void lancer(const QString &texte, const Reponses &reponses,
                const std::function<void(QDialog *)> &dialogue = {})
    {
        pilote.effacer();
        Banc::lancer(panneauCommandes, texte, dialogue, reponses);
    }

    int client(const QString &nom, const QString &entreprise = "")
    {
        const char *ajout = "INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'";
        return sql(ajout, { nom, entreprise }).lastInsertId().toInt();
    }

    // `fois` identical orders; returns the number of the first.
    int commande(int clientId, const QString &produit, int fois = 1)
    {
        return sql(QString("INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
                           "prix_unitaire, prix_total, commentaire, date_command) SELECT ?, ?, "
                           "2.5, 'kg', 3, '10', '30', 'frais', '2013-03-05 09:25' FROM seq_1_to_%1")
                       .arg(fois),
                   { clientId, produit })
            .lastInsertId()
            .toInt();
    }

    // Runs a search; returns the page's title and what it reads.
    QString rechercher(int cle, const QString &texte)
    {
        this->cle()->setCurrentIndex(cle);
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

const char *refusSuppression =
    "CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE '45000'";

} // namespace

class TestCommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A required field left empty, then a customer the register cannot hold:
    // the dialog stays open; then stored, it closes.
    void addAnOrder()
    {
        Poste banc;
        banc.lancer("Ajouter", Reponses(3, Ok), [&](QDialog *d) {
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
        });
        vuesCommencent(
            banc.pilote,
            { "I Champs mal remplis: ", "W Erreur d'enregistrement: Le client n'a pas pu",
              "I Enregistrement reussie: " });
        QCOMPARE(banc.lignes("SELECT commandes.nom, prix_total, clients.nom FROM commandes JOIN "
                             "clients ON clients.id = client_id"),
                 (QList<QVariantList> { { "lait", "37.5", "Alpha" } }));
        QCOMPARE(propositions(banc.champ()), QStringList { "lait" });
    }

    void displayShowsThreeViews()
    {
        Poste banc;
        const int lait = banc.commande(banc.client("Alpha", "Beta"), "lait");
        banc.client("Sans commande");
        // Joined and read only, a customer without orders too; the customers.
        for (int vue : { 2, 1 }) {
            banc.vue()->setCurrentIndex(vue);
            banc.lancer(vue == 2 ? "Afficher" : "Afficher et/ou modifier", {}, [&](QDialog *d) {
                QCOMPARE(d->windowTitle(),
                         vue == 2 ? "Affichage et modification des Commandes "
                                    "et Clients"
                                  : "Affichage et modification des Clients");
                QCOMPARE(enfants<QTableView>(d).value(0)->model()->rowCount(), 2);
                QCOMPARE(boutonTexte(d, "Valider")->isVisible(), vue == 1);
                appuyer(d, "Fermer la page");
            });
        }
        // The orders: a refused edit, then a good one.
        banc.vue()->setCurrentIndex(0);
        banc.lancer("Afficher et/ou modifier", { Ok, Ok }, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes");
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(enfants<QTableView>(d).value(0)));
            QVERIFY(m->setData(m->index(0, 5), "beaucoup"));
            appuyer(d, "Valider");
            QVERIFY(m->setData(m->index(0, 5), 4) && m->setData(m->index(0, 2), "crème"));
            appuyer(d, "Valider");
            appuyer(d, "Fermer la page");
        });
        vuesCommencent(banc.pilote,
                       { "W Modification échouée: ", "I Modification reussie: Vos modifications" });
        QCOMPARE(banc.lignes(QString("SELECT nom, quantite FROM commandes WHERE id=%1").arg(lait)),
                 (QList<QVariantList> { { "crème", 4 } }));
        QCOMPARE(propositions(banc.champ()), QStringList { "crème" });
    }

    // Refused by the database: nothing goes, the dialog stays open; then a
    // customer goes with its orders.
    void deleteAnOrderOrACustomer()
    {
        Poste banc;
        const int alpha = banc.client("Alpha", "Beta"), gamma = banc.client("Gamma");
        const int lait = banc.commande(alpha, "lait");
        banc.commande(gamma, "pain");
        banc.commande(99, "orphelin"); // cannot be reached
        banc.sql(refusSuppression);
        const QString n = "n°%1 %2";
        banc.lancer("Supprimer", { Ok, Ok }, [&](QDialog *d) {
            QCOMPARE(elements(nomme<QComboBox>(d, "elementBox")),
                     (QStringList { n.arg(lait).arg("lait de Alpha"),
                                    n.arg(lait + 1).arg("pain de Gamma") }));
            nomme<QComboBox>(d, "produitBox")->setCurrentIndex(1);
            QCOMPARE(
                elements(nomme<QComboBox>(d, "elementBox")),
                (QStringList { n.arg(alpha).arg("Alpha de Beta"), n.arg(gamma).arg("Gamma") }));
            appuyer(d, "Supprimer");
            QVERIFY(d->isVisible());
            QCOMPARE(banc.tailles(), "2/3");
            banc.sql("DROP TRIGGER refus");
            appuyer(d, "Supprimer");
            if (d->isVisible())
                appuyer(d, "Fermer la page");
        });
        vuesCommencent(banc.pilote, { "W Suppression échouée: ", "I Suppression reussie: " });
        QCOMPARE(banc.tailles(), "1/2");
    }

    void emptyOrdersOrCustomers()
    {
        Poste banc;
        banc.commande(banc.client("Alpha"), "lait");
        auto vider = [&](int choix, const Reponses &reponses, const QStringList &vues) {
            banc.lancer("Vider", reponses, [&](QDialog *d) {
                nomme<QComboBox>(d, "videBox")->setCurrentIndex(choix);
                appuyer(d, "Vider");
                if (d->isVisible())
                    appuyer(d, "Fermer la page");
            });
            vuesCommencent(banc.pilote, QStringList { "Q Confirmation du vidage: " } + vues);
        };
        vider(1, { QMessageBox::No }, {});
        banc.sql(refusSuppression);
        vider(1, { Oui, Ok }, { "I Opération échouée: Vos clients et vos commandes" });
        QCOMPARE(banc.tailles(), "1/1");
        banc.sql("DROP TRIGGER refus");
        vider(0, { Oui, Ok }, { "I Opération reussie: Vos commandes ont été vidés" });
        QCOMPARE(banc.tailles(), "1/0");
        QCOMPARE(propositions(banc.champ()), QStringList());
        vider(1, { Oui, Ok }, { "I Opération reussie: " });
        QCOMPARE(banc.tailles(), "0/0");

        // No customer, only an order whose customer is gone: nothing to show.
        banc.commande(99, "orphelin");
        for (const char *bouton : { "Vider", "Supprimer", "Afficher et/ou modifier" }) {
            banc.lancer(bouton, { Ok });
            vuesCommencent(banc.pilote, { "I Pas de données: " });
        }
    }

    void searchProductsOrCustomers()
    {
        Poste banc;
        const int alpha = banc.client("<i>Alpha</i>", "Beta & fils");
        banc.client("O'Brien");
        banc.sql("UPDATE commandes SET poids=0.1, poids_unite='g' WHERE id=?",
                 { banc.commande(alpha, "petit lait") });
        // The field completes what the key looks for.
        banc.cle()->setCurrentIndex(1);
        QCOMPARE(propositions(banc.champ()), (QStringList { "<i>Alpha</i>", "O'Brien" }));
        banc.cle()->setCurrentIndex(0);
        QCOMPARE(propositions(banc.champ()), QStringList { "petit lait" });

        // Typed text shows as typed; a weight as typed, not as the float column holds it.
        dansLOrdre(banc.rechercher(0, "lait"),
                   { "Recherche d'un produit", "nom du produit = petit lait\npoids = 0.1g\n",
                     "\n\nnom du clients = <i>Alpha</i> de Beta & fils\n" });
        QVERIFY(banc.rechercher(0, "<b>y").contains("Il n'y a pas de produit commandé du nom de "
                                                    "\"<b>y\""));
        dansLOrdre(banc.rechercher(1, "'Bri"),
                   { "Recherche d'un client", "Nom = O'Brien\nNom de l'entreprise = \n",
                     "Nombre de commandes effectuées = 0 commandes" });
    }

    // More customers than one slice of the page holds; orphans left out.
    void summaryListsCustomersByOrderCount()
    {
        Poste banc;
        banc.commande(banc.client("Dupont", "Beta"), "b", 3);
        banc.commande(banc.client("<b>Sans</b>"), "c", 40);
        banc.commande(999, "orphelin");
        banc.sql("INSERT INTO clients (nom, entreprise, email, tel) SELECT CONCAT('Client ', seq), "
                 "'', 'e', '0' FROM seq_1_to_230");
        banc.sql("INSERT INTO commandes (client_id, nom, poids_unite, quantite, prix_unitaire, "
                 "prix_total, date_command) SELECT id, 'd', 'g', 1, '1', '1', NOW() FROM clients "
                 "WHERE nom LIKE 'Client %'");
        banc.lancer("Informations", {}, [](QDialog *d) {
            QCOMPARE(texteVisible(etiquetteDebut(d, "Commandes : ")->text()),
                     "Commandes : Vous avez en tout : 274 commandes\nClients : Vous avez en tout "
                     ": 232 clients");
            const QStringList lignes = textePage(d).split("\n\n", Qt::SkipEmptyParts);
            QCOMPARE(lignes.size(), 232);
            QCOMPARE(lignes.mid(0, 2),
                     (QStringList { "Le client <b>Sans</b> de a fait 40 commandes",
                                    "Le client Dupont de Beta a fait 3 commandes" }));
            appuyer(d, "Fermer la page");
        });
    }
};

QTEST_MAIN(TestCommandes)
#include "tst_commandes.moc"
