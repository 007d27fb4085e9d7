#include "commandes/facturation.h"
#include "commun/grilles.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QBuffer>
#include <QDateEdit>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QSqlTableModel>
#include <QTableView>

namespace {

// Chooses these rows of the dialog's grid, and presses one of its buttons.
void choisir(QDialog *d, const char *grille, const QList<int> &rangs, const QString &bouton)
{
    auto *vue = nomme<QTableView>(d, grille);
    vue->clearSelection();
    for (int rang : rangs)
        vue->selectionModel()->select(vue->model()->index(rang, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    appuyer(d, bouton);
}

// Answers the next file dialog with `chemin`, checking the name it proposes.
void enregistrerSous(Banc &banc, const QString &chemin, const QString &propose)
{
    banc.pilote.dialogue([=](QDialog *d) {
        QCOMPARE(QFileInfo(qobject_cast<QFileDialog *>(d)->selectedFiles().value(0)).fileName(),
                 propose);
        qobject_cast<QFileDialog *>(d)->selectFile(chemin);
        d->accept();
    });
}

void capture(QWidget *w, const QString &nom)
{
    if (qEnvironmentVariableIsSet("TABLORAN_CAPTURES"))
        w->grab().save(qEnvironmentVariable("TABLORAN_CAPTURES") + "/" + nom);
}

} // namespace

class TestFacturesFenetres : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The identity typed once; two orders of one customer invoiced from the
    // orders' grid, one of two customers refused; the invoiced order frozen.
    void ordersAreInvoicedFromTheirDisplay()
    {
        Banc banc;
        banc.fenetre().connexionCommande();
        banc.sql("INSERT INTO clients VALUES (1, 'Alpha', 'Alpha SA', 'a@b.c', '77'), "
                 "(2, 'Beta', '', 'b@b.c', '78')");
        banc.sql("INSERT INTO commandes VALUES (1, 1, 'riz', 2.5, 'kg', 3, '1500', '4500', '', "
                 "NOW()), (2, 1, 'mil <i>', 1, 'kg', 2, '12.5', '25', '', NOW()), "
                 "(3, 2, 'sel', 1, 'kg', 1, '10', '10', '', NOW())");
        banc.pilote.dialogue([&](QDialog *info) {
            banc.pilote.dialogue([&](QDialog *d) {
                const QList<QPair<const char *, QString>> champs = { { "nom", "Tabloran <SARL>" },
                                                                     { "fiscal", "NIF 42" },
                                                                     { "taux", "18" },
                                                                     { "registre", "RC 7" },
                                                                     { "devise", "F" } };
                for (const auto &[nom, texte] : champs)
                    nomme<QLineEdit>(d, nom)->setText(texte);
                nomme<QPlainTextEdit>(d, "conditions")->setPlainText("Payable à 30 jours");
                capture(d, "factures-identite.png");
                banc.pilote.boite();
                appuyer(d, "Enregistrer");
                appuyer(d, "Fermer la page");
            });
            appuyer(info, "Identité de l'entreprise");
            appuyer(info, "Fermer la page");
        });
        Banc::clic(banc.bouton(QString(), "Infos sur la base de donnée"));

        banc.pilote.dialogue([&](QDialog *grille) {
            banc.pilote.boite();
            choisir(grille, "grille", { 0, 2 }, "Facturer");
            banc.pilote.dialogue([&](QDialog *d) {
                QVERIFY(nomme<QLabel>(d, "client")->text().contains("Alpha SA"));
                QCOMPARE(nomme<QLabel>(d, "totaux")->text(),
                         "Total hors taxe : 4 525 F\nTaxe (18 %) : 814,50 F\nTotal : 5 339,50 F");
                nomme<QPlainTextEdit>(d, "adresse")->setPlainText("<b>12 rue</b>\nDakar");
                nomme<QDateEdit>(d, "date")->setDate({ 2026, 3, 1 });
                banc.pilote.boite();
                appuyer(d, "Émettre la facture");
            });
            choisir(grille, "grille", { 0, 1 }, "Facturer");
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(nomme<QTableView>(grille, "grille")));
            m->setData(m->index(0, m->fieldIndex("quantite")), 9);
            banc.pilote.boite();
            appuyer(grille, "Valider");
            appuyer(grille, "Fermer la page");
        });
        Banc::clic(banc.bouton(panneauCommandes, "Afficher et/ou modifier"));
        vuesCommencent(banc.pilote,
                       { "I Identité enregistrée: ",
                         "W Facturation impossible: Ces commandes sont celles de 2 clients",
                         "I Facture émise: La facture n° 2026-0001 a été émise pour Alpha "
                         "(5 339,50 F)",
                         "W Modification échouée: Vos modifications n'ont pas pu être effectuées "
                         "avec succes\nVérifier si vos modifications sont valides\nLa commande n°1 "
                         "est sur la facture n° 2026-0001" });
        QCOMPARE(banc.valeur("SELECT quantite FROM commandes WHERE id = 1"), 3);
        QCOMPARE(banc.lignes("SELECT client_adresse, total FROM factures"),
                 QList<QVariantList>({ { "<b>12 rue</b>\nDakar", 533950 } }));
    }

    // The page lists, searches, opens and exports an invoice as PDF, and
    // cancels it by a credit note; a long invoice numbers its sheets.
    void theInvoicesPageExportsAndCancels()
    {
        Banc banc;
        banc.fenetre().connexionCommande();
        banc.pilote.laisserProgression();
        QImage logo(80, 40, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        QBuffer octets;
        logo.save(&octets, "PNG");
        banc.sql(
            "INSERT INTO entreprise VALUES (1, 'Tabloran <b>&</b>', 'SARL', 'Dakar', '1', 'x@y', "
            "'RC 7', 'NIF 42', 0, 'Exonéré de taxe', 'F', 'Payable à 30 jours', ?)",
            { QString::fromLatin1(octets.data().toBase64()) });
        banc.sql("INSERT INTO clients VALUES (1, 'Alpha', '', 'a@b.c', '77')");
        banc.sql("INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
                 "prix_unitaire, prix_total, date_command) SELECT 1, CONCAT('produit ', seq), 1, "
                 "'kg', 3, '1500', '4500', NOW() FROM seq_1_to_300");
        QList<QVariant> ids;
        for (int id = 1; id <= 300; ++id)
            ids << id;
        QVERIFY(commandes::facturer(connexionServeur("facturation", banc.nom), ids, { 2026, 3, 1 },
                                    "Dakar", nullptr)
                    .ok());
        const QString pdf = banc.dossierTravail() + "/f.pdf";
        banc.pilote.dialogue([&](QDialog *page) {
            QAbstractItemModel *liste = nomme<QTableView>(page, "factures")->model();
            nomme<QLineEdit>(page, "recherche")->setText("zz");
            QCOMPARE(liste->rowCount(), 0);
            nomme<QLineEdit>(page, "recherche")->setText("2026-00");
            QCOMPARE(liste->index(0, 4).data(), "émise");
            capture(page, "factures-page.png");
            banc.pilote.dialogue([&](QDialog *d) {
                enregistrerSous(banc, pdf, "facture-2026-0001.pdf");
                appuyer(d, "Exporter en PDF");
                appuyer(d, "Fermer la page");
            });
            choisir(page, "factures", { 0 }, "Ouvrir");
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            choisir(page, "factures", { 0 }, "Établir un avoir");
            nomme<QLineEdit>(page, "recherche")->clear();
            QCOMPARE(liste->rowCount(), 2);
            QCOMPARE(liste->index(1, 4).data().toString(),
                     "annulée par " + liste->index(0, 0).data().toString());
            appuyer(page, "Fermer la page");
        });
        capture(&banc.fenetre(), "factures-accueil.png");
        Banc::clic(banc.bouton(QString(), "Factures"));
        if (qEnvironmentVariableIsSet("TABLORAN_CAPTURES"))
            QFile::copy(pdf, qEnvironmentVariable("TABLORAN_CAPTURES") + "/factures-exemple.pdf");
        const QString texte = textePdf(pdf);
        dansLOrdre(texte,
                   { "Tabloran <b>&</b>", "FACTURE n° 2026-0001", "01/03/2026", "Alpha", "Dakar",
                     "produit 1", "1 500 F", "4 500 F", "Page 1 sur", "produit 300",
                     "Total hors taxe : 1 350 000 F", "Exonéré de taxe", "Total : 1 350 000 F",
                     "Payable à 30 jours", "NIF 42" });
        const int pages = infoPdf(pdf, "Pages").toInt();
        QVERIFY(pages > 2);
        QVERIFY(texte.contains(QString("Page %1 sur %1").arg(pages)));
    }
};

QTEST_MAIN(TestFacturesFenetres)
#include "tst_factures_fenetres.moc"
