#include "commandes/facturation.h"
#include "commun/historique.h"
#include "support/base_de_test.h"

#include <QSqlTableModel>
#include <QtTest>

#include <thread>

using namespace commandes;

namespace {

// `n` orders of `client`, at `prix` each, quantity 3; their numbers.
QList<QVariant> commander(BaseDeTest &b, const QString &client, int n,
                          const QString &prix = "1 500 F")
{
    b.sql("INSERT IGNORE INTO entreprise (id, nom, forme, adresse, tel, email, registre_commerce, "
          "identifiant_fiscal, taux_taxe, sans_taxe, devise, conditions) VALUES (1, 'Tabloran', "
          "'', '', '', '', '', '', 0, '', 'F', '')");
    QList<QVariant> ids;
    for (int i = 0; i < n; ++i) {
        const Issue issue = ajouter(
            b.db,
            { {}, {}, "riz", 2.5, "kg", 3, prix, {}, "", {}, { {}, client, "", "a@b", "77" } });
        ids << issue.id;
    }
    return ids;
}

QString emettre(BaseDeTest &b, const QList<QVariant> &ids, const QDate &date,
                Issue *issue = nullptr)
{
    Facture f;
    const Issue fait = facturer(b.db, ids, date, "1 rue du Port\nDakar", &f);
    if (issue)
        *issue = fait;
    return fait.ok() ? f.numeroTexte() : fait.raison;
}

// Everything the invoices and the orders hold.
QList<QVariantList> etat(BaseDeTest &b)
{
    QList<QVariantList> tout;
    for (const char *table : { "commandes", "clients", "factures", "lignes_facture",
                               "commandes_facturees", "compteurs_factures", "operations" })
        tout << b.lignes(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table));
    return tout;
}

} // namespace

class TestFactures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void amountsAreCentsAndTheTaxIsRoundedOncePerInvoice()
    {
        QCOMPARE(enMontant(450000, "F"), "4 500 F");
        QCOMPARE(enMontant(-1250, "F"), "-12,50 F");
        QCOMPARE(enMontant(5, ""), "0,05");
        qint64 c = 0;
        QVERIFY(enCentimes("1 500 F", &c) && c == 150000);
        QVERIFY(enCentimes("12.5", &c) && c == 1250);
        QVERIFY(!enCentimes("0.333", &c));
        QString raison;
        const QList<QPair<QString, int>> taux = { { "19,25", 1925 }, { "18 %", 1800 },
                                                  { "0", 0 },        { "100", 10000 },
                                                  { "100,5", -1 },   { "1,234", -1 },
                                                  { "-2", -1 },      { "abc", -1 } };
        for (const auto &[texte, attendu] : taux)
            QCOMPARE(tauxLu(texte, &raison), attendu);
        QCOMPARE(texteTaux(1850), "18,5");
        QCOMPARE(taxeDe(-75, 1000), -8);

        // Three lines of 0,25 at 10 %: 0,08 of tax on 0,75, not 3 × 0,03.
        BaseDeTest b;
        Identite identite;
        identite.nom = "Tabloran SARL";
        identite.taux = 1000;
        QVERIFY(enregistrerIdentite(b.db, identite).ok());
        Facture f;
        QVERIFY(preparerFacture(b.db, commander(b, "Alpha", 3, "0,25"), &f).ok());
        QCOMPARE(QList<qint64>({ f.lignes.at(0).total, f.totalHt, f.taxe, f.total }),
                 QList<qint64>({ 75, 225, 23, 248 }));
    }

    void numbersFollowEachOtherAndRestartEachYear()
    {
        BaseDeTest b;
        const QList<QVariant> alpha = commander(b, "Alpha", 3);
        const QList<QVariant> beta = commander(b, "Beta", 2);
        Issue issue;
        QCOMPARE(emettre(b, { alpha.at(0), beta.at(0) }, { 2026, 3, 1 }, &issue),
                 "Ces commandes sont celles de 2 clients différents : une facture ne concerne "
                 "qu'un seul client.");
        QCOMPARE(b.compte("factures"), 0);
        b.sql("UPDATE entreprise SET nom = ''");
        QVERIFY(emettre(b, alpha, { 2026, 3, 1 }).startsWith("L'entreprise n'a pas encore de nom"));
        b.sql("UPDATE entreprise SET nom = 'Tabloran'");
        QCOMPARE(emettre(b, alpha.mid(0, 2), { 2026, 3, 1 }), "2026-0001");
        QCOMPARE(emettre(b, beta, { 2026, 5, 1 }), "2026-0002");
        QVERIFY(emettre(b, alpha.mid(1), { 2026, 5, 1 }, &issue).contains("facture n° 2026-0001"));
        QCOMPARE(issue.genre, Issue::Refuse);
        QCOMPARE(emettre(b, alpha.mid(2), { 2027, 1, 2 }), "2027-0001");
        QCOMPARE(b.valeur("SELECT resume FROM operations ORDER BY id DESC LIMIT 1").toString(),
                 "Facture n° 2027-0001 émise (Alpha, 1 commande, 4 500 F)");
        QCOMPARE(b.lignes("SELECT total_ht, taxe, total FROM factures WHERE numero = 1 AND annee "
                          "= 2026"),
                 QList<QVariantList>({ { 900000, 0, 900000 } }));
    }

    void workstationsIssuingTogetherGiveEachNumberOnce()
    {
        BaseDeTest b;
        const QList<QVariant> ids = commander(b, "Alpha", 24);
        const QString base = b.db.connectionName();
        std::vector<std::thread> postes;
        std::atomic<int> emises { 0 };
        for (int p = 0; p < 4; ++p) {
            postes.emplace_back([&, p] {
                const QString nom = base + QStringLiteral("_poste%1").arg(p);
                {
                    QSqlDatabase db = QSqlDatabase::cloneDatabase(base, nom);
                    QString probleme;
                    if (db.open() && schema::preparer(db, schema::tablesRegistres(), &probleme)) {
                        for (int i = p; i < ids.size(); i += 4)
                            emises += facturer(db, { ids.at(i) }, { 2026, 6, 1 }, "", nullptr).ok();
                    }
                }
                QSqlDatabase::removeDatabase(nom);
            });
        }
        for (std::thread &poste : postes)
            poste.join();
        QCOMPARE(emises.load(), 24);
        QList<QVariantList> attendus;
        for (int n = 1; n <= 24; ++n)
            attendus << QVariantList { n };
        QCOMPARE(b.lignes("SELECT numero FROM factures ORDER BY numero"), attendus);
        QCOMPARE(b.valeur("SELECT dernier FROM compteurs_factures").toInt(), 24);
    }

    void anIssuedInvoiceKeepsItsLinesAndTheBusinessAsIssued()
    {
        BaseDeTest b;
        Identite avant;
        avant.nom = "Tabloran & fils";
        avant.taux = 1800;
        avant.conditions = "30 jours";
        avant.logo = QByteArray("\x89PNG\0\x01", 6);
        QVERIFY(enregistrerIdentite(b.db, avant).ok());
        Identite lue;
        QVERIFY(identite(b.db, &lue).ok());
        QCOMPARE(QStringList({ lue.nom, lue.devise, lue.conditions }),
                 QStringList({ "Tabloran & fils", "F", "30 jours" }));
        QCOMPARE(lue.logo, avant.logo);

        const QList<QVariant> ids = commander(b, "Alpha", 2);
        Facture emise;
        QVERIFY(facturer(b.db, ids, { 2026, 2, 3 }, "Dakar", &emise).ok());
        b.sql("UPDATE commandes SET nom = 'mil', prix_unitaire = '9' WHERE id = ?", { ids.at(0) });
        Identite apres = avant;
        apres.nom = "Autre";
        QVERIFY(enregistrerIdentite(b.db, apres).ok());
        Facture relue;
        QVERIFY(facture(b.db, emise.id, &relue).ok());
        QCOMPARE(relue.lignes.at(0).produit, "riz");
        QCOMPARE(relue.lignes.at(0).prixUnitaire, 150000);
        QCOMPARE(relue.emetteur.nom, "Tabloran & fils");
        QCOMPARE(QList<qint64>({ relue.totalHt, relue.taxe, relue.total }),
                 QList<qint64>({ 900000, 162000, 1062000 }));
        QCOMPARE(relue.adresse, "Dakar");
    }

    void invoicedOrdersAreFrozenUntilACreditNote()
    {
        BaseDeTest b;
        const QList<QVariant> ids = commander(b, "Alpha", 2);
        QCOMPARE(emettre(b, ids, { 2026, 2, 3 }), "2026-0001");
        historique::Entree facturation;
        QVERIFY(historique::derniere(b.db, &facturation).ok());
        const qint64 ajoutCommande =
            b.valeur("SELECT numero FROM operations WHERE genre = 'ajout' ORDER BY id LIMIT 1")
                .toLongLong();
        const QList<QVariantList> avant = etat(b);
        QSqlTableModel grille(nullptr, b.db);
        grille.setTable("commandes");
        grille.setEditStrategy(QSqlTableModel::OnManualSubmit);
        QVERIFY(grille.select());
        grille.setData(grille.index(1, grille.fieldIndex("quantite")), 9);
        historique::Annulation annulation;
        const QList<Issue> refus = { supprimerCommande(b.db, ids.at(1)),
                                     supprimerClient(b.db, 1),
                                     viderCommandes(b.db),
                                     viderClients(b.db),
                                     enregistrer(grille),
                                     historique::annuler(b.db, facturation.numero, &annulation),
                                     historique::annuler(b.db, ajoutCommande, &annulation) };
        for (const Issue &issue : refus) {
            QCOMPARE(issue.genre, Issue::Refuse);
            QVERIFY2(issue.raison.contains("factur"), qPrintable(issue.raison));
        }
        QCOMPARE(etat(b), avant);

        Facture avoir;
        QVERIFY(etablirAvoir(b.db, 1, &avoir).ok());
        const QString numeroAvoir = QStringLiteral("A%1-0001").arg(QDate::currentDate().year());
        QCOMPARE(avoir.numeroTexte(), numeroAvoir);
        QCOMPARE(QList<qint64>({ avoir.lignes.at(0).total, avoir.total }),
                 QList<qint64>({ -450000, -900000 }));
        avoir.client.nom = "<i>Alpha</i>";
        QVERIFY(facturation::htmlFacture(avoir, {}).contains("AVOIR n° " + numeroAvoir
                                                             + ", annule la facture n° 2026-0001"));
        QVERIFY(facturation::htmlFacture(avoir, {}).contains("&lt;i&gt;Alpha&lt;/i&gt;"));
        Facture annulee;
        QVERIFY(facture(b.db, 1, &annulee).ok());
        QCOMPARE(annulee.annuleePar, numeroAvoir);
        QCOMPARE(etablirAvoir(b.db, 1, nullptr).raison,
                 "La facture n° 2026-0001 est déjà annulée par l'avoir n° " + numeroAvoir + ".");
        QCOMPARE(etablirAvoir(b.db, avoir.id, nullptr).genre, Issue::Refuse);
        historique::Entree entree;
        QVERIFY(historique::derniere(b.db, &entree).ok());
        QCOMPARE(historique::annuler(b.db, entree.numero, &annulation).genre, Issue::Refuse);
        QCOMPARE(emettre(b, ids, { 2026, 3, 3 }), "2026-0002");
        QList<Facture> liste;
        QVERIFY(factures(b.db, numeroAvoir, &liste).ok());
        QCOMPARE(liste.size(), 1);
        QVERIFY(factures(b.db, "alp", &liste).ok());
        QCOMPARE(liste.size(), 3);
        QVERIFY(factures(b.db, "%", &liste).ok());
        QCOMPARE(liste.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestFactures)
#include "tst_factures.moc"
