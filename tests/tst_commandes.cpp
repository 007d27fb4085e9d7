#include "commun/grilles.h"
#include "support/banc.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const QMessageBox::StandardButton Ok = QMessageBox::Ok, Oui = QMessageBox::Yes;

const QString enregistree =
    "I Enregistrement reussie: Votre commande a été enregistrée avec succes";
const QString refusee =
    "W Erreur d'enregistrement: La commande n'a pas pu être enregistré dans la base de donnée";

// What the user types in the add dialog.
struct Commande
{
    QString prix = "1500", client = "Alpha", entreprise, produit = "lait";
    int quantite = 1;
    QString email = "alpha@exemple.fr", tel = "0102030405", commentaire;

    void remplir(QDialog *d) const
    {
        nomme<QLineEdit>(d, "produitEdit")->setText(produit);
        nomme<QSpinBox>(d, "quantiteBox")->setValue(quantite);
        nomme<QLineEdit>(d, "prixEdit")->setText(prix);
        nomme<QTextEdit>(d, "commandeCommentaireEdit")->setPlainText(commentaire);
        nomme<QLineEdit>(d, "clientNomEdit")->setText(client);
        nomme<QLineEdit>(d, "entrepriseEdit")->setText(entreprise);
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

    // Adds an order and returns the box that answered it.
    QString ajouter(const Commande &c)
    {
        lancer("Ajouter", { Ok }, [&](QDialog *d) {
            c.remplir(d);
            appuyer(d, "Enregistrer");
            if (d->isVisible())
                appuyer(d, "Fermer");
        });
        return vues().value(0);
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
    void addRefusesWhatItCannotStore()
    {
        Poste banc;
        // Each required field left empty in turn: refused, the dialog stays open.
        banc.lancer("Ajouter", Reponses(5, Ok), [](QDialog *d) {
            for (auto champ : { &Commande::produit, &Commande::prix, &Commande::client,
                                &Commande::email, &Commande::tel }) {
                Commande c;
                (c.*champ).clear();
                c.remplir(d);
                appuyer(d, "Enregistrer");
            }
            QVERIFY(d->isVisible());
            appuyer(d, "Fermer");
        });
        QCOMPARE(banc.vues(),
                 QStringList(5,
                             "I Champs mal remplis: Vous devez remplir tous les "
                             "champs obligatoire (précédé de *)"));
        QCOMPARE(banc.pilote.boites.value(0).parent, "Ajouter une commande");
        QCOMPARE(banc.tailles(), "0/0");

        // An existing customer stays when its order is refused.
        banc.client("Alpha");
        Commande cher;
        cher.prix = "cher";
        QCOMPARE(banc.ajouter(cher),
                 refusee
                     + "\nLe prix unitaire n'est pas un nombre : écrivez par exemple 1500 ou "
                       "12,50");
        QCOMPARE(banc.tailles(), "1/0");
    }

    void unitPriceAndTotal_data()
    {
        QTest::addColumn<QString>("prix");
        QTest::addColumn<int>("quantite");
        QTest::addColumn<QString>("stocke"); // unit price and total; empty: refused
        auto ligne = [](const char *prix, int quantite, const char *stocke) {
            QTest::addRow("%s x %d", prix, quantite)
                << QString(prix) << quantite << QString(stocke);
        };
        // How prices are read is the typed-text rules' own test; here, the
        // total the server keeps and what a refusal leaves behind.
        ligne("1500", 2, "1500 3000");
        ligne("12,50", 3, "12.50 37.5");
        ligne("1500", 4000, "1500 6000000");
        ligne("0.1", 3, "0.1 0.3");
        ligne("1 500 F", 2, "1500 3000");
        ligne("99999999999999999999", 3, ""); // a total of 21 digits
        ligne("abc", 1, "");
    }

    void unitPriceAndTotal()
    {
        QFETCH(QString, prix);
        QFETCH(int, quantite);
        QFETCH(QString, stocke);
        Poste banc;
        Commande c;
        c.prix = prix;
        c.quantite = quantite;
        c.commentaire = "livrer\nle matin";
        // A refused order takes the customer created for it along.
        const QString vue = banc.ajouter(c);
        QCOMPARE(vue.section('\n', 0, 0), stocke.isEmpty() ? refusee : enregistree);
        QCOMPARE(vue.count('\n'), stocke.isEmpty() ? 1 : 0); // a refusal says why
        QCOMPARE(banc.pilote.boites.value(0).parent, "TABLORAN");
        QCOMPARE(banc.tailles(), stocke.isEmpty() ? "0/0" : "1/1");
        // Weight 0 g, the comment as typed, the new customer, the time of the
        // save, and no company stored as empty text (NULL would drop out).
        if (!stocke.isEmpty())
            QCOMPARE(banc.valeur("SELECT CONCAT_WS(' ', prix_unitaire, prix_total, quantite, "
                                 "poids, poids_unite, commentaire, client_id = (SELECT id FROM "
                                 "clients), TIMESTAMPDIFF(SECOND, date_command, NOW()) < 60, "
                                 "(SELECT entreprise = '' FROM clients)) FROM commandes")
                         .toString(),
                     stocke + QString(" %1 0 g livrer\nle matin 1 1 1").arg(quantite));
    }

    void orderGoesToTheCustomerOfThatName()
    {
        Poste banc;
        const int alpha = banc.client("Alpha", "Beta");
        banc.client("Alpha", "Beta"); // a namesake: the first one is taken
        auto numeroDe = [&](const QString &nom, const QString &entreprise) {
            Commande c;
            c.client = nom;
            c.entreprise = entreprise;
            return banc.ajouter(c) == enregistree
                ? banc.valeur("SELECT client_id FROM commandes ORDER BY id DESC").toInt()
                : -1;
        };
        QCOMPARE(numeroDe("Alpha", ""), alpha);
        QCOMPARE(numeroDe("Alpha", "et"), alpha);
        // Another company, or a name that only contains a stored one: a new customer.
        const int gamma = numeroDe("Alpha", "Gamma");
        QCOMPARE(banc.valeur("SELECT entreprise FROM clients WHERE id=?", { gamma }).toString(),
                 "Gamma");
        QVERIFY(numeroDe("Alph", "") > gamma);
        QCOMPARE(banc.compte("clients"), 4);

        // Quotes, percent signs and underscores are plain characters.
        const int obrien = numeroDe("O'Brien", "L'Atelier 100%");
        QVERIFY(obrien > 0);
        QCOMPARE(numeroDe("O'Brien", "r 100%"), obrien);
        QCOMPARE(numeroDe("O'Brien", "'"), obrien);
        QVERIFY(numeroDe("O'Brien", "_%") > obrien);
        QCOMPARE(banc.compte("clients"), 6);

        // Letter for letter: case, accents and a trailing space make another
        // customer, stored with the e-mail typed for it.
        banc.client("Muller");
        for (const QString &autre : QStringList { "Müller", "MULLER", "Muller " }) {
            Commande c;
            c.client = autre;
            c.email = "autre@exemple.fr";
            QCOMPARE(banc.ajouter(c), enregistree);
        }
        QCOMPARE(banc.valeur("SELECT GROUP_CONCAT(CONCAT('[', nom, '] ', email) ORDER BY id "
                             "SEPARATOR ', ') FROM clients WHERE id > 7")
                     .toString(),
                 "[Müller] autre@exemple.fr, [MULLER] autre@exemple.fr, [Muller ] "
                 "autre@exemple.fr");
        QCOMPARE(banc.propositions(), QStringList(11, "lait")); // the field follows each order
    }

    void displayShowsThreeViews()
    {
        Poste banc;
        banc.commande(99, "orphelin");
        const int lait = banc.commande(banc.client("Alpha", "Beta"), "lait");
        banc.client("Sans commande");

        // Joined and read only: a customer without orders once, the orphan not at all.
        banc.vue()->setCurrentIndex(2);
        banc.lancer("Afficher", {}, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes et Clients");
            QAbstractItemModel *m = enfants<QTableView>(d).value(0)->model();
            QCOMPARE(m->rowCount(), 2);
            QCOMPARE(m->index(0, 0).data().toString(), "lait");
            QCOMPARE(m->index(1, 8).data().toString(), "Sans commande");
            QVERIFY(!boutonTexte(d, "Valider")->isVisible());
            appuyer(d, "Fermer la page");
        });

        // Orders: edits wait for Valider, Annuler drops them. A good edit on
        // one row and a quantity that is not a number on another: nothing is
        // written and both stay pending; corrected, both are written.
        banc.vue()->setCurrentIndex(0);
        banc.lancer("Afficher et/ou modifier", { Ok, Ok }, [&banc](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes");
            QTableView *vue = enfants<QTableView>(d).value(0);
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(vue));
            QCOMPARE(m->rowCount(), 2);
            // A product name takes at most what its column holds.
            std::unique_ptr<QWidget> editeur(vue->itemDelegate()->createEditor(
                vue->viewport(), QStyleOptionViewItem(), vue->model()->index(0, 2)));
            QCOMPARE(qobject_cast<QLineEdit *>(editeur.get())->maxLength(), 60);
            QVERIFY(m->setData(m->index(1, 2), "crème"));
            appuyer(d, "Annuler");
            QCOMPARE(m->index(1, 2).data().toString(), "lait");
            QVERIFY(m->setData(m->index(0, 2), "pain") && m->setData(m->index(1, 5), "beaucoup"));
            appuyer(d, "Valider");
            QCOMPARE(banc.valeur("SELECT GROUP_CONCAT(nom ORDER BY id) FROM commandes").toString(),
                     "orphelin,lait");
            QCOMPARE(m->index(0, 2).data().toString(), "pain");
            QCOMPARE(m->index(1, 5).data().toString(), "beaucoup");
            QVERIFY(m->setData(m->index(1, 5), 4) && m->setData(m->index(1, 2), "crème"));
            appuyer(d, "Valider");
            appuyer(d, "Fermer la page");
        });
        QCOMPARE(
            banc.vues(),
            (QStringList { "W Modification échouée: Vos modifications n'ont pas pu être "
                           "effectuées avec succes\nVérifier si vos modifications sont valides\n"
                               + banc.pilote.boites.value(0).texte.section('\n', 2),
                           "I Modification reussie: Vos modifications ont été effectuées "
                           "avec succes" }));
        QCOMPARE(banc.lignes(QString("SELECT nom, quantite FROM commandes WHERE id=%1").arg(lait)),
                 (QList<QVariantList> { { "crème", 4 } }));
        QCOMPARE(banc.valeur("SELECT nom FROM commandes WHERE client_id=99").toString(), "pain");
        QVERIFY(banc.propositions().contains("crème"));

        banc.vue()->setCurrentIndex(1);
        banc.lancer("Afficher et/ou modifier", {}, [](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Clients");
            QCOMPARE(enfants<QTableView>(d).value(0)->model()->rowCount(), 2);
            appuyer(d, "Fermer la page");
        });
    }

    void deleteAndEmpty()
    {
        Poste banc;
        const int alpha = banc.client("Alpha", "Beta"), gamma = banc.client("Gamma");
        const int lait = banc.commande(alpha, "lait");
        banc.commande(alpha, "beurre");
        const int pain = banc.commande(gamma, "pain");
        banc.commande(99, "orphelin");
        // Picks the kind, checks both lists, deletes the first entry.
        auto supprimer = [&](int genre, const QStringList &genres, const QStringList &liste) {
            banc.lancer("Supprimer", { Ok }, [&](QDialog *d) {
                auto *choix = nomme<QComboBox>(d, "produitBox");
                choix->setCurrentIndex(genre);
                QCOMPARE(elements(choix), genres);
                QCOMPARE(elements(nomme<QComboBox>(d, "elementBox")), liste);
                appuyer(d, "Supprimer");
                if (d->isVisible())
                    appuyer(d, "Fermer la page");
            });
        };
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
        const QString supprime = "I Suppression reussie: Votre requête a été executée avec succes.";
        const QString n = "n°%1 %2";
        // Orders with their customer (the orphan cannot be reached).
        supprimer(0, { "commande", "client" },
                  { n.arg(lait).arg("lait de Alpha"), n.arg(lait + 1).arg("beurre de Alpha"),
                    n.arg(pain).arg("pain de Gamma") });
        QCOMPARE(banc.vues(), QStringList { supprime });
        QCOMPARE(banc.tailles(), "2/3");
        // Customers with their company when they have one; a customer goes
        // with its orders.
        const QStringList clients = { n.arg(alpha).arg("Alpha de Beta"),
                                      n.arg(gamma).arg("Gamma") };
        supprimer(1, { "commande", "client" }, clients);
        QCOMPARE(banc.vues(), QStringList { supprime });
        QCOMPARE(banc.lignes("SELECT nom FROM commandes ORDER BY id"),
                 (QList<QVariantList> { { "pain" }, { "orphelin" } }));
        QCOMPARE(banc.compte("clients"), 1);

        // When the orders cannot go, neither the customer nor its orders go.
        banc.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        supprimer(1, { "commande", "client" }, clients.mid(1));
        QCOMPARE(banc.vues(),
                 QStringList { "W Suppression échouée: Votre requête n'a pas pu être executée "
                               "avec succes." });
        vider(1, { Oui, Ok });
        QCOMPARE(banc.vues().value(1),
                 "I Opération échouée: Vos clients et vos commandes n'ont pas pu être vidés");
        QCOMPARE(banc.tailles(), "1/2");
        banc.sql("DROP TRIGGER refus");

        vider(1, { QMessageBox::No });
        QCOMPARE(banc.vues(),
                 QStringList { "Q Confirmation du vidage: Voulez vous vraiment vider vos clients "
                               "et vos commandes ?" });
        vider(0, { Oui, Ok });
        QCOMPARE(banc.vues().value(1),
                 "I Opération reussie: Vos commandes ont été vidés avec succes");
        QCOMPARE(banc.tailles(), "1/0");
        QCOMPARE(banc.propositions(), QStringList());
        // With no order left only customers are offered.
        supprimer(0, { "client" }, clients.mid(1));
        QCOMPARE(banc.tailles(), "0/0");

        banc.commande(banc.client("Delta"), "sel");
        vider(1, { Oui, Ok });
        QCOMPARE(banc.vues().value(1),
                 "I Opération reussie: Vos clients et vos commandes ont été vidés avec succes");
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
        banc.commande(banc.client("O'Brien", "L'Atelier"), "pain");
        banc.client("Martin_100%");
        banc.client("Martine");
        for (const char *produit : { "lait", "petit lait", "l'huile 100%" })
            banc.commande(alpha, produit);
        banc.sql("UPDATE commandes SET poids=0.1, poids_unite='g' WHERE id=?",
                 { banc.commande(alpha, "<b>x</b>") });
        banc.commande(99, "lait orphelin");

        // The field completes what the key looks for.
        banc.cle()->setCurrentIndex(1);
        QCOMPARE(banc.propositions(),
                 (QStringList { "<i>Alpha</i>", "O'Brien", "Martin_100%", "Martine" }));
        banc.cle()->setCurrentIndex(0);
        QCOMPARE(banc.propositions().size(), 6);

        const QString lait = banc.rechercher(0, "lait");
        QCOMPARE(lait.count("Identifiant = "), 2);
        QVERIFY(lait.contains("nom du produit = petit lait\npoids = 2.5kg\nquantité = 3\nprix "
                              "unitaire = 10F\nprix total = 30F\ncommenaire sur le produit = "
                              "frais\ndate de la commande = le "));
        QVERIFY(lait.contains("\n\nnom du clients = <i>Alpha</i> de Beta & fils\nE-mail = "
                              "e@f.fr\nTéléphone = 01"));
        // A weight reads as typed, not as the float column holds it.
        QVERIFY(banc.rechercher(0, "<b>x</b>").contains("nom du produit = <b>x</b>\npoids = 0.1g"));
        QVERIFY(banc.rechercher(0, "'huile").contains("l'huile 100%"));
        QCOMPARE(banc.rechercher(0, "%").count("Identifiant = "), 1);
        QCOMPARE(banc.rechercher(0, "l_it"), "Il n'y a pas de produit commandé du nom de \"l_it\"");
        QCOMPARE(banc.rechercher(0, "<b>y"), "Il n'y a pas de produit commandé du nom de \"<b>y\"");

        // Customers in their order, each with the number of its orders.
        const QString tous = banc.rechercher(1, "");
        QVERIFY(tous.startsWith("Nom = <i>Alpha</i>\nNom de l'entreprise = Beta & fils\nEmail = "
                                "e@f.fr\nTéléphone = 01\n"));
        QStringList nombres;
        for (const QString &ligne : tous.split('\n')) {
            if (ligne.startsWith("Nombre de commandes effectuées = "))
                nombres << ligne.section(' ', 5);
        }
        QCOMPARE(nombres,
                 (QStringList { "4 commandes", "1 commandes", "0 commandes", "0 commandes" }));
        QCOMPARE(banc.rechercher(1, "'Bri").count("Nom = "), 1);
        QCOMPARE(banc.rechercher(1, "Martin_").count("Nom = "), 1);
        QCOMPARE(banc.rechercher(1, "Martin").count("Nom = "), 2);
        QCOMPARE(banc.rechercher(1, "personne"), QString());
    }

    void summaryListsCustomersByOrderCount()
    {
        Poste banc;
        banc.commande(banc.client("Dupont", "Beta"), "a");
        banc.commande(banc.client("Dupont", "Beta"), "b", 3);
        banc.commande(banc.client("<b>Sans</b>"), "c", 40);
        banc.client("Sans commande");
        banc.commande(999, "orphelin");
        // More customers than one slice of the page holds.
        banc.sql("INSERT INTO clients (nom, entreprise, email, tel) SELECT CONCAT('Client ', seq), "
                 "'', 'e', '0' FROM seq_1_to_230");
        banc.sql("INSERT INTO commandes (client_id, nom, poids_unite, quantite, prix_unitaire, "
                 "prix_total, date_command) SELECT id, 'd', 'g', 1, '1', '1', NOW() FROM clients "
                 "WHERE nom LIKE 'Client %'");

        banc.lancer("Informations", {}, [](QDialog *d) {
            QCOMPARE(texteVisible(etiquetteDebut(d, "Commandes : ")->text()),
                     "Commandes : Vous avez en tout : 275 commandes\nClients : Vous avez en tout "
                     ": 234 clients");
            const QStringList lignes = textePage(d).split("\n\n", Qt::SkipEmptyParts);
            QCOMPARE(lignes.size(), 233);
            QCOMPARE(lignes.mid(0, 2),
                     (QStringList { "Le client <b>Sans</b> de a fait 40 commandes",
                                    "Le client Dupont de Beta a fait 3 commandes" }));
            QVERIFY(lignes.contains("Le client Dupont de Beta a fait 1 commandes"));
            appuyer(d, "Fermer la page");
        });
    }
};

QTEST_MAIN(TestCommandes)
#include "tst_commandes.moc"
