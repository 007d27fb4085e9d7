#include "support/banc.h"

#include <QCompleter>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QStringListModel>
#include <QTableView>
#include <QTextEdit>

namespace {

const QString panneau = QStringLiteral("gestion commandes/clients");

// What the user types in the add dialog.
struct Commande
{
    QString produit = QStringLiteral("lait");
    QString prix = QStringLiteral("1500");
    int quantite = 1;
    QString client = QStringLiteral("Alpha");
    QString entreprise;
    QString email = QStringLiteral("alpha@exemple.fr");
    QString tel = QStringLiteral("0102030405");
    QString commentaire;
};

QWidget *groupe(QWidget *d, const QString &titre)
{
    for (QGroupBox *g : enfants<QGroupBox>(d)) {
        if (g->title() == titre)
            return g;
    }
    return nullptr;
}

void remplir(QDialog *d, const Commande &c)
{
    QWidget *produit = groupe(d, QStringLiteral("Informations sur le produit à commander"));
    QWidget *client = groupe(d, QStringLiteral("Informations sur le client"));
    QVERIFY(produit && client);
    enfantA<QLineEdit>(produit, QRect(150, 20, 200, 25))->setText(c.produit);
    enfantA<QSpinBox>(produit, QRect(150, 80, 200, 25))->setValue(c.quantite);
    enfantA<QLineEdit>(produit, QRect(150, 110, 200, 25))->setText(c.prix);
    enfantA<QTextEdit>(produit, QRect(10, 160, 360, 60))->setPlainText(c.commentaire);
    enfantA<QLineEdit>(client, QRect(150, 20, 200, 25))->setText(c.client);
    enfantA<QLineEdit>(client, QRect(150, 50, 200, 25))->setText(c.entreprise);
    enfantA<QLineEdit>(client, QRect(150, 80, 200, 25))->setText(c.email);
    enfantA<QLineEdit>(client, QRect(150, 110, 200, 25))->setText(c.tel);
}

// Adds an order through the home page, answering the one box that follows;
// the dialog is closed if the save left it open. Returns that box.
Boite ajouter(Banc &banc, const Commande &c)
{
    banc.pilote.effacer();
    banc.pilote.dialogue([&](QDialog *d) {
        remplir(d, c);
        Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
        if (d->isVisible())
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
    });
    banc.pilote.boite();
    Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
    if (!banc.pilote.anomalies().isEmpty())
        qWarning() << banc.pilote.anomalies();
    return banc.pilote.boites.value(0);
}

const Boite enregistree = attendue(QMessageBox::Information, "Enregistrement reussie",
                                   "Votre commande a été enregistrée avec succes");
const Boite commandeRefusee =
    attendue(QMessageBox::Warning, "Erreur d'enregistrement",
             "La commande n'a pas pu être enregistré dans la base de donnée");
const Boite pasDeDonnees =
    attendue(QMessageBox::Information, "Pas de données", "Il n'y as pas de données enregistrées");

int client(Banc &banc, const QString &nom, const QVariant &entreprise = QString())
{
    // The program creates its tables on first use.
    banc.fenetre().connexionCommande();
    return banc
        .sql("INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'",
             { nom, entreprise })
        .lastInsertId()
        .toInt();
}

int commande(Banc &banc, int clientId, const QString &produit)
{
    banc.fenetre().connexionCommande();
    return banc
        .sql("INSERT INTO commandes SET client_id=?, nom=?, poids=2.5, poids_unite='kg', "
             "quantite=3, prix_unitaire='10', prix_total='30', commentaire='frais', "
             "date_command='2013-03-05 09:25:00'",
             { clientId, produit })
        .lastInsertId()
        .toInt();
}

QStringList propositions(Banc &banc)
{
    auto *champ = enfantA<QLineEdit>(&banc.fenetre(), QRect(110, 110, 120, 25));
    auto *modele = qobject_cast<QStringListModel *>(champ->completer()->model());
    return modele ? modele->stringList() : QStringList();
}

QComboBox *cleRecherche(Banc &banc)
{
    return enfantA<QComboBox>(&banc.fenetre(), QRect(5, 110, 100, 25));
}

QComboBox *choixAffichage(Banc &banc)
{
    return enfantA<QComboBox>(&banc.fenetre(), QRect(10, 150, 140, 25));
}

// Runs a search and returns what the page reads below its heading.
QString rechercher(Banc &banc, int cle, const QString &texte, QString *titre = nullptr)
{
    cleRecherche(banc)->setCurrentIndex(cle);
    enfantA<QLineEdit>(&banc.fenetre(), QRect(110, 110, 120, 25))->setText(texte);
    QString lu;
    banc.pilote.effacer();
    banc.pilote.dialogue([&](QDialog *d) {
        if (titre)
            *titre = d->windowTitle();
        QLabel *entete = enfantA<QLabel>(d, QRect(0, 10, 400, 490));
        QCOMPARE(entete->text(), QStringLiteral("recherche sur \"%1\"").arg(texte));
        QCOMPARE(entete->textFormat(), Qt::PlainText);
        if (QLabel *rien = enfantA<QLabel>(d, QRect(0, 50, 400, 40)))
            lu = QStringLiteral("[") + rien->text() + QStringLiteral("]");
        if (auto *zone = enfants<QScrollArea>(d).value(0)) {
            // The page is the label itself, or a container holding it.
            QList<QLabel *> pages = enfants<QLabel>(zone->widget());
            if (auto *page = qobject_cast<QLabel *>(zone->widget()))
                pages << page;
            for (QLabel *l : std::as_const(pages))
                lu += texteVisible(l->text());
        }
        Banc::clic(boutonTexte(d, QStringLiteral("Fermer la page")));
    });
    Banc::clic(banc.bouton(panneau, QStringLiteral("Rechercher")));
    return lu;
}

} // namespace

class TestCommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addDialogRefusesMissingRequiredFields()
    {
        Banc banc;
        banc.pilote.dialogue([&](QDialog *d) {
            QWidget *produit = groupe(d, QStringLiteral("Informations sur le produit à commander"));
            Commande seulProduit;
            seulProduit.prix = seulProduit.client = seulProduit.email = seulProduit.tel = QString();
            remplir(d, seulProduit);
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            Commande sansNumero;
            sansNumero.tel.clear();
            remplir(d, sansNumero);
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            // Still open, with what was typed.
            QVERIFY(d->isVisible());
            QCOMPARE(enfantA<QLineEdit>(produit, QRect(150, 20, 200, 25))->text(), "lait");
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
        });
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite refus =
            attendue(QMessageBox::Information, "Champs mal remplis",
                     "Vous devez remplir tous les champs obligatoire (précédé de *)");
        QCOMPARE(banc.pilote.boites, (QList<Boite> { refus, refus }));
        QCOMPARE(banc.pilote.boites.value(1).parent, QStringLiteral("Ajouter une commande"));
        QCOMPARE(banc.compte("clients"), 0);
        QCOMPARE(banc.compte("commandes"), 0);
    }

    void unitPriceAndTotal_data()
    {
        QTest::addColumn<QString>("prix");
        QTest::addColumn<int>("quantite");
        QTest::addColumn<QString>("unitaire");
        QTest::addColumn<QString>("total");
        QTest::newRow("plain") << "1500" << 2 << "1500"
                               << "3000";
        QTest::newRow("F") << "1500F" << 1 << "1500"
                           << "1500";
        QTest::newRow("CFA") << "1500CFA" << 1 << "1500"
                             << "1500";
        QTest::newRow("FCFA") << "1500FCFA" << 1 << "1500"
                              << "1500";
        QTest::newRow("blank F") << "1500 F" << 1 << "1500"
                                 << "1500";
        QTest::newRow("250CFA x 4") << "250CFA" << 4 << "250"
                                    << "1000";
        QTest::newRow("decimals") << "12.50" << 3 << "12.50"
                                  << "37.5";
        QTest::newRow("large") << "1500" << 4000 << "1500"
                               << "6000000";
        QTest::newRow("comma stops the number") << "12,50" << 1 << "12"
                                                << "12";
        QTest::newRow("tenths") << "0.1" << 3 << "0.1"
                                << "0.3";
    }

    void unitPriceAndTotal()
    {
        QFETCH(QString, prix);
        QFETCH(int, quantite);
        QFETCH(QString, unitaire);
        QFETCH(QString, total);
        Banc banc;
        Commande c;
        c.prix = prix;
        c.quantite = quantite;
        c.commentaire = QStringLiteral("livrer\nle matin");
        const Boite boite = ajouter(banc, c);
        QCOMPARE(boite, enregistree);
        QCOMPARE(boite.parent, QStringLiteral("TABLORAN"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const auto ligne = banc.lignes("SELECT prix_unitaire, prix_total, quantite, poids, "
                                       "poids_unite, commentaire, client_id = (SELECT id FROM "
                                       "clients), TIMESTAMPDIFF(SECOND, date_command, NOW()) < 60, "
                                       "(SELECT entreprise FROM clients) FROM commandes");
        QCOMPARE(ligne.size(), 1);
        QCOMPARE(ligne[0][0].toString(), unitaire);
        QCOMPARE(ligne[0][1].toString(), total);
        QCOMPARE(ligne[0][2].toInt(), quantite);
        QCOMPARE(ligne[0][3].toDouble(), 0.0);
        QCOMPARE(ligne[0][4].toString(), QStringLiteral("g"));
        QCOMPARE(ligne[0][5].toString(), QStringLiteral("livrer\nle matin"));
        QVERIFY(ligne[0][6].toBool());
        QVERIFY(ligne[0][7].toBool());
        // No company typed: stored as empty text, not NULL.
        QVERIFY(!ligne[0][8].isNull());
        QCOMPARE(ligne[0][8].toString(), QString());
    }

    void refusedOrderLeavesNoNewCustomer()
    {
        Banc banc;
        for (const QString prix : { "abc", "1.2.3", ".", "F1500" }) {
            Commande c;
            c.prix = prix;
            QCOMPARE(ajouter(banc, c), commandeRefusee);
            QCOMPARE(banc.pilote.boites.value(0).parent, QStringLiteral("TABLORAN"));
            QCOMPARE(banc.compte("clients"), 0);
            QCOMPARE(banc.compte("commandes"), 0);
        }

        // An existing customer stays when its new order is refused; the same
        // dialog then saves once the price is put right.
        const int alpha = client(banc, "Alpha");
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            Commande c;
            c.prix = QStringLiteral("cher");
            remplir(d, c);
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            QVERIFY(d->isVisible());
            c.prix = QStringLiteral("12");
            remplir(d, c);
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
        });
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites, (QList<Boite> { commandeRefusee, enregistree }));
        QCOMPARE(banc.lignes("SELECT id FROM clients"), (QList<QVariantList> { { alpha } }));
        QCOMPARE(banc.valeur("SELECT client_id FROM commandes").toInt(), alpha);

        // A customer the database refuses (an e-mail too long for its column):
        // nothing is written and the dialog says so.
        Commande longue;
        longue.client = QStringLiteral("Gamma");
        longue.email = QString(61, QLatin1Char('x'));
        const Boite refus = ajouter(banc, longue);
        QCOMPARE(refus,
                 attendue(QMessageBox::Warning, "Erreur d'enregistrement",
                          "Le client n'a pas pu être enregistré sur la base de donnée. "
                          "(Commande également)"));
        QCOMPARE(refus.parent, QStringLiteral("Ajouter une commande"));
        QCOMPARE(banc.compte("clients"), 1);
        QCOMPARE(banc.compte("commandes"), 1);
    }

    void orderGoesToTheCustomerOfThatName()
    {
        Banc banc;
        const int alphaBeta = client(banc, "Alpha", "Beta");
        const int alphabet = client(banc, "Alphabet", "");
        client(banc, "Alpha", "Beta"); // a namesake: the first one is taken

        auto numeroDe = [&](const QString &nom, const QString &entreprise) {
            Commande c;
            c.client = nom;
            c.entreprise = entreprise;
            if (!(ajouter(banc, c) == enregistree))
                return -1;
            return banc.valeur("SELECT client_id FROM commandes ORDER BY id DESC LIMIT 1").toInt();
        };
        QCOMPARE(numeroDe("Alpha", ""), alphaBeta);
        QCOMPARE(numeroDe("Alpha", "et"), alphaBeta);
        QCOMPARE(numeroDe("Alphabet", ""), alphabet);
        QCOMPARE(banc.compte("clients"), 3);

        // Another company, or a name that only contains a stored one: a new customer.
        const int gamma = numeroDe("Alpha", "Gamma");
        QCOMPARE(banc.valeur("SELECT entreprise FROM clients WHERE id=?", { gamma }).toString(),
                 QStringLiteral("Gamma"));
        const int alph = numeroDe("Alph", "");
        QVERIFY(alph != alphaBeta && alph != alphabet && alph != gamma);
        QCOMPARE(banc.compte("clients"), 5);

        // Quotes, percent signs and underscores are plain characters.
        const int obrien = numeroDe("O'Brien", "L'Atelier 100%");
        QVERIFY(obrien > 0);
        QCOMPARE(numeroDe("O'Brien", "r 100%"), obrien);
        QCOMPARE(numeroDe("O'Brien", "'"), obrien);
        QVERIFY(numeroDe("O'Brien", "_%") != obrien);
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM clients WHERE nom=\"O'Brien\"").toInt(), 2);

        // Every order reaches a stored customer.
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM commandes WHERE client_id NOT IN (SELECT id "
                             "FROM clients)")
                     .toInt(),
                 0);
    }

    void searchFieldCompletesWhatTheKeyLooksFor()
    {
        Banc banc;
        ajouter(banc, Commande());
        QCOMPARE(propositions(banc), QStringList { "lait" });
        cleRecherche(banc)->setCurrentIndex(1);
        QCOMPARE(propositions(banc), QStringList { "Alpha" });
        Commande autre;
        autre.produit = QStringLiteral("beurre");
        autre.client = QStringLiteral("Beta");
        ajouter(banc, autre);
        QCOMPARE(propositions(banc), (QStringList { "Alpha", "Beta" }));
        cleRecherche(banc)->setCurrentIndex(0);
        QCOMPARE(propositions(banc), (QStringList { "lait", "beurre" }));
        QCOMPARE(enfantA<QLineEdit>(&banc.fenetre(), QRect(110, 110, 120, 25))
                     ->completer()
                     ->caseSensitivity(),
                 Qt::CaseInsensitive);
    }

    void displayShowsThreeViews()
    {
        Banc banc;
        // Orders whose customer is gone do not count: there is nothing to show.
        commande(banc, 99, "orphelin");
        for (int choix = 0; choix < 3; ++choix) {
            choixAffichage(banc)->setCurrentIndex(choix);
            banc.pilote.effacer();
            banc.pilote.boite();
            Banc::clic(banc.bouton(panneau, choix == 2 ? "Afficher" : "Afficher et/ou modifier"));
            QCOMPARE(banc.pilote.boites, QList<Boite> { pasDeDonnees });
            QCOMPARE(banc.pilote.anomalies(), QStringList());
        }

        const int alpha = client(banc, "Alpha", "Beta");
        client(banc, "Sans commande");
        const int lait = commande(banc, alpha, "lait");

        // The joined view: read only, a customer without orders once, the orphan not at all.
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes et Clients");
            auto *vue = enfants<QTableView>(d).value(0);
            QAbstractItemModel *m = vue->model();
            QCOMPARE(m->rowCount(), 2);
            QCOMPARE(m->index(0, 0).data().toString(), "lait");
            QCOMPARE(m->index(1, 8).data().toString(), "Sans commande");
            QVERIFY(m->index(1, 0).data().isNull());
            QVERIFY(!boutonTexte(d, "Valider")->isVisible());
            QCOMPARE(boutonTexte(d, "Fermer la page")->geometry(), QRect(10, 560, 780, 30));
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(banc.bouton(panneau, "Afficher"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // The orders view: edits stay pending until Valider, Annuler drops them.
        choixAffichage(banc)->setCurrentIndex(0);
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Affichage et modification des Commandes");
            auto *vue = enfants<QTableView>(d).value(0);
            QVERIFY(vue->isColumnHidden(1));
            auto *m = qobject_cast<QSqlTableModel *>(vue->model());
            QCOMPARE(m->rowCount(), 2);
            QVERIFY(m->setData(m->index(1, 2), "crème"));
            Banc::clic(boutonTexte(d, "Annuler"));
            QCOMPARE(m->index(1, 2).data().toString(), "lait");
            // A quantity that is not a number is refused; the edit stays pending.
            QVERIFY(m->setData(m->index(1, 2), "crème"));
            QVERIFY(m->setData(m->index(1, 5), "beaucoup"));
            Banc::clic(boutonTexte(d, "Valider"));
            QVERIFY(m->isDirty());
            QVERIFY(m->setData(m->index(1, 5), 4));
            Banc::clic(boutonTexte(d, "Valider"));
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, "Afficher et/ou modifier"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { attendue(QMessageBox::Warning, "Modification échouée",
                                          "Vos modifications n'ont pas pu être effectuées avec "
                                          "succes\nVérifier si vos modifications sont valides"),
                                 attendue(QMessageBox::Information, "Modification reussie",
                                          "Vos modifications ont été effectuées avec succes") }));
        QCOMPARE(banc.pilote.boites.value(1).parent, "Affichage et modification des Commandes");
        QCOMPARE(
            banc.lignes("SELECT nom, quantite FROM commandes WHERE id=" + QString::number(lait)),
            (QList<QVariantList> { { "crème", 4 } }));
        // The search field offers the renamed product.
        QVERIFY(propositions(banc).contains("crème"));

        // The customers view.
        choixAffichage(banc)->setCurrentIndex(1);
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->width(), 670);
            auto *vue = enfants<QTableView>(d).value(0);
            QCOMPARE(vue->model()->rowCount(), 2);
            QCOMPARE(vue->columnWidth(4), vue->horizontalHeader()->defaultSectionSize());
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(banc.bouton(panneau, "Afficher et/ou modifier"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void deleteAnOrderOrACustomerWithItsOrders()
    {
        Banc banc;
        const int alpha = client(banc, "Alpha", "Beta");
        const int gamma = client(banc, "Gamma");
        const int lait = commande(banc, alpha, "lait");
        commande(banc, alpha, "beurre");
        const int pain = commande(banc, gamma, "pain");
        commande(banc, 99, "orphelin");

        auto supprimer = [&](const QString &genre, const QString &element) {
            banc.pilote.effacer();
            banc.pilote.dialogue([&](QDialog *d) {
                auto *genres = enfantA<QComboBox>(d, QRect(10, 100, 100, 25));
                auto *liste = enfantA<QComboBox>(d, QRect(120, 100, 270, 25));
                genres->setCurrentText(genre);
                QVERIFY2(elements(liste).contains(element), qPrintable(elements(liste).join('|')));
                liste->setCurrentText(element);
                Banc::clic(boutonTexte(d, "Supprimer"));
            });
            banc.pilote.boite();
            Banc::clic(banc.bouton(panneau, "Supprimer"));
            QCOMPARE(banc.pilote.anomalies(), QStringList());
            QCOMPARE(banc.pilote.boites,
                     QList<Boite> { attendue(QMessageBox::Information, "Suppression reussie",
                                             "Votre requête a été executée avec succes.") });
        };

        // The lists: orders with their customer (the orphan cannot be reached),
        // customers with their company when they have one.
        banc.pilote.dialogue([&](QDialog *d) {
            auto *genres = enfantA<QComboBox>(d, QRect(10, 100, 100, 25));
            auto *liste = enfantA<QComboBox>(d, QRect(120, 100, 270, 25));
            QCOMPARE(elements(genres), (QStringList { "commande", "client" }));
            QCOMPARE(elements(liste),
                     (QStringList { QString("n°%1 lait de Alpha").arg(lait),
                                    QString("n°%1 beurre de Alpha").arg(lait + 1),
                                    QString("n°%1 pain de Gamma").arg(pain) }));
            genres->setCurrentIndex(1);
            QCOMPARE(elements(liste),
                     (QStringList { QString("n°%1 Alpha de Beta").arg(alpha),
                                    QString("n°%1 Gamma").arg(gamma) }));
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(banc.bouton(panneau, "Supprimer"));

        supprimer("commande", QString("n°%1 lait de Alpha").arg(lait));
        QCOMPARE(banc.compte("commandes"), 3);
        QCOMPARE(banc.compte("clients"), 2);

        supprimer("client", QString("n°%1 Alpha de Beta").arg(alpha));
        QCOMPARE(banc.lignes("SELECT nom FROM commandes ORDER BY id"),
                 (QList<QVariantList> { { "pain" }, { "orphelin" } }));
        QCOMPARE(banc.compte("clients"), 1);

        // With no order left, only customers are offered, and the number read
        // from the list is a customer's.
        banc.sql("DELETE FROM commandes");
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(elements(enfantA<QComboBox>(d, QRect(10, 100, 100, 25))),
                     QStringList { "client" });
            Banc::clic(boutonTexte(d, "Supprimer"));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, "Supprimer"));
        QCOMPARE(banc.compte("clients"), 0);

        banc.pilote.effacer();
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, "Supprimer"));
        QCOMPARE(banc.pilote.boites, QList<Boite> { pasDeDonnees });
    }

    void failedDeletionsChangeNothing()
    {
        Banc banc;
        const int alpha = client(banc, "Alpha");
        commande(banc, alpha, "lait");
        QVERIFY(banc.fenetre().connexionCommande());
        banc.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");

        banc.pilote.dialogue([&](QDialog *d) {
            enfantA<QComboBox>(d, QRect(10, 100, 100, 25))->setCurrentIndex(1);
            Banc::clic(boutonTexte(d, "Supprimer"));
            QVERIFY(d->isVisible());
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, "Supprimer"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites,
                 QList<Boite> { attendue(QMessageBox::Warning, "Suppression échouée",
                                         "Votre requête n'a pas pu être executée avec succes.") });

        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            enfantA<QComboBox>(d, QRect(10, 50, 120, 25))->setCurrentIndex(1);
            Banc::clic(boutonTexte(d, "Vider"));
        });
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, "Vider"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Information, "Opération échouée",
                          "Vos clients et vos commandes n'ont pas pu être vidés"));

        QCOMPARE(banc.compte("clients"), 1);
        QCOMPARE(banc.compte("commandes"), 1);
    }

    void emptyOrdersOrEverything()
    {
        Banc banc;
        const int alpha = client(banc, "Alpha");
        commande(banc, alpha, "lait");
        commande(banc, alpha, "pain");

        auto vider = [&](int choix, QMessageBox::StandardButton reponse) {
            banc.pilote.effacer();
            banc.pilote.dialogue([&, choix](QDialog *d) {
                auto *liste = enfantA<QComboBox>(d, QRect(10, 50, 120, 25));
                QCOMPARE(elements(liste), (QStringList { "commandes", "clients" }));
                liste->setCurrentIndex(choix);
                Banc::clic(boutonTexte(d, "Vider"));
                if (d->isVisible())
                    Banc::clic(boutonTexte(d, "Fermer la page"));
            });
            banc.pilote.boite(reponse);
            if (reponse == QMessageBox::Yes)
                banc.pilote.boite();
            Banc::clic(banc.bouton(panneau, "Vider"));
            QCOMPARE(banc.pilote.anomalies(), QStringList());
        };

        vider(1, QMessageBox::No);
        QCOMPARE(
            banc.pilote.boites,
            QList<Boite> { attendue(QMessageBox::Question, "Confirmation du vidage",
                                    "Voulez vous vraiment vider vos clients et vos commandes ?") });
        QCOMPARE(banc.compte("commandes"), 2);

        vider(0, QMessageBox::Yes);
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Information, "Opération reussie",
                          "Vos commandes ont été vidés avec succes"));
        QCOMPARE(banc.compte("commandes"), 0);
        QCOMPARE(banc.compte("clients"), 1);
        QCOMPARE(propositions(banc), QStringList());

        commande(banc, alpha, "sel");
        vider(1, QMessageBox::Yes);
        QCOMPARE(banc.pilote.boites.value(1).texte,
                 "Vos clients et vos commandes ont été vidés avec succes");
        QCOMPARE(banc.compte("commandes"), 0);
        QCOMPARE(banc.compte("clients"), 0);

        for (const char *bouton : { "Vider", "Supprimer", "Afficher et/ou modifier" }) {
            banc.pilote.effacer();
            banc.pilote.boite();
            Banc::clic(banc.bouton(panneau, bouton));
            QCOMPARE(banc.pilote.boites, QList<Boite> { pasDeDonnees });
        }
    }

    void searchByProductName()
    {
        Banc banc;
        const int alpha = client(banc, "<i>Alpha</i>", "Beta & fils");
        commande(banc, alpha, "lait");
        commande(banc, alpha, "petit lait");
        commande(banc, alpha, "l'huile 100%");
        const int x = commande(banc, alpha, "<b>x</b>");
        banc.sql("UPDATE commandes SET poids=0.1, poids_unite='g' WHERE id=?", { x });
        commande(banc, 99, "lait orphelin");

        QString titre;
        const QString lait = rechercher(banc, 0, "lait", &titre);
        QCOMPARE(titre, QStringLiteral("Recherche d'un produit"));
        QCOMPARE(lait.count("Identifiant = "), 2);
        QVERIFY(lait.contains("nom du produit = petit lait\npoids = 2.5kg\nquantité = 3\nprix "
                              "unitaire = 10F\nprix total = 30F\ncommenaire sur le produit = "
                              "frais\ndate de la commande = "
                              + QLocale().toString(QDateTime(QDate(2013, 3, 5), QTime(9, 25)),
                                                   "le dddd, dd MMMM yyyy à hh:mm:ss")));
        QVERIFY(lait.contains("nom du clients = <i>Alpha</i> de Beta & fils\nE-mail = "
                              "e@f.fr\nTéléphone = 01"));
        QVERIFY(!lait.contains("orphelin"));

        // A weight is shown as it was typed, not as the float column holds it.
        QVERIFY(
            rechercher(banc, 0, "<b>x</b>").contains("nom du produit = <b>x</b>\npoids = 0.1g"));
        QVERIFY(rechercher(banc, 0, "'huile").contains("l'huile 100%"));
        const QString pourcent = rechercher(banc, 0, "%");
        QCOMPARE(pourcent.count("Identifiant = "), 1);
        QCOMPARE(rechercher(banc, 0, "").count("Identifiant = "), 4);
        QCOMPARE(rechercher(banc, 0, "l_it"),
                 QStringLiteral("[Il n'y a pas de produit commandé du nom de \"l_it\"]"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void searchByCustomerNameCountsOrders()
    {
        Banc banc;
        const int obrien = client(banc, "O'Brien", "L'Atelier");
        const int martin = client(banc, "Martin_100%");
        client(banc, "Martine");
        commande(banc, obrien, "lait");
        commande(banc, obrien, "pain");
        commande(banc, martin, "sel");

        QString titre;
        const QString tous = rechercher(banc, 1, "", &titre);
        QCOMPARE(titre, QStringLiteral("Recherche d'un client"));
        const QStringList nombres = { "2", "1", "0" };
        int i = 0;
        for (const QString &ligne : tous.split('\n')) {
            if (ligne.contains("Nombre de commandes"))
                QCOMPARE(ligne,
                         "Nombre de commandes effectuées = " + nombres.value(i++) + " commandes");
        }
        QCOMPARE(i, 3);
        QVERIFY(tous.startsWith("Nom = O'Brien\nNom de l'entreprise = L'Atelier\nEmail = "
                                "e@f.fr\nTéléphone = 01\n"));

        QCOMPARE(rechercher(banc, 1, "'Bri").count("Nom = "), 1);
        QCOMPARE(rechercher(banc, 1, "_100%").count("Nom = "), 1);
        QCOMPARE(rechercher(banc, 1, "Martin").count("Nom = "), 2);
        QCOMPARE(rechercher(banc, 1, "personne"), QString());
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void summaryListsCustomersByOrderCount()
    {
        Banc banc;
        const int un = client(banc, "Dupont", "Beta");
        const int deux = client(banc, "Dupont", "Beta");
        const int trois = client(banc, "<b>Sans</b>");
        client(banc, "Sans commande");
        commande(banc, un, "a");
        for (int n = 0; n < 3; ++n)
            commande(banc, deux, "b");
        for (int n = 0; n < 40; ++n)
            commande(banc, trois, "c");
        commande(banc, 999, "orphelin");
        // More customers than one slice of the page holds.
        banc.sql("INSERT INTO clients (nom, entreprise, email, tel) SELECT CONCAT('Client ', seq), "
                 "'', 'e', '0' FROM seq_1_to_230");
        banc.sql("INSERT INTO commandes (client_id, nom, poids_unite, quantite, prix_unitaire, "
                 "prix_total, date_command) SELECT id, 'd', 'g', 1, '1', '1', NOW() FROM clients "
                 "WHERE nom LIKE 'Client %'");

        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Informations sur les commandes et clients");
            QCOMPARE(d->palette().color(QPalette::Window), QColor("#a1ffb7"));
            QLabel *totaux = enfantA<QLabel>(d, QRect(10, 50, 430, 30));
            QCOMPARE(
                totaux->text(),
                "Commandes : Vous avez en tout : <strong>275</strong> commandes<br/>Clients  : "
                "Vous avez en tout : <strong>234</strong> clients");
            auto *zone = enfants<QScrollArea>(d).value(0);
            auto lignes = [zone] {
                QStringList lu;
                for (QLabel *l : enfants<QLabel>(zone->widget())) {
                    lu += texteVisible(l->text()).split("\n\n", Qt::SkipEmptyParts);
                    if (l->width() != 440)
                        lu << "width " + QString::number(l->width());
                }
                return lu;
            };
            QCOMPARE(lignes().size(), 200);
            QCOMPARE(lignes().mid(0, 2),
                     (QStringList { "Le client <b>Sans</b> de a fait 40 commandes",
                                    "Le client Dupont de Beta a fait 3 commandes" }));
            // Scrolling to the bottom brings the rest.
            QScrollBar *barre = zone->verticalScrollBar();
            barre->setValue(barre->maximum());
            QCOMPARE(lignes().size(), 233);
            QVERIFY(lignes().contains("Le client Dupont de Beta a fait 1 commandes"));
            QVERIFY(lignes().contains("Le client Client 230 de a fait 1 commandes"));
            QTRY_VERIFY(barre->maximum() > 0);
            barre->setValue(barre->maximum());
            QCOMPARE(lignes().size(), 233);
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(banc.bouton(panneau, "Informations"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // Empty tables: zero counts and an empty list.
        banc.sql("DELETE FROM commandes");
        banc.sql("DELETE FROM clients");
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(texteVisible(enfantA<QLabel>(d, QRect(10, 50, 430, 30))->text()),
                     "Commandes : Vous avez en tout : 0 commandes\nClients : Vous avez en tout "
                     ": 0 clients");
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(banc.bouton(panneau, "Informations"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestCommandes)
#include "tst_commandes.moc"
