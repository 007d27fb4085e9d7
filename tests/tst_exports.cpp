// The result pages and the grids at 1,000 rows and what leaves the program:
// the pages printed and saved as PDF, every row in order; the grids saved as
// CSV and sorted by a click on a header.

#include "support/banc.h"
#include "support/fichiers.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>

namespace {

// Typed into one row of every table.
const QString remarque = "Remarque; il a dit \"oui\" <b>gras</b>\nà l'été";
const int lignes = 1000;

// Every table holds 1,000 rows (one customer more, without orders); row 500
// of each carries the remark.
void remplir(Banc &banc)
{
    Entreprise &f = banc.fenetre();
    QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
    const QString n = QString::number(lignes);
    banc.sql("INSERT INTO compte SELECT seq, IF(seq % 3 = 0, 'Gain', 'Dépense'), CONCAT(seq % 97, "
             "'.50'), IF(seq = 500, ?, CONCAT('achat numéro ', seq)), '2013-01-01 08:00:00' + "
             "INTERVAL seq MINUTE FROM seq_1_to_"
                 + n,
             { remarque });
    banc.sql("INSERT INTO clients SELECT seq, CONCAT('Martin', seq), IF(seq = 500, ?, 'Beta'), "
             "'m@b.fr', '0102' FROM seq_1_to_"
                 + QString::number(lignes + 1),
             { remarque });
    banc.sql("INSERT INTO commandes SELECT seq, seq, CONCAT('lait', seq), IF(seq % 2, 1.1, 2.5), "
             "'kg', 3, '10', '30', IF(seq = 500, ?, 'frais'), '2013-03-05 09:25:00' + INTERVAL "
             "seq MINUTE FROM seq_1_to_"
                 + n,
             { remarque });
    banc.sql("INSERT INTO employes SELECT seq, 1, CONCAT('Nom', seq), CONCAT('Prenom', seq), "
             "CONCAT('Nom', seq, ' Prenom', seq), IF(seq % 3, 'M', 'F'), 'Vente', '1980-01-01' + "
             "INTERVAL seq DAY, '2010-01-01' + INTERVAL seq DAY, NULL, NULL, IF(seq = 500, ?, "
             "CONCAT('commentaire ', seq)) FROM seq_1_to_"
                 + n,
             { remarque });
    banc.sql("INSERT INTO absence SELECT seq, seq, '2013-01-01' + INTERVAL seq DAY, 8 FROM "
             "seq_1_to_"
             + n);
    QCOMPARE(banc.compte("absence"), lignes);
}

// Every row of a statement, its values as text (NULL as empty text).
QList<QStringList> rangees(Banc &banc, const QString &requete)
{
    QList<QStringList> resultat;
    for (const QVariantList &ligne : banc.lignes(requete)) {
        QStringList textes;
        for (const QVariant &v : ligne)
            textes << (v.isNull() ? QString() : v.toString());
        resultat << textes;
    }
    return resultat;
}

QComboBox *liste(Banc &banc, const QString &element)
{
    for (QComboBox *c : banc.fenetre().findChildren<QComboBox *>()) {
        if (c->findText(element) >= 0)
            return c;
    }
    return nullptr;
}

// A command: its section and button, and the orders section's search key or
// display choice to pick first, if any.
void lancer(Banc &banc, const QStringList &commande, std::function<void(QDialog *)> action)
{
    if (commande.size() > 2) {
        QComboBox *c = liste(banc, commande[2]);
        QVERIFY(c);
        c->setCurrentIndex(c->findText(commande[2]));
    }
    banc.lancer(commande[0], commande[1], action);
}

// Answers Qt's save dialog with a file of the test's folder, after checking
// the name it proposes.
void enregistrerSous(Banc &banc, const QString &chemin, const QString &propose)
{
    banc.pilote.dialogue([=](QDialog *d) {
        auto *dialogue = qobject_cast<QFileDialog *>(d);
        QVERIFY(dialogue);
        const QFileInfo proposition(dialogue->selectedFiles().value(0));
        QCOMPARE(proposition.fileName(),
                 propose + QDate::currentDate().toString("-yyyy-MM-dd.")
                     + QFileInfo(chemin).suffix());
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(proposition.absolutePath(),
                 QFileInfo(documents).isDir() ? documents : QDir::homePath());
        dialogue->selectFile(chemin);
        d->accept(); // QFileDialog::accept(), as its Save button does
    });
}

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesPrintAndSaveAsPdfEveryRowAsTyped_data()
    {
        QTest::addColumn<QStringList>("commande");
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("balance report") << QStringList { panneauCompte, "Bilan" } << "bilan"
                                        << QStringList { "Bilan de dépenses et/ou de gains",
                                                         "pour \"achat numéro 1\"",
                                                         "pour \"" + remarque + "\"",
                                                         "pour \"achat numéro 998\"",
                                                         "pour \"achat numéro 999\"",
                                                         "Vous n'avez pas fait d'économie." };
        QTest::newRow("product search")
            << QStringList { panneauCommandes, "Rechercher", "Nom du produit" }
            << "recherche-produit"
            << QStringList { "recherche sur \"\"", "nom du produit = lait1 ",
                             "commenaire sur le produit = " + remarque,
                             "nom du produit = lait1000 " };
    }

    void pagesPrintAndSaveAsPdfEveryRowAsTyped()
    {
        QFETCH(QStringList, commande);
        QFETCH(QString, fichier);
        QFETCH(QStringList, attendus);

        Banc banc;
        remplir(banc);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("page.pdf");
        banc.pilote.laisserProgression();
        int pagesApercu = 0;
        lancer(banc, commande, [&](QDialog *d) {
            banc.pilote.dialogue([&](QDialog *apercu) {
                QVERIFY(qobject_cast<QPrintPreviewDialog *>(apercu));
                pagesApercu = apercu->findChild<QPrintPreviewWidget *>()->pageCount();
                apercu->reject();
            });
            appuyer(d, "Imprimer");
            enregistrerSous(banc, chemin, fichier);
            appuyer(d, "Exporter en PDF");
            d->reject();
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // Every row, in order, on numbered A4 sheets; the preview shows as many.
        const int pages = infoPdf(chemin, "Pages").toInt();
        QVERIFY(pages > 10);
        QCOMPARE(pagesApercu, pages);
        QVERIFY(infoPdf(chemin, "Page size").contains("(A4)"));
        const QString texte = textePdf(chemin).simplified();
        dansLOrdre(texte, attendus.replaceInStrings("\n", " "));
        QVERIFY(texte.contains("Page 1 sur " + QString::number(pages)));
        QVERIFY(texte.contains(QString("Page %1 sur %1").arg(pages)));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList { "page.pdf" });
    }

    void gridsSaveEveryRowAsCsvAsStored_data()
    {
        QTest::addColumn<QStringList>("commande");
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("entetes");
        QTest::addColumn<QString>("requete");

        const QString date = "DATE_FORMAT(%1, '%Y-%m-%d %H:%i:%s')";
        QTest::newRow("account book")
            << QStringList { panneauCompte, "Afficher/Modifier" } << "compte"
            << "sujet n°|type|valeur|commentaire|date d'ajout"
            << "SELECT id, sujet, valeur, commentaire, " + date.arg("date_insert")
                + " FROM compte ORDER BY date_insert DESC";
        QTest::newRow("orders")
            << QStringList { panneauCommandes, "Afficher et/ou modifier", "Commandes" }
            << "commandes"
            << "n° identifiant|Nom de produit|Poids|unité|Quantité|Prix unitaire|Prix "
               "total|commentaire|date du commande"
            << "SELECT id, nom, CAST(poids AS CHAR), poids_unite, quantite, prix_unitaire, "
               "prix_total, commentaire, "
                + date.arg("date_command") + " FROM commandes ORDER BY id";
        QTest::newRow("orders and customers")
            << QStringList { panneauCommandes, "Afficher", "Commandes et Clients" }
            << "commandes-et-clients"
            << "nom du produit|poids|unite|quantite|prix_unitaire|prix_total|commentaire|date de "
               "la command|nom du client|entreprise du client|email du client|telephone du client"
            << "SELECT commandes.nom, CAST(poids AS CHAR), poids_unite, quantite, prix_unitaire, "
               "prix_total, commentaire, "
                + date.arg("date_command")
                + ", clients.nom, clients.entreprise, clients.email, clients.tel FROM commandes "
                  "RIGHT JOIN clients ON commandes.client_id = clients.id";
        QTest::newRow("staff")
            << QStringList { panneauEmployes, "Afficher et/ou modifier" } << "employes"
            << "n° Id|Nom|Prenom|nom et prenom|Sexe|Domaine|Date de naissance|Date "
               "d'embouche|Commentaire"
            << "SELECT id, nom, prenom, nom_prenom, sexe, domaine, date_naissance, "
               "date_embouche, commentaire FROM employes WHERE type = 1";
    }

    void gridsSaveEveryRowAsCsvAsStored()
    {
        QFETCH(QStringList, commande);
        QFETCH(QString, fichier);
        QFETCH(QString, entetes);
        QFETCH(QString, requete);

        Banc banc;
        remplir(banc);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("grille.csv");
        lancer(banc, commande, [&](QDialog *d) {
            enregistrerSous(banc, chemin, fichier);
            appuyer(d, "Exporter en CSV");
            d->reject();
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        const QByteArray octets = lireFichier(chemin);
        QVERIFY(octets.startsWith("\xEF\xBB\xBF"));
        QVERIFY(octets.endsWith("\r\n"));
        QList<QStringList> lues = lireCsv(octets.mid(3));
        QCOMPARE(lues.value(0), entetes.split('|'));
        lues.removeFirst();
        const QList<QStringList> stockees = rangees(banc, requete);
        QVERIFY(stockees.size() >= lignes);
        QCOMPARE(lues, stockees);
    }

    void sortingKeepsPendingEditsAndValiderWritesExactlyThem_data()
    {
        QTest::addColumn<QStringList>("commande");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("modifiee");
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<int>("triee");
        QTest::addColumn<QString>("reussite");

        QTest::newRow("account book") << QStringList { panneauCompte, "Afficher/Modifier" }
                                      << "compte" << 2 << "77.25" << 2 << "Modifications reussies";
        QTest::newRow("orders") << QStringList { panneauCommandes, "Afficher et/ou modifier",
                                                 "Commandes" }
                                << "commandes" << 2 << "fromage" << 3 << "Modification reussie";
        QTest::newRow("staff") << QStringList { panneauEmployes, "Afficher et/ou modifier" }
                               << "employes" << 6 << "Achats" << 2 << "Modifications reussies";
    }

    void sortingKeepsPendingEditsAndValiderWritesExactlyThem()
    {
        QFETCH(QStringList, commande);
        QFETCH(QString, table);
        QFETCH(int, modifiee);
        QFETCH(QString, valeur);
        QFETCH(int, triee);
        QFETCH(QString, reussite);

        Banc banc;
        remplir(banc);
        const QString tout = "SELECT * FROM " + table + " ORDER BY id";
        QList<QStringList> attendu = rangees(banc, tout);
        attendu[499][modifiee] = valeur;

        lancer(banc, commande, [&](QDialog *d) {
            auto *grille = d->findChild<QTableView *>();
            QAbstractItemModel *modele = grille->model();
            auto ligneDe500 = [&] {
                while (modele->canFetchMore({}))
                    modele->fetchMore({});
                for (int ligne = 0; ligne < modele->rowCount(); ++ligne) {
                    if (modele->index(ligne, 0).data().toInt() == 500)
                        return ligne;
                }
                return -1;
            };
            QVERIFY(modele->setData(modele->index(ligneDe500(), modifiee), valeur));

            // Sorted one way, then the other, by a click on the column's header
            // (the order itself is the sort's own test): the edit stays.
            QHeaderView *entetes = grille->horizontalHeader();
            const QPoint milieu(entetes->sectionViewportPosition(triee)
                                    + entetes->sectionSize(triee) / 2,
                                entetes->height() / 2);
            for (Qt::SortOrder ordre : { Qt::AscendingOrder, Qt::DescendingOrder }) {
                QTest::mouseClick(entetes->viewport(), Qt::LeftButton, {}, milieu);
                QCOMPARE(entetes->sortIndicatorSection(), triee);
                QCOMPARE(entetes->sortIndicatorOrder(), ordre);
                QCOMPARE(modele->rowCount(), lignes);
                QCOMPARE(modele->index(ligneDe500(), modifiee).data().toString(), valeur);
            }
            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(banc.pilote.boites.value(0).titre, reussite);
            d->reject();
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(rangees(banc, tout), attendu);
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
