#include "commandes/registre.h"
#include "support/base_de_test.h"

#include <QtTest>

using namespace commandes;

namespace {

// An order as the form hands it over: every required field filled.
Commande commande(const QString &client = "Alpha", const QString &entreprise = "",
                  const QString &prix = "1500", int quantite = 1)
{
    Commande c { {}, {}, "lait", 2.5, "kg", quantite, prix, {}, "livrer\nle matin", {}, {} };
    c.client = { {}, client, entreprise, "a@exemple.fr", "0102" };
    return c;
}

QString tailles(BaseDeTest &base)
{
    return QString("%1/%2").arg(base.compte("clients")).arg(base.compte("commandes"));
}

int client(BaseDeTest &base, const QString &nom, const QString &entreprise = "")
{
    const char *ajout = "INSERT INTO clients SET nom=?, entreprise=?, email='e@f.fr', tel='01'";
    return base.sql(ajout, { nom, entreprise }).lastInsertId().toInt();
}

void commandesDe(BaseDeTest &base, int client, const QString &produit, int fois = 1)
{
    const QString ajout = "INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
                          "prix_unitaire, prix_total, date_command) SELECT ?, ?, 2.5, 'kg', 3, "
                          "'10', '30', '2013-03-05 09:25' FROM seq_1_to_";
    base.sql(ajout + QString::number(fois), { client, produit });
}

// The customer an added order went to; 0 when it was not stored.
int clientDe(BaseDeTest &base, const Commande &c)
{
    const QVariant id = ajouter(base.db, c).id;
    return base.valeur("SELECT client_id FROM commandes WHERE id=?", { id }).toInt();
}

template<typename T, typename F>
QStringList lus(Curseur<T> curseur, F texte)
{
    QStringList lignes;
    for (const T &valeur : curseur.suivants(50))
        lignes << texte(valeur);
    return lignes;
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
        // Letter for letter (case, accents, a trailing space, another company, a
        // name only contained, '%' and '_'): a new customer, as typed, only once.
        const char *stocke =
            "SELECT CONCAT_WS('|', nom, entreprise, email) FROM clients WHERE id=?";
        for (const QString cas :
             { "Müller|", "MULLER|", "Muller |", "Alpha|Gamma", "Alph|", "Martin|1_0" }) {
            const QString nom = cas.section('|', 0, 0), entreprise = cas.section('|', 1);
            const int numero = clientDe(base, commande(nom, entreprise));
            QCOMPARE(base.valeur(stocke, { numero }).toString(), cas + "|a@exemple.fr");
            QCOMPARE(clientDe(base, commande(nom, entreprise)), numero);
        }
        QCOMPARE(base.valeur("SELECT COUNT(entreprise) FROM clients").toInt(), 10); // no NULL
    }

    void addReadsThePriceOrRefuses()
    {
        BaseDeTest base;
        const char *prix =
            "SELECT CONCAT_WS(' ', prix_unitaire, prix_total) FROM commandes WHERE id=?";
        for (const QString cas :
             { "1 500 FCFA|2|1500 3000", "12,50|3|12.50 37.5", "0.1|3|0.1 0.3",
               "9999999999999999999|3|9999999999999999999 29999999999999999997",
               "99999999999999999999|3|Le prix total", "cher|1|Le prix unitaire" }) {
            const QStringList c = cas.split('|');
            const Issue issue = ajouter(base.db, commande("Alpha", "", c[0], c[1].toInt()));
            QCOMPARE(issue.ok() ? base.valeur(prix, { issue.id }).toString() : issue.champ, c[2]);
        }
        // The rest as typed, at the time of the save.
        QCOMPARE(base.lignes("SELECT CONCAT_WS(' ', quantite, poids, poids_unite, commentaire), "
                             "TIMESTAMPDIFF(SECOND, date_command, NOW()) < 60 FROM commandes "
                             "ORDER BY id DESC LIMIT 1"),
                 (QList<QVariantList> { { "3 2.5 kg livrer\nle matin", 1 } }));

        // Refused: which field is at fault, and whether the customer's box tells it.
        const QList<std::tuple<std::function<void(Commande &)>, QString, bool>> cas = {
            { [](Commande &c) { c.client.tel.clear(); }, "", false },
            { [](Commande &c) { c.nom = QString(61, 'x'); }, "Le nom du produit", false },
            { [](Commande &c) { c.commentaire = "🍞"; }, "Le commentaire", false },
            { [](Commande &c) { c.client.nom = "Pain 🍞"; }, "Le nom du client", true },
            { [](Commande &c) { c.client.tel = QString(61, '0'); }, "Le numéro de téléphone", true }
        };
        for (const auto &[changer, champ, client] : cas) {
            Commande c = commande("Nouveau");
            changer(c);
            const Issue issue = ajouter(base.db, c);
            QVERIFY(issue == Issue::Refuse && issue.champ == champ);
            QCOMPARE(clientEnCause(issue), client);
        }
        // The order refused after its new customer was stored, then the customer.
        for (const QString table : { "commandes", "clients" }) {
            base.sql("CREATE TRIGGER refus BEFORE INSERT ON " + table
                     + " FOR EACH ROW SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'non'");
            const Issue issue = ajouter(base.db, commande("Nouveau"));
            QVERIFY(issue == Issue::Erreur && issue.raison.contains("non"));
            QCOMPARE(clientEnCause(issue), table == "clients");
            base.sql("DROP TRIGGER refus");
        }
        QCOMPARE(tailles(base), "1/4"); // the priced orders only
    }

    void deleteEmptyAndConflicts()
    {
        BaseDeTest base;
        const int alpha = client(base, "Alpha"), gamma = client(base, "Gamma");
        commandesDe(base, alpha, "lait", 2);
        commandesDe(base, gamma, "pain", 2);
        // An order goes alone; a customer takes its orders along.
        QVERIFY(supprimerCommande(base.db, base.valeur("SELECT MAX(id) FROM commandes")).ok());
        QVERIFY(supprimerClient(base.db, alpha).ok());
        QCOMPARE(base.valeur("SELECT GROUP_CONCAT(client_id) FROM commandes").toInt(), gamma);
        QCOMPARE(tailles(base), "1/1");
        // When the orders cannot go, the customer stays too.
        base.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        QCOMPARE(supprimerClient(base.db, gamma).genre, Issue::Erreur);
        QCOMPARE(viderClients(base.db).genre, Issue::Erreur);
        QCOMPARE(tailles(base), "1/1");
        base.sql("DROP TRIGGER refus");
        // When the customers cannot go, their orders stay too.
        base.sql("CREATE TRIGGER refus BEFORE DELETE ON clients FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000'");
        QCOMPARE(viderClients(base.db).genre, Issue::Erreur);
        QCOMPARE(tailles(base), "1/1");
        base.sql("DROP TRIGGER refus");
        // Emptying the orders keeps the customers; emptying the customers empties both.
        QVERIFY(viderCommandes(base.db).ok());
        QCOMPARE(tailles(base), "1/0");
        commandesDe(base, gamma, "sel");
        // Another workstation holds the orders: nothing written, not even a new customer.
        QVERIFY(QSqlQuery(base.db).exec("SET SESSION innodb_lock_wait_timeout = 1"));
        QSqlDatabase autre = base.autre();
        QVERIFY(autre.transaction());
        QVERIFY(QSqlQuery(autre).exec("SELECT * FROM commandes FOR UPDATE"));
        QCOMPARE(ajouter(base.db, commande("Nouveau")).genre, Issue::Conflit);
        QCOMPARE(supprimerClient(base.db, gamma).genre, Issue::Conflit);
        QCOMPARE(viderClients(base.db).genre, Issue::Conflit);
        autre.rollback();
        QCOMPARE(tailles(base), "1/1");
        QVERIFY(viderClients(base.db).ok());
        QCOMPARE(tailles(base), "0/0");
        // A deadlock met once (the session's variable outlives the rollback):
        // the add is run again, and stored once, with its customer.
        base.sql("CREATE TRIGGER interblocage BEFORE INSERT ON commandes FOR EACH ROW BEGIN IF "
                 "@deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = "
                 "1213; END IF; END");
        QVERIFY(ajouter(base.db, commande("Nouveau")).ok());
        QCOMPARE(tailles(base), "1/1");
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
        // Text matched literally; orders without a customer never found.
        Issue issue;
        auto produits = [&](const QString &texte) {
            return lus(rechercherProduits(base.db, texte, &issue),
                       [](const Commande &c) { return c.nom + "/" + c.client.nom; });
        };
        QCOMPARE(produits("lait"), (QStringList { "lait/Alpha", "petit lait/Alpha" }));
        QCOMPARE(produits("%"), QStringList { "huile 100%/Alpha" });
        QCOMPARE(produits("l_it") + produits("🍞"), QStringList());
        QCOMPARE(produits("'a").size() * issue.ok(), 30);
        auto compte = [](const ClientEtCommandes &c) {
            return c.client.nom + "/" + c.client.entreprise + "/" + QString::number(c.commandes);
        };
        QCOMPARE(lus(rechercherClients(base.db, "Martin_", &issue), compte),
                 QStringList { "Martin_100%//0" });
        QCOMPARE(lus(rechercherClients(base.db, "A", &issue), compte),
                 (QStringList { "Alpha/Beta/3", "Martin_100%//0", "Martine//0" }));
        // Most active first; customers without orders and orphans left out.
        QCOMPARE(lus(commandesParClient(base.db, &issue), compte),
                 (QStringList { "O'Brien//30", "Alpha/Beta/3" }));
        QStringList offerts;
        QVERIFY(noms(base.db, Noms::Entreprises, &offerts).ok());
        QCOMPARE(offerts, (QStringList { "Beta", "", "", "" }));
    }
};

QTEST_GUILESS_MAIN(TestRegistreCommandes)
#include "tst_registre_commandes.moc"
