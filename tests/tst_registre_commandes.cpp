#include "commandes/registre.h"
#include "support/base_de_test.h"

#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QtTest>

using namespace commandes;

namespace {

// An order as the form would hand it over: every required field filled.
Commande commande(const QString &client = "Alpha", const QString &entreprise = "",
                  const QString &prix = "1500", int quantite = 1)
{
    Commande c;
    c.nom = "lait";
    c.poids = 2.5;
    c.unite = "kg";
    c.quantite = quantite;
    c.prixUnitaire = prix;
    c.commentaire = "livrer\nle matin";
    c.client = { QVariant(), client, entreprise, "a@exemple.fr", "0102" };
    return c;
}

int client(BaseDeTest &base, const QString &nom, const QString &entreprise = "")
{
    return base
        .sql("INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'",
             { nom, entreprise })
        .lastInsertId()
        .toInt();
}

void commandesDe(BaseDeTest &base, int client, const QString &produit, int fois = 1)
{
    base.sql(QString("INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
                     "prix_unitaire, prix_total, date_command) SELECT ?, ?, 2.5, 'kg', 3, '10', "
                     "'30', '2013-03-05 09:25' FROM seq_1_to_%1")
                 .arg(fois),
             { client, produit });
}

// The customer an added order went to; 0 when it was not stored.
int clientDe(BaseDeTest &base, const Commande &c)
{
    const Issue issue = ajouter(base.db, c);
    return issue.ok()
        ? base.valeur("SELECT client_id FROM commandes WHERE id=?", { issue.id }).toInt()
        : 0;
}

// Lets a write of the program's connection wait at most a second for a lock.
void attenteCourte(BaseDeTest &base)
{
    QSqlQuery q(base.db);
    QVERIFY(q.exec("SET SESSION innodb_lock_wait_timeout = 1"));
}

// Another workstation that holds every row of `table` (and the room for new ones).
QSqlDatabase tient(BaseDeTest &base, const QString &table)
{
    QSqlDatabase autre = base.autre();
    QSqlQuery q(autre);
    if (!autre.transaction() || !q.exec("SELECT * FROM " + table + " FOR UPDATE"))
        qWarning("the other workstation cannot hold %s", qPrintable(table));
    return autre;
}

} // namespace

class TestRegistreCommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void orderGoesToTheExactCustomer()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha", "Beta & Cie");
        client(base, "Alpha", "Beta & Cie"); // a namesake: the first one is taken
        client(base, "Muller");
        const int pourcent = client(base, "Martin", "100%");
        QCOMPARE(clientDe(base, commande("Alpha", "")), alpha); // an empty company matches any
        QCOMPARE(clientDe(base, commande("Alpha", "eta &")), alpha); // contained
        QCOMPARE(clientDe(base, commande("Martin", "0%")), pourcent);
        QCOMPARE(base.compte("clients"), 4);

        // Letter for letter: case, accents, a trailing space, another
        // company, a name only contained, '%' and '_' taken literally.
        int dernier = 4;
        for (const auto &[nom, entreprise] :
             QList<QPair<QString, QString>> { { "Müller", "" },
                                              { "MULLER", "" },
                                              { "Muller ", "" },
                                              { "Alpha", "Gamma" },
                                              { "Alph", "" },
                                              { "Martin", "1_0" } }) {
            const int numero = clientDe(base, commande(nom, entreprise));
            QVERIFY2(numero > dernier, qPrintable(nom));
            dernier = numero;
            // The new customer is stored as typed, and only once.
            QCOMPARE(
                base.lignes("SELECT nom, entreprise, email FROM clients WHERE id=?", { numero }),
                (QList<QVariantList> { { nom, entreprise, "a@exemple.fr" } }));
            QCOMPARE(clientDe(base, commande(nom, entreprise)), numero);
        }
        QCOMPARE(base.compte("clients"), 10);
        // No company is stored as empty text, not NULL.
        QCOMPARE(base.valeur("SELECT COUNT(*) FROM clients WHERE entreprise IS NULL").toInt(), 0);
    }

    void priceReadAndTotalComputed_data()
    {
        QTest::addColumn<QString>("prix");
        QTest::addColumn<int>("quantite");
        QTest::addColumn<QString>("stocke"); // unit price and total; else the field refused
        QTest::newRow("currency marks") << "1 500 FCFA" << 2 << "1500 3000";
        QTest::newRow("decimal comma") << "12,50" << 3 << "12.50 37.5";
        QTest::newRow("no binary rounding") << "0.1" << 3 << "0.1 0.3";
        QTest::newRow("huge but exact") << "9999999999999999999" << 3
                                        << "9999999999999999999 "
                                           "29999999999999999997";
        QTest::newRow("total too wide") << "99999999999999999999" << 3 << "Le prix total";
        QTest::newRow("not a number") << "cher" << 1 << "Le prix unitaire";
    }

    void priceReadAndTotalComputed()
    {
        QFETCH(QString, prix);
        QFETCH(int, quantite);
        QFETCH(QString, stocke);
        BaseDeTest base;
        const Issue issue = ajouter(base.db, commande("Alpha", "", prix, quantite));
        if (stocke.startsWith("Le ")) {
            QCOMPARE(issue.genre, Issue::Refuse);
            QCOMPARE(issue.champ, stocke);
            QVERIFY(!clientEnCause(issue));
            QCOMPARE(base.compte("clients") + base.compte("commandes"), 0);
            return;
        }
        QVERIFY2(issue.ok(), qPrintable(issue.raison));
        QCOMPARE(base.lignes("SELECT CONCAT_WS(' ', prix_unitaire, prix_total), quantite, poids, "
                             "poids_unite, commentaire, TIMESTAMPDIFF(SECOND, date_command, "
                             "NOW()) < 60 FROM commandes WHERE id=?",
                             { issue.id }),
                 (QList<QVariantList> { { stocke, quantite, 2.5f, "kg", "livrer\nle matin", 1 } }));
    }

    void addRefusesWhatCannotBeStored()
    {
        BaseDeTest base;
        struct Cas
        {
            const char *nom;
            std::function<void(Commande &)> changer;
            QString champ;
            bool client = false; // the customer's own details
        };
        const QString long61(61, 'x');
        const QList<Cas> cas = {
            { "no product", [](Commande &c) { c.nom.clear(); }, "" },
            { "no price", [](Commande &c) { c.prixUnitaire.clear(); }, "" },
            { "no customer", [](Commande &c) { c.client.nom.clear(); }, "" },
            { "no e-mail", [](Commande &c) { c.client.email.clear(); }, "" },
            { "no telephone", [](Commande &c) { c.client.tel.clear(); }, "" },
            { "long product", [&](Commande &c) { c.nom = long61; }, "Le nom du produit" },
            { "emoji comment", [](Commande &c) { c.commentaire = "🍞"; }, "Le commentaire" },
            { "emoji customer", [](Commande &c) { c.client.nom = "Pain 🍞"; }, "Le nom du client",
              true },
            { "long company", [&](Commande &c) { c.client.entreprise = long61; },
              "Le nom de l'entreprise", true },
            { "long telephone", [&](Commande &c) { c.client.tel = long61; },
              "Le numéro de téléphone", true },
        };
        for (const Cas &un : cas) {
            Commande c = commande();
            un.changer(c);
            const Issue issue = ajouter(base.db, c);
            QVERIFY2(issue == Issue::Refuse, un.nom);
            QCOMPARE(issue.champ, un.champ);
            QCOMPARE(clientEnCause(issue), un.client);
            if (un.champ.isEmpty())
                QCOMPARE(issue.raison,
                         "Vous devez remplir tous les champs obligatoire (précédé de *)");
        }
        QCOMPARE(base.compte("clients") + base.compte("commandes"), 0);
    }

    void customerAndOrderStoredTogetherOrNotAtAll()
    {
        BaseDeTest base;
        // The order refused after its new customer was stored: no customer left behind.
        base.sql("CREATE TRIGGER refus BEFORE INSERT ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000' SET MESSAGE_TEXT = 'pas de commande'");
        Issue issue = ajouter(base.db, commande());
        QCOMPARE(issue.genre, Issue::Erreur);
        QVERIFY(issue.raison.contains("pas de commande"));
        QVERIFY(!clientEnCause(issue));
        QCOMPARE(base.compte("clients"), 0);
        base.sql("DROP TRIGGER refus");

        // The customer refused: that box tells it.
        base.sql("CREATE TRIGGER refus BEFORE INSERT ON clients FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        issue = ajouter(base.db, commande());
        QCOMPARE(issue.genre, Issue::Erreur);
        QVERIFY(clientEnCause(issue));
        QCOMPARE(base.compte("commandes"), 0);
    }

    void addReplayedOnceAfterAConflict()
    {
        BaseDeTest base;
        // A deadlock the first time only: run again, stored once.
        base.sql("CREATE TRIGGER interblocage BEFORE INSERT ON commandes FOR EACH ROW BEGIN IF "
                 "@deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = "
                 "1213; END IF; END");
        const Conflits avant = conflits();
        QVERIFY(ajouter(base.db, commande()).ok());
        QCOMPARE(conflits().rejoues, avant.rejoues + 1);
        QCOMPARE(base.compte("clients"), 1);
        QCOMPARE(base.compte("commandes"), 1);

        // Another workstation holds the orders each time: nothing written,
        // not even the new customer.
        attenteCourte(base);
        QSqlDatabase autre = tient(base, "commandes");
        QCOMPARE(ajouter(base.db, commande("Nouveau")).genre, Issue::Conflit);
        autre.rollback();
        QCOMPARE(base.compte("clients"), 1);
        QCOMPARE(base.compte("commandes"), 1);
    }

    void deleteAndEmpty()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha", "Beta"), gamma = client(base, "Gamma");
        commandesDe(base, alpha, "lait", 2);
        commandesDe(base, gamma, "pain");
        commandesDe(base, 99, "orphelin");

        // The lists one deletes from: orders without a customer cannot be reached.
        QList<Commande> avecClient;
        QVERIFY(commandesAvecClient(base.db, &avecClient).ok());
        QCOMPARE(avecClient.size(), 3);
        QCOMPARE(avecClient.value(2).nom + " de " + avecClient.value(2).client.nom,
                 "pain de Gamma");
        QList<Client> tous;
        QVERIFY(clients(base.db, &tous).ok());
        QCOMPARE(tous.value(0).entreprise, "Beta");

        // An order goes alone; a customer takes its orders along.
        QVERIFY(supprimerCommande(base.db, avecClient.value(2).id).ok());
        QCOMPARE(base.compte("clients"), 2);
        QVERIFY(supprimerClient(base.db, alpha).ok());
        QCOMPARE(base.lignes("SELECT nom FROM commandes"),
                 (QList<QVariantList> { { "orphelin" } }));
        commandesDe(base, gamma, "sel");

        // When the orders cannot go, the customer stays too.
        base.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        QCOMPARE(supprimerClient(base.db, gamma).genre, Issue::Erreur);
        QCOMPARE(viderClients(base.db).genre, Issue::Erreur);
        QCOMPARE(base.compte("clients"), 1);
        QCOMPARE(base.compte("commandes"), 2);
        base.sql("DROP TRIGGER refus");

        // Emptying the orders keeps the customers; emptying the customers empties both.
        QVERIFY(viderCommandes(base.db).ok());
        QCOMPARE(base.compte("clients"), 1);
        QCOMPARE(base.compte("commandes"), 0);
        commandesDe(base, gamma, "sel");
        QVERIFY(viderClients(base.db).ok());
        QCOMPARE(base.compte("clients") + base.compte("commandes"), 0);
    }

    void deleteReplayedOrToldAsAConflict()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha");
        commandesDe(base, alpha, "lait");
        base.sql("CREATE TRIGGER interblocage BEFORE DELETE ON commandes FOR EACH ROW BEGIN IF "
                 "@deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = "
                 "1213; END IF; END");
        const int gamma = client(base, "Gamma");
        commandesDe(base, gamma, "pain");

        attenteCourte(base);
        QSqlDatabase autre = tient(base, "commandes");
        QCOMPARE(supprimerClient(base.db, gamma).genre, Issue::Conflit);
        QCOMPARE(viderCommandes(base.db).genre, Issue::Conflit);
        autre.rollback();
        QCOMPARE(base.compte("clients"), 2);
        QCOMPARE(base.compte("commandes"), 2);

        QVERIFY(supprimerClient(base.db, alpha).ok());
        QCOMPARE(base.lignes("SELECT nom FROM commandes"), (QList<QVariantList> { { "pain" } }));
    }

    void gridSavedWholeOrNotAtAll()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha");
        commandesDe(base, alpha, "lait", 2);
        std::unique_ptr<QSqlQueryModel> charge;
        QVERIFY(charger(base.db, Vue::Commandes, &charge).ok());
        auto *modele = qobject_cast<QSqlTableModel *>(charge.get());
        QVERIFY(modele);
        const int nom = modele->fieldIndex("nom"), quantite = modele->fieldIndex("quantite");

        // One bad row: nothing written, both edits still pending.
        QVERIFY(modele->setData(modele->index(0, nom), "pain"));
        QVERIFY(modele->setData(modele->index(1, quantite), "beaucoup"));
        const Issue refus = enregistrer(*modele);
        QVERIFY(!refus.ok() && refus != Issue::Conflit);
        QCOMPARE(base.valeur("SELECT GROUP_CONCAT(nom) FROM commandes").toString(), "lait,lait");
        QVERIFY(modele->setData(modele->index(1, quantite), 4));
        QVERIFY(enregistrer(*modele).ok());
        QCOMPARE(base.lignes("SELECT nom, quantite FROM commandes ORDER BY id"),
                 (QList<QVariantList> { { "pain", 3 }, { "lait", 4 } }));

        // A row another workstation changed since the grid loaded it is not written over.
        QSqlQuery(base.autre()).exec("UPDATE commandes SET nom='beurre' WHERE quantite=4");
        QVERIFY(modele->setData(modele->index(1, nom), "crème"));
        QCOMPARE(enregistrer(*modele).genre, Issue::Conflit);
        QCOMPARE(base.valeur("SELECT nom FROM commandes WHERE quantite=4").toString(), "beurre");

        // The joined view: every customer, once without orders.
        client(base, "Sans commande");
        QVERIFY(charger(base.db, Vue::CommandesEtClients, &charge).ok());
        QCOMPARE(charge->rowCount(), 3);
        QVERIFY(!qobject_cast<QSqlTableModel *>(charge.get()));
    }

    void searchesAndSummary()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha", "Beta");
        client(base, "Martin_100%");
        client(base, "Martine");
        const int obrien = client(base, "O'Brien");
        for (const char *produit : { "lait", "petit lait", "huile 100%" })
            commandesDe(base, alpha, produit);
        commandesDe(base, obrien, "l'ait", 30);
        commandesDe(base, 99, "lait orphelin");

        auto produits = [&](const QString &texte) {
            Issue issue;
            Curseur<Commande> trouves = rechercherProduits(base.db, texte, &issue);
            [&] { QVERIFY2(issue.ok(), qPrintable(issue.raison)); }();
            QStringList noms;
            for (QList<Commande> lus; !(lus = trouves.suivants(20)).isEmpty();) {
                for (const Commande &c : lus)
                    noms << c.nom + "/" + c.client.nom;
            }
            return noms;
        };
        QCOMPARE(produits("lait"), (QStringList { "lait/Alpha", "petit lait/Alpha" }));
        QCOMPARE(produits("%"), QStringList { "huile 100%/Alpha" });
        QCOMPARE(produits("l_it"), QStringList());
        QCOMPARE(produits("🍞"), QStringList());
        QCOMPARE(produits("'a").size(), 30);

        // A page shows its first rows before the others are read.
        Issue issue;
        Curseur<Commande> premiers = rechercherProduits(base.db, "", &issue);
        const QList<Commande> tranche = premiers.suivants(20);
        QCOMPARE(tranche.size(), 20);
        QCOMPARE(tranche.value(0).prixTotal, "30");
        QCOMPARE(tranche.value(0).date, QDateTime(QDate(2013, 3, 5), QTime(9, 25)));
        QCOMPARE(float(tranche.value(0).poids), 2.5f);

        Curseur<ClientEtCommandes> trouves = rechercherClients(base.db, "Martin_", &issue);
        QVERIFY(issue.ok());
        const QList<ClientEtCommandes> martin = trouves.suivants(20);
        QCOMPARE(martin.size(), 1);
        QCOMPARE(martin.value(0).client.nom, "Martin_100%");
        QCOMPARE(rechercherClients(base.db, "", &issue).suivants(20).value(0).commandes, 3);

        // Most active first; customers without orders and orphans left out.
        int nombre = 0;
        QVERIFY(nombreCommandes(base.db, &nombre).ok());
        QCOMPARE(nombre, 34);
        QVERIFY(nombreClients(base.db, &nombre).ok());
        QCOMPARE(nombre, 4);
        QList<ClientEtCommandes> parClient = commandesParClient(base.db, &issue).suivants(20);
        QCOMPARE(parClient.size(), 2);
        QCOMPARE(parClient.value(0).client.nom + QString::number(parClient.value(0).commandes),
                 "O'Brien30");
        QCOMPARE(parClient.value(1).client.entreprise, "Beta");

        // What the completers offer.
        QStringList offerts;
        QVERIFY(noms(base.db, Noms::Entreprises, &offerts).ok());
        QCOMPARE(offerts, (QStringList { "Beta", "", "", "" }));
        QVERIFY(noms(base.db, Noms::Produits, &offerts).ok());
        QCOMPARE(offerts.size(), 34);
    }
};

QTEST_GUILESS_MAIN(TestRegistreCommandes)
#include "tst_registre_commandes.moc"
