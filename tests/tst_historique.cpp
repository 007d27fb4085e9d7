#include "commandes/registre.h"
#include "commun/grilles.h"
#include "commun/historique.h"
#include "compte/registre.h"
#include "employes/registre.h"
#include "support/base_de_test.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlTableModel>
#include <QSysInfo>
#include <QtTest>

#include <functional>

using Lignes = QList<QList<QVariantList>>;

namespace {

const QStringList tables = { "compte", "commandes", "clients", "employes", "absence" };

// Every register table as stored, keys included.
Lignes registres(BaseDeTest &base)
{
    Lignes toutes;
    for (const QString &table : tables)
        toutes << base.lignes("SELECT * FROM " + table + " ORDER BY id");
    return toutes;
}

commandes::Commande commande(const QString &client, const QString &produit, int quantite)
{
    return {
        {}, {}, produit, 2.5, "kg", quantite, "100", {}, "", {}, { {}, client, "", "a@b", "1" }
    };
}

// Two entries, two customers with three orders, two persons, three absences.
void remplir(BaseDeTest &base)
{
    QVERIFY(compte::ajouter(base.db, { {}, "Gain", "1500", "vente", {} }).ok());
    QVERIFY(compte::ajouter(base.db, { {}, "Dépense", "12,50", "l'été \"x\"", {} }).ok());
    for (const auto &[client, produit] :
         { std::pair("Alpha", "riz"), std::pair("Alpha", "mil"), std::pair("Beta", "sel") })
        QVERIFY(commandes::ajouter(base.db, commande(client, produit, 3)).ok());
    for (int type : { employes::employe, employes::stagiaire }) {
        employes::Personne p { {}, type, "Diallo", "Awa", "F", "Vente", "", {}, {}, 6, {} };
        QVERIFY(employes::ajouterPersonne(base.db, p, { 1990, 1, 2 }, { 2024, 3, 4 }).ok());
    }
    for (int jour : { 5, 6, 7 }) {
        employes::Absence a { {}, jour == 7 ? 2 : 1, {}, 4, {}, {} };
        QVERIFY(employes::ajouterAbsence(base.db, a, { 2025, 1, jour }).ok());
    }
}

// Edits one cell of a table's grid, on the row of that number, and saves.
Issue modifierTable(const QSqlDatabase &db, const QString &table, int id, const QString &colonne,
                    const QVariant &v)
{
    QSqlTableModel grille(nullptr, db);
    grille.setTable(table);
    grille.setEditStrategy(QSqlTableModel::OnManualSubmit);
    if (!grille.select())
        return Issue::erreur(grille.lastError().text());
    for (int ligne = 0; ligne < grille.rowCount(); ++ligne) {
        if (grille.index(ligne, grille.fieldIndex("id")).data().toInt() == id)
            grille.setData(grille.index(ligne, grille.fieldIndex(colonne)), v);
    }
    return enregistrerGrille(grille);
}

qint64 derniere(BaseDeTest &base)
{
    historique::Entree entree;
    return historique::derniere(base.db, &entree).ok() ? entree.numero : 0;
}

QString resumeDernier(BaseDeTest &base)
{
    return base.valeur("SELECT resume FROM operations ORDER BY id DESC LIMIT 1").toString();
}

struct Cas
{
    const char *nom;
    std::function<Issue(BaseDeTest &)> changer;
    const char *resume;
};

} // namespace

class TestHistorique : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyChangeIsUndoneAndRedoneRowForRow()
    {
        const QList<Cas> cas = {
            { "écriture ajoutée",
              [](BaseDeTest &b) {
                  return compte::ajouter(b.db, { {}, "Gain", "7", "", {} });
              },
              "Écriture n°3 ajoutée (Gain, 7)" },
            { "écriture modifiée",
              [](BaseDeTest &b) { return modifierTable(b.db, "compte", 1, "valeur", "1600"); },
              "Écriture n°1 modifiée : valeur 1500 → 1600" },
            { "écriture supprimée", [](BaseDeTest &b) { return compte::supprimer(b.db, 2); },
              "Écriture n°2 supprimée (Dépense, 12.50)" },
            { "compte vidé", [](BaseDeTest &b) { return compte::vider(b.db); },
              "Compte vidé (2 entrées)" },
            { "commande d'un nouveau client",
              [](BaseDeTest &b) { return commandes::ajouter(b.db, commande("Gamma", "blé", 2)); },
              "Commande n°4 ajoutée (Gamma, 2 × blé)" },
            { "client modifié",
              [](BaseDeTest &b) { return modifierTable(b.db, "clients", 2, "nom", "beta"); },
              "Client n°2 modifié : nom Beta → beta" },
            { "commande supprimée",
              [](BaseDeTest &b) { return commandes::supprimerCommande(b.db, 2); },
              "Commande n°2 supprimée (Alpha, 3 × mil)" },
            { "client supprimé avec ses commandes",
              [](BaseDeTest &b) { return commandes::supprimerClient(b.db, 1); },
              "Client Alpha supprimé avec 2 commandes" },
            { "clients vidés", [](BaseDeTest &b) { return commandes::viderClients(b.db); },
              "Clients et commandes vidés (2 clients, 3 commandes)" },
            { "absence ajoutée",
              [](BaseDeTest &b) {
                  employes::Absence a { {}, 2, {}, 8, {}, {} };
                  return employes::ajouterAbsence(b.db, a, { 2025, 2, 1 });
              },
              "Absence n°4 de Diallo Awa ajoutée (01/02/2025, 8 h)" },
            { "personne modifiée",
              [](BaseDeTest &b) { return modifierTable(b.db, "employes", 2, "id", 9); },
              "2 personnes modifiées (n°2, n°9)" },
            { "personne supprimée avec ses absences",
              [](BaseDeTest &b) { return employes::supprimerPersonne(b.db, 1); },
              "Employé Diallo Awa supprimé avec 2 absences" },
            { "stagiaires vidés",
              [](BaseDeTest &b) { return employes::viderType(b.db, employes::stagiaire); },
              "Stagiaires vidés (1 personne, 1 absence)" },
        };
        for (const Cas &c : cas) {
            BaseDeTest base;
            remplir(base);
            const Lignes avant = registres(base);
            QVERIFY2(c.changer(base).ok(), c.nom);
            QCOMPARE(resumeDernier(base), QString::fromUtf8(c.resume));
            const Lignes apres = registres(base);
            QVERIFY2(apres != avant, c.nom);

            historique::Annulation annulation;
            QVERIFY2(historique::annuler(base.db, derniere(base), &annulation).ok(), c.nom);
            QVERIFY2(registres(base) == avant, c.nom);
            QCOMPARE(annulation.resume, "Annulé : " + QString::fromUtf8(c.resume));
            // The undo is an operation of its own: undoing it makes the change again.
            QVERIFY2(historique::annuler(base.db, derniere(base), &annulation).ok(), c.nom);
            QVERIFY2(registres(base) == apres, c.nom);
            QCOMPARE(annulation.resume, "Rétabli : " + QString::fromUtf8(c.resume));
        }
    }

    // An undo never writes over later work, on this workstation or another: the box names
    // the row and the operation that changed it since.
    void undoRefusedOverLaterWork()
    {
        BaseDeTest base;
        remplir(base);
        QVERIFY(commandes::supprimerClient(base.db, 1).ok());
        const qint64 suppression = derniere(base);
        QVERIFY(compte::supprimer(base.db, 1).ok());
        const qint64 ecriture = derniere(base);
        // Another workstation gives the deleted customer's number to another customer; the
        // deleted entry's number is taken again outside the program.
        historique::nommerPoste("caisse-2");
        QVERIFY(modifierTable(base.autre(), "clients", 2, "id", 1).ok());
        historique::nommerPoste(QSysInfo::machineHostName());
        base.sql("INSERT INTO compte VALUES (1, 'Gain', '9', '', NOW())");
        // A change of case is a change.
        base.sql("UPDATE compte SET commentaire = 'L''été \"x\"' WHERE id = 2");
        const qint64 ajout2 = base.valeur("SELECT numero FROM operations WHERE resume LIKE "
                                          "'Écriture n°2 ajoutée%'")
                                  .toLongLong();
        const Lignes avant = registres(base);
        const int operations = base.compte("operations");

        historique::Annulation annulation;
        const Issue client = historique::annuler(base.db, suppression, &annulation);
        QCOMPARE(client.genre, Issue::Conflit);
        QVERIFY2(QRegularExpression("Client n°1 : « 2 clients modifiés \\(n°1, n°2\\) », le "
                                    "\\d\\d/\\d\\d/\\d{4} à [0-9:]{8}, poste caisse-2")
                     .match(client.raison)
                     .hasMatch(),
                 qPrintable(client.raison));
        const Issue entree = historique::annuler(base.db, ecriture, &annulation);
        QCOMPARE(entree.genre, Issue::Conflit);
        QVERIFY2(entree.raison.contains("Écriture n°1 : changé hors du programme"),
                 qPrintable(entree.raison));
        QCOMPARE(historique::annuler(base.db, ajout2, &annulation).genre, Issue::Conflit);
        QCOMPARE(registres(base), avant);
        QCOMPARE(base.compte("operations"), operations);
        // Undone once, an operation cannot be undone again over its own undo.
        QVERIFY(compte::supprimer(base.db, 1).ok());
        const qint64 seconde = derniere(base);
        QVERIFY(historique::annuler(base.db, seconde, &annulation).ok());
        QCOMPARE(historique::annuler(base.db, seconde, &annulation).genre, Issue::Conflit);
        QCOMPARE(historique::annuler(base.db, 12345, &annulation).genre, Issue::DejaSupprime);
    }

    // A write the server refuses half-way leaves neither its change nor any entry.
    void refusedWriteLeavesNoEntry()
    {
        BaseDeTest base;
        remplir(base);
        const Lignes avant = registres(base);
        const int entrees = base.compte("historique");
        base.sql("CREATE TRIGGER refus BEFORE DELETE ON commandes FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000' SET MESSAGE_TEXT = 'refusé'");
        QCOMPARE(commandes::supprimerClient(base.db, 1).genre, Issue::Erreur);
        QCOMPARE(commandes::viderClients(base.db).genre, Issue::Erreur);
        base.sql("CREATE TRIGGER refus2 BEFORE INSERT ON operations FOR EACH ROW SIGNAL SQLSTATE "
                 "'45000' SET MESSAGE_TEXT = 'refusé'");
        QCOMPARE(compte::ajouter(base.db, { {}, "Gain", "7", "", {} }).genre, Issue::Erreur);
        QCOMPARE(modifierTable(base.db, "compte", 1, "valeur", "9").genre, Issue::Erreur);
        QCOMPARE(registres(base), avant);
        QCOMPARE(base.compte("historique"), entrees);
    }

    // A transaction the server ended on its own without a word (a cluster node does so when
    // another node's change beat it): nothing that followed is written, and the add runs again.
    void aTransactionEndedByTheServerWritesNothingOfItsAttempt()
    {
        BaseDeTest base;
        int essais = 0;
        const auto inserer = [&](QSqlQuery &q) {
            return q.exec("INSERT INTO compte SET sujet = 'Gain', valeur = '5', commentaire = '', "
                          "date_insert = NOW()");
        };
        const Issue issue = historique::ecrire(
            base.db, Changement::Ajout, "compte", [&](historique::Operation &operation) {
                QSqlQuery q(base.db);
                if (++essais == 1 && !(inserer(q) && q.exec("ROLLBACK")))
                    return Issue::erreur(q);
                if (!inserer(q))
                    return Issue::erreur(q);
                const Issue ajout = operation.ajout("compte", q.lastInsertId());
                return ajout.ok() ? operation.clore("ajout", "Écriture") : ajout;
            });
        QVERIFY(issue.ok());
        QCOMPARE(essais, 2);
        for (const char *table : { "compte", "operations", "historique" })
            QCOMPARE(base.compte(table), 1);
    }

    // Emptying a full book and undoing it: the table comes back row for row, keys included.
    void fullBookEmptiedAndPutBack()
    {
        BaseDeTest base;
        base.sql("INSERT INTO compte SELECT seq, IF(seq % 2, 'Gain', 'Dépense'), seq, "
                 "REPEAT('é', seq % 50), '2013-03-05' + INTERVAL seq MINUTE FROM seq_1_to_65535");
        const Lignes avant = registres(base);
        QVERIFY(compte::vider(base.db).ok());
        QCOMPARE(resumeDernier(base), "Compte vidé (65 535 entrées)");
        QCOMPARE(base.compte("compte"), 0);
        historique::Annulation annulation;
        QVERIFY(historique::annuler(base.db, derniere(base), &annulation).ok());
        QCOMPARE(annulation.remises, 65535);
        QVERIFY(registres(base) == avant);
    }
};

QTEST_GUILESS_MAIN(TestHistorique)
#include "tst_historique.moc"
