#include "commun/grilles.h"
#include "support/banc.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QSqlTableModel>
#include <QTableView>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const QMessageBox::StandardButton Ok = QMessageBox::Ok, Oui = QMessageBox::Yes;

// What the user types in the add dialog.
struct Commande
{
    QString prix = "1500", client = "Alpha", produit = "lait";
    int quantite = 1;
    QString email = "alpha@exemple.fr", tel = "0102030405";

    void remplir(QDialog *d) const
    {
        nomme<QLineEdit>(d, "produitEdit")->setText(produit);
        nomme<QSpinBox>(d, "quantiteBox")->setValue(quantite);
        nomme<QLineEdit>(d, "prixEdit")->setText(prix);
        nomme<QLineEdit>(d, "clientNomEdit")->setText(client);
        nomme<QLineEdit>(d, "emailEdit")->setText(email);
        nomme<QLineEdit>(d, "telEdit")->setText(tel);
    }
};

// The bench, driving the orders and customers panel of the home page.
struct Poste : Banc
{
    Poste() { fenetre().connexionCommande(); } // creates the tables
    QLineEdit *champ() { return nomme<QLineEdit>(&fenetre(), "rechercheEdit"); }
    QComboBox *cle() { return nomme<QComboBox>(&fenetre(), "clientCombo"); }
    QComboBox *vue() { return nomme<QComboBox>(&fenetre(), "commandCombo"); }
    QString tailles() { return QString("%1/%2").arg(compte("clients")).arg(compte("commandes")); }
    QStringList propositions() { return ::propositions(champ()); }
    QStringList vues() { return pilote.vues(); }

    // Clicks a button of the panel: each box gets the next answer, `dialogue`
    // handles the dialog it opens.
    void lancer(const QString &texte, const Reponses &reponses,
                const std::function<void(QDialog *)> &dialogue = {})
    {
        pilote.effacer();
        Banc::lancer(panneauCommandes, texte, dialogue, reponses);
        QCOMPARE(pilote.anomalies(), QStringList());
    }

    int client(const QString &nom, const QString &entreprise = "")
    {
        const char *requete =
            "INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'";
        return sql(requete, { nom, entreprise }).lastInsertId().toInt();
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

    // Runs a search; returns what the page reads below its heading.
    QString rechercher(int cle, const QString &texte)
    {
        this->cle()->setCurrentIndex(cle);
        champ()->setText(texte);
        QString lu;
        lancer("Rechercher", {}, [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), cle ? "Recherche d'un client" : "Recherche d'un produit");
            QLabel *entete = etiquetteDebut(d, "recherche sur");
            QCOMPARE(entete->text(), QString("recherche sur \"%1\"").arg(texte));
            QCOMPARE(entete->textFormat(), Qt::PlainText);
            for (QLabel *l : enfants<QLabel>(d)) {
                if (l != entete)
                    lu += l->text();
            }
            lu += textePage(d);
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
    void addAnOrder()
    {
        Poste banc;
        // A required field left empty, a customer the register cannot hold,
        // an order the database refuses: each box over its window, the dialog
        // stays open. Then stored: the dialog closes.
        Commande vide, emoji, lait;
        vide.tel.clear();
        emoji.client = "Pain 🍞";
        lait.prix = "12,50";
        lait.quantite = 3;
        banc.lancer("Ajouter", Reponses(4, Ok), [&](QDialog *d) {
            for (const Commande *c : { &vide, &emoji, &lait, &lait }) {
                QVERIFY(d->isVisible());
                if (banc.pilote.boites.size() == 2)
                    banc.sql("CREATE TRIGGER refus BEFORE INSERT ON commandes FOR EACH ROW "
                             "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Pas de commande'");
                c->remplir(d);
                appuyer(d, "Enregistrer");
                banc.sql("DROP TRIGGER IF EXISTS refus");
            }
            QVERIFY(!d->isVisible());
        });
        const QStringList vues = banc.vues();
        QCOMPARE(vues.value(0),
                 "I Champs mal remplis: Vous devez remplir tous les champs obligatoire (précédé "
                 "de *)");
        QVERIFY(vues.value(1).startsWith("W Erreur d'enregistrement: Le client n'a pas pu être "
                                         "enregistré sur la base de donnée. (Commande "
                                         "également)\nLe nom du client "));
        QVERIFY(vues.value(2).startsWith("W Erreur d'enregistrement: La commande n'a pas pu être "
                                         "enregistré dans la base de donnée\nPas de commande"));
        QCOMPARE(vues.value(3),
                 "I Enregistrement reussie: Votre commande a été enregistrée avec succes");
        QStringList parents;
        for (const Boite &boite : banc.pilote.boites)
            parents << boite.parent;
        QCOMPARE(parents,
                 (QStringList { "Ajouter une commande", "Ajouter une commande", "TABLORAN",
                                "TABLORAN" }));
        QCOMPARE(banc.lignes("SELECT commandes.nom, prix_total, clients.nom FROM commandes JOIN "
                             "clients ON clients.id = client_id"),
                 (QList<QVariantList> { { "lait", "37.5", "Alpha" } }));
        QCOMPARE(banc.propositions(), QStringList { "lait" });
    }

    void displayShowsThreeViews()
    {
        Poste banc;
        const int lait = banc.commande(banc.client("Alpha", "Beta"), "lait");
        banc.client("Sans commande");

        // Joined and read only: a customer without orders too.
        banc.vue()->setCurrentIndex(2);
        banc.lancer("Afficher", {}, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes et Clients");
            QCOMPARE(enfants<QTableView>(d).value(0)->model()->rowCount(), 2);
            QVERIFY(!boutonTexte(d, "Valider")->isVisible());
            appuyer(d, "Fermer la page");
        });

        // Orders: a refused edit, then a good one.
        banc.vue()->setCurrentIndex(0);
        banc.lancer("Afficher et/ou modifier", { Ok, Ok }, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes");
            QTableView *vue = enfants<QTableView>(d).value(0);
            QVERIFY(vue->isColumnHidden(1)); // the customer's number
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(vue));
            QVERIFY(m->setData(m->index(0, 5), "beaucoup"));
            appuyer(d, "Valider");
            QVERIFY(m->setData(m->index(0, 5), 4) && m->setData(m->index(0, 2), "crème"));
            appuyer(d, "Valider");
            appuyer(d, "Fermer la page");
        });
        QCOMPARE(banc.vues().value(0).section('\n', 0, 1),
                 "W Modification échouée: Vos modifications n'ont pas pu être effectuées avec "
                 "succes\nVérifier si vos modifications sont valides");
        QCOMPARE(banc.vues().value(1),
                 "I Modification reussie: Vos modifications ont été effectuées avec succes");
        QCOMPARE(banc.lignes(QString("SELECT nom, quantite FROM commandes WHERE id=%1").arg(lait)),
                 (QList<QVariantList> { { "crème", 4 } }));
        QCOMPARE(banc.propositions(), QStringList { "crème" });

        banc.vue()->setCurrentIndex(1);
        banc.lancer("Afficher et/ou modifier", {}, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Clients");
            QCOMPARE(enfants<QTableView>(d).value(0)->model()->rowCount(), 2);
            appuyer(d, "Fermer la page");
        });
    }

    void deleteAnOrderOrACustomer()
    {
        Poste banc;
        const int alpha = banc.client("Alpha", "Beta"), gamma = banc.client("Gamma");
        const int lait = banc.commande(alpha, "lait");
        banc.commande(gamma, "pain");
        banc.commande(99, "orphelin"); // cannot be reached
        const QString n = "n°%1 %2";
        // Lists the orders, then the customers; deletes the first entry.
        auto supprimer = [&](const QStringList &clients) {
            banc.lancer("Supprimer", { Ok }, [&](QDialog *d) {
                auto *choix = nomme<QComboBox>(d, "produitBox");
                QCOMPARE(elements(choix), (QStringList { "commande", "client" }));
                QCOMPARE(elements(nomme<QComboBox>(d, "elementBox")),
                         (QStringList { n.arg(lait).arg("lait de Alpha"),
                                        n.arg(lait + 1).arg("pain de Gamma") }));
                choix->setCurrentIndex(1);
                QCOMPARE(elements(nomme<QComboBox>(d, "elementBox")), clients);
                appuyer(d, "Supprimer");
                if (d->isVisible())
                    appuyer(d, "Fermer la page");
            });
        };
        // Refused by the database: nothing goes, the dialog stays open.
        banc.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        const QStringList clients = { n.arg(alpha).arg("Alpha de Beta"),
                                      n.arg(gamma).arg("Gamma") };
        supprimer(clients);
        QCOMPARE(banc.vues(),
                 QStringList { "W Suppression échouée: Votre requête n'a pas pu être executée "
                               "avec succes." });
        QCOMPARE(banc.tailles(), "2/3");
        banc.sql("DROP TRIGGER refus");
        // A customer goes with its orders.
        supprimer(clients);
        QCOMPARE(banc.vues(),
                 QStringList { "I Suppression reussie: Votre requête a été executée avec "
                               "succes." });
        QCOMPARE(banc.tailles(), "1/2");
    }

    void emptyOrdersOrCustomers()
    {
        Poste banc;
        banc.commande(banc.client("Alpha"), "lait");
        auto vider = [&](int choix, const Reponses &reponses) {
            banc.lancer("Vider", reponses, [&](QDialog *d) {
                auto *liste = nomme<QComboBox>(d, "videBox");
                QCOMPARE(elements(liste), (QStringList { "commandes", "clients" }));
                liste->setCurrentIndex(choix);
                appuyer(d, "Vider");
                if (d->isVisible())
                    appuyer(d, "Fermer la page");
            });
        };
        vider(1, { QMessageBox::No });
        QCOMPARE(banc.vues(),
                 QStringList { "Q Confirmation du vidage: Voulez vous vraiment vider vos clients "
                               "et vos commandes ?" });
        banc.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        vider(1, { Oui, Ok });
        QCOMPARE(banc.vues().value(1),
                 "I Opération échouée: Vos clients et vos commandes n'ont pas pu être vidés");
        QCOMPARE(banc.tailles(), "1/1");
        banc.sql("DROP TRIGGER refus");
        vider(0, { Oui, Ok });
        QCOMPARE(banc.vues().value(1),
                 "I Opération reussie: Vos commandes ont été vidés avec succes");
        QCOMPARE(banc.tailles(), "1/0");
        QCOMPARE(banc.propositions(), QStringList());
        vider(1, { Oui, Ok });
        QCOMPARE(banc.tailles(), "0/0");

        // No customer, only an order whose customer is gone: nothing to show.
        banc.commande(99, "orphelin");
        for (const char *bouton : { "Vider", "Supprimer", "Afficher et/ou modifier" }) {
            banc.lancer(bouton, { Ok });
            QCOMPARE(banc.vues(),
                     QStringList { "I Pas de données: Il n'y as pas de données enregistrées" });
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
        QCOMPARE(banc.propositions(), (QStringList { "<i>Alpha</i>", "O'Brien" }));
        banc.cle()->setCurrentIndex(0);
        QCOMPARE(banc.propositions(), QStringList { "petit lait" });

        // Typed text shows as typed; a weight as typed, not as the float column holds it.
        const QString lait = banc.rechercher(0, "lait");
        QVERIFY2(lait.contains("nom du produit = petit lait\npoids = 0.1g\nquantité = 3\nprix "
                               "unitaire = 10F\nprix total = 30F\ncommenaire sur le produit = "
                               "frais\ndate de la commande = le "),
                 qPrintable(lait));
        QVERIFY(lait.contains("\n\nnom du clients = <i>Alpha</i> de Beta & fils\nE-mail = "
                              "e@f.fr\nTéléphone = 01"));
        QCOMPARE(banc.rechercher(0, "<b>y"), "Il n'y a pas de produit commandé du nom de \"<b>y\"");

        QCOMPARE(banc.rechercher(1, "'Bri"),
                 "Nom = O'Brien\nNom de l'entreprise = \nEmail = e@f.fr\nTéléphone = 01\nNombre "
                 "de commandes effectuées = 0 commandes\n\n\n\n\n\n");
        QCOMPARE(banc.rechercher(1, "personne"), QString());
    }

    void summaryListsCustomersByOrderCount()
    {
        Poste banc;
        banc.commande(banc.client("Dupont", "Beta"), "b", 3);
        banc.commande(banc.client("<b>Sans</b>"), "c", 40);
        banc.commande(999, "orphelin");
        // More customers than one slice of the page holds.
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
