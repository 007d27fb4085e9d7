// Result pages, their print and PDF, and the grids' sort and CSV, without a
// database: the sections' own tests check them against stored rows.

#include "commun/exports.h"
#include "commun/grilles.h"
#include "commun/pages.h"
#include "commun/progression.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString remarquable = "il a dit \"oui\" <b>gras</b>; été\nsuite";

QString entree(int n)
{
    return QString("=> Vous avez dépensé %1.50F pour \"%2\" le 05 mars 2013 à 09h25min\n\n")
        .arg(n)
        .arg(n == 500 ? remarquable : QString("achat numéro %1").arg(n));
}

// A report of `lignes` entries, read 100 at a time, between a heading and a
// closing line; `lectures` counts the slices read.
std::shared_ptr<Contenu> rapport(int lignes, int *lectures = nullptr, int pause = 0)
{
    auto contenu = std::make_shared<Contenu>();
    contenu->ajouter(blocStyle("color:green;font-size:20px;", "Bilan de dépenses"));
    auto suivante = std::make_shared<int>(1);
    contenu->ajouter([=] {
        if (lectures)
            ++*lectures;
        if (pause)
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

QString texteAttendu(int lignes)
{
    QString texte = "Bilan de dépenses\n";
    for (int n = 1; n <= lignes; ++n)
        texte += entree(n);
    // The entries' last line break ends their block.
    return texte + "Vous avez fait une économie de 0F";
}

} // namespace

class TestPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageShowsItsFirstScreenAtOnceThenEveryLineInOrder()
    {
        int lectures = 0;
        QDialog fenetre;
        fenetre.setFixedSize(450, 500);
        auto *page = new PageResultat(rapport(1000, &lectures), &fenetre);
        page->setGeometry(0, 0, 450, 460);
        // Nothing is read before the page is shown, then only a screen's worth.
        QCOMPARE(lectures, 0);
        QSignalSpy complete(page, &PageResultat::pageComplete);
        fenetre.show();
        QVERIFY(lectures <= 2);
        QVERIFY(!page->estComplete());
        QVERIFY(complete.wait(10000));
        QCOMPARE(lectures, 11); // ten slices, and the empty one that ends them

        QCOMPARE(page->toPlainText(), texteAttendu(1000));
        // Lines wrap at the page's width.
        page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
        QApplication::processEvents();
        QVERIFY(!page->horizontalScrollBar()->isVisible());
        QVERIFY(page->document()->size().width() <= page->viewport()->width());
    }

    // Entries followed by a blank line keep exactly one between them where a
    // slice ends and the next begins; a word longer than the page still wraps.
    void slicesReadAsOnePiece()
    {
        const QStringList tranches = { "A<br/><br/>B<br/><br/>",
                                       "C<br/><br/>D<br/>" + QString(400, 'x') };
        auto enTranches = std::make_shared<Contenu>();
        auto reste = std::make_shared<QStringList>(tranches);
        enTranches->ajouter([reste] { return reste->isEmpty() ? QString() : reste->takeFirst(); });
        auto dUnBloc = std::make_shared<Contenu>();
        dUnBloc->ajouter(tranches.join(QString()));
        QDialog fenetre;
        auto *page = new PageResultat(enTranches, &fenetre);
        auto *modele = new PageResultat(dUnBloc, &fenetre);
        page->setGeometry(0, 0, 400, 420);
        fenetre.show();
        QTRY_VERIFY(page->estComplete() && modele->estComplete());
        QCOMPARE(page->toPlainText(), modele->toPlainText());
        QVERIFY(page->document()->size().width() <= page->viewport()->width());
    }

    void aFailedOrCancelledExportIsToldAndLeavesNothing()
    {
        QTemporaryDir dossier;
        // A folder that is a file: no one can write in it, not even root.
        QFile pasUnDossier(dossier.filePath("rapports"));
        QVERIFY(pasUnDossier.open(QIODevice::WriteOnly));
        pasUnDossier.close();
        const QString chemin = dossier.filePath("rapports/bilan.pdf");
        Pilote pilote;
        pilote.boite();
        QVERIFY(!ecrirePdf(nullptr, *rapport(10), chemin));
        vuesCommencent(pilote,
                       { QString("W Exportation impossible: Le fichier « %1 » n'a pas pu "
                                 "être enregistré :\n")
                             .arg(chemin) });
        QVERIFY(pilote.boites.value(0).texte.section('\n', 1).size() > 3); // the reason
        QVERIFY(!QFile::exists(chemin));

        // Cancelled while it writes: no file either, not even a temporary one.
        QVERIFY(pasUnDossier.remove() && QDir(dossier.path()).mkdir("rapports"));
        Progression::delai = 1000;
        auto contenu = rapport(10000, nullptr, 30);
        QString etape;
        pilote.dialogue([&](QDialog *d) {
            auto *progression = qobject_cast<QProgressDialog *>(d);
            QVERIFY(progression);
            etape = progression->labelText();
            // Escape cancels, as the button does.
            QTest::keyClick(progression, Qt::Key_Escape);
        });
        QVERIFY(!ecrirePdf(nullptr, *contenu, chemin));
        QCOMPARE(pilote.anomalies(), QStringList());
        QVERIFY(!etape.isEmpty());
        QVERIFY(!QFile::exists(chemin));
        QCOMPARE(QDir(dossier.filePath("rapports")).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void csvValuesAreWrittenAsTheyRead()
    {
        QCOMPARE(texteCsv(6000000.0), "6000000");
        QCOMPARE(texteCsv(0.1 + 0.2), "0.3");
        QCOMPARE(texteCsv(2.2f), "2.2");
        QCOMPARE(texteCsv("12,50"), "12,50");
        QCOMPARE(texteCsv(QDateTime(QDate(2013, 3, 5), QTime(9, 25, 7))), "2013-03-05 09:25:07");
        QCOMPARE(texteCsv(QDate(2013, 3, 5)), "2013-03-05");
        QCOMPARE(texteCsv(QVariant(QMetaType(QMetaType::QString))), QString());
    }

    void csvHoldsWhatTheGridShowsInItsOrder()
    {
        QStandardItemModel modele(0, 4);
        modele.setHorizontalHeaderLabels({ "n°", "caché", "valeur", "commentaire; \"note\"" });
        const QStringList commentaires = { "un", "deux; \"trois\"\nquatre", "", "été" };
        const QStringList valeurs = { "100", "9.5", "20", "abc" };
        for (int n = 0; n < 4; ++n) {
            modele.appendRow({ new QStandardItem(QString::number(n + 1)), new QStandardItem("x"),
                               new QStandardItem(valeurs.at(n)),
                               new QStandardItem(commentaires.at(n)) });
        }
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
        QVERIFY(octets.startsWith("\xEF\xBB\xBF"));
        QVERIFY(octets.endsWith("\r\n"));
        QCOMPARE(octets.count("\r\n"), 5);
        const QList<QStringList> lignes = lireCsv(octets.mid(3));
        const QList<QStringList> attendues = {
            { "commentaire; \"note\"", "n°", "valeur" },
            { "été", "4", "abc" },
            { "un", "1", "100" },
            { "", "3", "20" },
            { "deux; \"trois\"\nquatre", "2", "9.5" },
        };
        QCOMPARE(lignes, attendues);
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
