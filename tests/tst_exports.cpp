#include "commun/exports.h"
#include "commun/grilles.h"
#include "commun/pages.h"
#include "commun/progression.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QBuffer>
#include <QFileDialog>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QThread>

namespace {

const QString remarque = "Remarque; il a dit \"oui\" <b>gras</b>\nà l'été";

// 1,000 entries and orders (and a customer without orders); row 500 carries the remark.
void remplir(Banc &banc)
{
    Entreprise &f = banc.fenetre();
    QVERIFY(f.connexionCompte() && f.connexionCommande());
    banc.sql("INSERT INTO compte SELECT seq, IF(seq % 3 = 0, 'Gain', 'Dépense'), CONCAT(seq % 97, "
             "'.50'), IF(seq = 500, ?, CONCAT('achat numéro ', seq)), '2013-01-01 08:00:00' + "
             "INTERVAL seq MINUTE FROM seq_1_to_1000",
             { remarque });
    banc.sql("INSERT INTO clients SELECT seq, CONCAT('Martin', seq), IF(seq = 500, ?, 'Beta'), "
             "'m@b.fr', '0102' FROM seq_1_to_1001",
             { remarque });
    banc.sql("INSERT INTO commandes SELECT seq, seq, CONCAT('lait', seq), IF(seq % 2, 1.1, 2.5), "
             "'kg', 3, '10', '30', IF(seq = 500, ?, 'frais'), '2013-03-05 09:25:00' + INTERVAL "
             "seq MINUTE FROM seq_1_to_1000",
             { remarque });
}

// Every row of a statement, its values as text (NULL as empty text).
QList<QStringList> rangees(Banc &banc, const QString &requete)
{
    QList<QStringList> resultat;
    for (const QVariantList &ligne : banc.lignes(requete)) {
        resultat << QStringList();
        for (const QVariant &v : ligne)
            resultat.last() << (v.isNull() ? QString() : v.toString());
    }
    return resultat;
}

// Answers the save dialog with `chemin`, after checking the name it proposes.
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

QString entree(int n)
{
    return QString("=> Vous avez dépensé %1.50F pour \"%2\" le 05 mars 2013 à 09h25min\n\n")
        .arg(n)
        .arg(n == 500       ? remarque
                 : n == 998 ? QString(400, 'x') // a word longer than the page
                            : QString("achat numéro %1").arg(n));
}

// A report of `lignes` entries read 100 at a time; `lectures` counts the slices read.
std::shared_ptr<Contenu> rapport(int lignes, int *lectures = nullptr, int pause = 0)
{
    auto contenu = std::make_shared<Contenu>();
    contenu->ajouter(blocStyle("color:green;font-size:20px;", "Bilan de dépenses"));
    auto suivante = std::make_shared<int>(1);
    contenu->ajouter([=] {
        if (lectures)
            ++*lectures;
        QThread::msleep(pause);
        QString texte;
        for (int n = 0; n < 100 && *suivante <= lignes; ++n)
            texte += entree((*suivante)++);
        return texte.isEmpty() ? texte : textePreserve("font-size:12px;color:blue;", texte);
    });
    contenu->ajouter(blocStyle("color:#a90bab;font-size:14px;",
                               "Vous avez fait une économie de <strong>0F</strong>"));
    return contenu;
}

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        for (QComboBox *c : banc.fenetre().findChildren<QComboBox *>()) { // the orders' display
            if (commande.size() > 2 && c->findText(commande[2]) >= 0)
                c->setCurrentIndex(c->findText(commande[2]));
        }
        banc.lancer(commande[0], commande[1], [&](QDialog *d) {
            enregistrerSous(banc, chemin, fichier);
            appuyer(d, "Exporter en CSV");
            d->reject();
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const QList<QStringList> stockees = rangees(banc, requete);
        QVERIFY(stockees.size() >= 1000);
        QCOMPARE(lireCsv(lireFichier(chemin).mid(3)),
                 QList<QStringList> { entetes.split('|') } + stockees);
    }

    // The three registers' grids sort alike (triable): the account book's stands for them.
    void sortingKeepsPendingEditsAndValiderWritesExactlyThem()
    {
        const int colonne = 2; // the amount: edited, then sorted by
        const QString valeur = "77.25";
        Banc banc;
        remplir(banc);
        const QString tout = "SELECT * FROM compte ORDER BY id";
        QList<QStringList> attendu = rangees(banc, tout);
        attendu[499][colonne] = valeur;
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
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
            QVERIFY(modele->setData(modele->index(ligneDe500(), colonne), valeur));
            // Sorted both ways by a click on the header: the edit stays.
            QHeaderView *entetes = grille->horizontalHeader();
            const QPoint milieu(entetes->sectionViewportPosition(colonne)
                                    + entetes->sectionSize(colonne) / 2,
                                entetes->height() / 2);
            for (Qt::SortOrder ordre : { Qt::AscendingOrder, Qt::DescendingOrder }) {
                QTest::mouseClick(entetes->viewport(), Qt::LeftButton, {}, milieu);
                QVERIFY(entetes->sortIndicatorSection() == colonne
                        && entetes->sortIndicatorOrder() == ordre);
                QCOMPARE(modele->rowCount(), 1000);
                QCOMPARE(modele->index(ligneDe500(), colonne).data().toString(), valeur);
            }
            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(banc.pilote.boites.value(0).icone, QMessageBox::Information);
            d->reject();
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(rangees(banc, tout), attendu);
    }

    void pageShowsItsFirstScreenAtOnceThenEveryLineInOrder()
    {
        int lectures = 0;
        QDialog fenetre;
        fenetre.setFixedSize(450, 500);
        auto *page = new PageResultat(rapport(1000, &lectures), &fenetre);
        page->setGeometry(0, 0, 450, 460);
        // Nothing read before the page shows, then a screen's worth.
        QCOMPARE(lectures, 0);
        QSignalSpy complete(page, &PageResultat::pageComplete);
        fenetre.show();
        QVERIFY(lectures <= 2 && !page->estComplete());
        QVERIFY(complete.wait(10000));
        QCOMPARE(lectures, 11); // ten slices, and the empty one that ends them

        QString attendu = "Bilan de dépenses\n";
        for (int n = 1; n <= 1000; ++n)
            attendu += entree(n);
        QCOMPARE(page->toPlainText(), attendu + "Vous avez fait une économie de 0F");
        // Lines wrap at the page's width, even within a word.
        page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
        QApplication::processEvents();
        QVERIFY(!page->horizontalScrollBar()->isVisible());
        QVERIFY(page->document()->size().width() <= page->viewport()->width());
        // Printed and saved as PDF: every line in order on numbered A4 sheets, as many as
        // previewed.
        Pilote pilote;
        pilote.laisserProgression();
        int apercu = 0;
        pilote.dialogue([&](QDialog *d) {
            QVERIFY(qobject_cast<QPrintPreviewDialog *>(d));
            apercu = d->findChild<QPrintPreviewWidget *>()->pageCount();
            d->reject();
        });
        apercuImpression(&fenetre, page->contenu());
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("bilan.pdf");
        QVERIFY(ecrirePdf(&fenetre, *page->contenu(), chemin));
        QCOMPARE(pilote.anomalies(), QStringList());
        const int pages = infoPdf(chemin, "Pages").toInt();
        QVERIFY(pages > 10 && apercu == pages);
        QVERIFY(infoPdf(chemin, "Page size").contains("(A4)"));
        const QString texte = textePdf(chemin).simplified();
        dansLOrdre(texte,
                   { "Bilan de dépenses", "pour \"achat numéro 1\"",
                     "pour \"" + remarque.simplified() + "\"", "pour \"achat numéro 999\"",
                     "pour \"achat numéro 1000\"", "une économie de 0F" });
        QVERIFY(texte.contains(QString("Page 1 sur %1").arg(pages))
                && texte.contains(QString("Page %1 sur %1").arg(pages)));
    }

    void aFailedOrCancelledExportIsToldAndLeavesNothing()
    {
        QTemporaryDir dossier;
        // A folder that is a file: not even root can write in it.
        QVERIFY(ecrireFichier(dossier.filePath("rapports"), "x"));
        const QString chemin = dossier.filePath("rapports/bilan.pdf");
        Pilote pilote;
        pilote.boite();
        QVERIFY(!ecrirePdf(nullptr, *rapport(10), chemin));
        vuesCommencent(pilote,
                       { "W Exportation impossible: Le fichier « " + chemin
                         + " » n'a pas pu être enregistré :\n" });
        QVERIFY(pilote.boites.value(0).texte.section('\n', 1).size() > 3); // the reason
        QVERIFY(!QFile::exists(chemin));
        // Cancelled while it writes: no file either, not even a temporary one.
        QVERIFY(QFile::remove(dossier.filePath("rapports"))
                && QDir(dossier.path()).mkdir("rapports"));
        Progression::delai = 1000;
        pilote.dialogue([&](QDialog *d) {
            QVERIFY(qobject_cast<QProgressDialog *>(d));
            QTest::keyClick(d, Qt::Key_Escape); // Escape cancels, as the button does
        });
        QVERIFY(!ecrirePdf(nullptr, *rapport(10000, nullptr, 30), chemin));
        QCOMPARE(pilote.anomalies(), QStringList());
        QVERIFY(!QFile::exists(chemin));
        QCOMPARE(QDir(dossier.filePath("rapports")).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void csvHoldsWhatTheGridShowsInItsOrder()
    {
        QStandardItemModel modele(0, 4);
        modele.setHorizontalHeaderLabels({ "n°", "caché", "valeur", "commentaire; \"note\"" });
        const QStringList valeurs = { "100", "9.5", "20", "abc" },
                          commentaires = { "un", "deux; \"trois\"\nquatre", "", "été" };
        for (int n = 0; n < 4; ++n)
            modele.appendRow({ new QStandardItem(QString::number(n + 1)), new QStandardItem("x"),
                               new QStandardItem(valeurs.at(n)),
                               new QStandardItem(commentaires.at(n)) });
        QTableView grille;
        triable(&grille, &modele);
        grille.hideColumn(1);
        grille.horizontalHeader()->moveSection(3, 0);
        // Sorted by amount, largest first: numbers as numbers, texts after them.
        grille.horizontalHeader()->setSortIndicator(2, Qt::DescendingOrder);

        QBuffer sortie;
        sortie.open(QIODevice::WriteOnly);
        Progression progression(nullptr, "essai");
        QVERIFY(ecrireCsv(&grille, sortie, progression));
        const QByteArray octets = sortie.data();
        QVERIFY(octets.startsWith("\xEF\xBB\xBF") && octets.endsWith("\r\n"));
        QCOMPARE(octets.count("\r\n"), 5);
        const QList<QStringList> attendues = { { "commentaire; \"note\"", "n°", "valeur" },
                                               { "été", "4", "abc" },
                                               { "un", "1", "100" },
                                               { "", "3", "20" },
                                               { "deux; \"trois\"\nquatre", "2", "9.5" } };
        QCOMPARE(lireCsv(octets.mid(3)), attendues);
        // No exponent, no binary noise, dates in ISO order (times: the grids' test).
        QCOMPARE(texteCsv(6000000.0), "6000000");
        QCOMPARE(texteCsv(0.1 + 0.2), "0.3");
        QCOMPARE(texteCsv(2.2f), "2.2");
        QCOMPARE(texteCsv(QDate(2013, 3, 5)), "2013-03-05");
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
