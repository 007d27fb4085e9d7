#include "commun/grilles.h"
#include "support/banc.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QDateEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QLineSeries>
#include <QSpinBox>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>

namespace {

// Entries written straight into the book: "(id, 'sujet', 'valeur', 'commentaire', 'date'), ...".
void remplir(Banc &banc, const QString &valeurs)
{
    QVERIFY(banc.fenetre().connexionCompte());
    if (!valeurs.isEmpty())
        banc.sql("INSERT INTO compte VALUES " + valeurs);
}

// The book as stored, one "id sujet valeur commentaire" per entry.
QString livre(Banc &banc)
{
    return banc
        .valeur("SELECT GROUP_CONCAT(CONCAT_WS(' ', id, sujet, valeur, commentaire) ORDER BY id "
                "SEPARATOR ', ') FROM compte")
        .toString();
}

// Answers the save dialog with a file in `dossier`, after checking the name it proposes.
void enregistrerSous(Banc &banc, const QString &dossier, const QString &propose)
{
    banc.pilote.dialogue([=](QDialog *d) {
        auto *dialogue = qobject_cast<QFileDialog *>(d);
        QCOMPARE(QFileInfo(dialogue->selectedFiles().value(0)).fileName(), propose);
        dialogue->selectFile(dossier + '/' + propose);
        d->accept();
    });
}

// Answers the next file dialog with a sample statement.
void releve(Banc &banc, const QString &nom)
{
    banc.pilote.dialogue([=](QDialog *d) {
        auto *choix = qobject_cast<QFileDialog *>(d);
        QVERIFY(choix);
        choix->setDirectory(TABLORAN_DONNEES);
        choix->selectFile(nom);
        d->accept();
    });
}

} // namespace

class TestCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addDeleteAndEmpty()
    {
        Banc banc;
        banc.lancer(panneauCompte, "Ajouter", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Ajouter une dépense ou un gain");
            nomme<QTextEdit>(d, "commentaireEdit")->setPlainText("pain");
            // No kind, then no amount: the dialog stays open; then stored, it closes.
            for (const auto &[type, montant] :
                 { std::pair(0, "abc"), { 2, "0" }, { 2, "12,50" } }) {
                QVERIFY(d->isVisible());
                nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(type);
                nomme<QLineEdit>(d, "valeurEdit")->setText(montant);
                banc.pilote.boite();
                appuyer(d, "Ajouter");
            }
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(livre(banc), "1 Gain 12.50 pain");
        remplir(banc, "(123, 'Dépense', '30', '', '2013-03-06')");
        banc.lancer(panneauCompte, "Supprimer", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Supprimer des données dans la base de mes comptes");
            auto *liste = nomme<QComboBox>(d, "sujetListe");
            QCOMPARE(elements(liste),
                     (QStringList { "sujet n°1 - Il s'agit d'un gain - valeur = 12.50F",
                                    "sujet n°123 - Il s'agit d'une dépense - valeur = 30F" }));
            liste->setCurrentIndex(1);
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            appuyer(d, "Supprimer");
        });
        QCOMPARE(livre(banc), "1 Gain 12.50 pain");
        // Emptying: No keeps everything, Yes empties; an empty book has nothing to delete.
        for (auto reponse : { QMessageBox::No, QMessageBox::Yes, QMessageBox::Ok })
            banc.pilote.boite(reponse);
        banc.lancer(panneauCompte, "Vider");
        QCOMPARE(banc.compte("compte"), 1);
        banc.lancer(panneauCompte, "Vider");
        banc.pilote.boite();
        banc.lancer(panneauCompte, "Supprimer");
        const QString confirmation = "Q Confirmation: Voulez vous vraiment vider vos données ?";
        vuesCommencent(
            banc.pilote,
            { "C Erreur de choix: ", "C Erreur : Pas de valeur: ", "I Ajout reussi avec succes: ",
              "Q Confirmation: Voulez vous vraiment supprimer le sujet n°123",
              "I Suppression reussie: ", confirmation, confirmation,
              "I Vidage reussi: ", "I table vide: " });
        QCOMPARE(banc.compte("compte"), 0);
    }

    void gridWritesEditsTogetherOrDropsThem()
    {
        Banc banc;
        remplir(banc,
                "(1, 'Gain', '150', 'a', '2013-03-05'), (2, 'Dépense', '30', 'b', '2013-08-14')");
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>()));
            // "Annuler" puts back every edited cell; a refused edit stays pending.
            m->setData(m->index(0, 2), "31");
            appuyer(d, "Annuler");
            QCOMPARE(m->index(0, 2).data().toString(), "30");
            m->setData(m->index(0, 2), "99,50");
            m->setData(m->index(1, 1), "Cadeau");
            banc.pilote.boite();
            appuyer(d, "Valider");
            m->setData(m->index(1, 1), "Dépense");
            banc.pilote.boite();
            appuyer(d, "Valider");
            m->setData(m->index(0, 2), "1"); // left pending when the window closes: not written
            appuyer(d, "Fermer la fenêtre");
        });
        QCOMPARE(livre(banc), "1 Dépense 150 a, 2 Dépense 99.50 b");
        vuesCommencent(banc.pilote, { "W Modifications échouées: ", "I Modifications reussies: " });
    }

    void statementImportedFromTheGrid()
    {
        Banc banc;
        remplir(banc, "");
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            // Looked at, then cancelled: nothing is written.
            releve(banc, "releve-titre.csv");
            banc.pilote.dialogue([&](QDialog *i) {
                QCOMPARE(i->windowTitle(), "Importer un relevé bancaire");
                appuyer(i, "Annuler");
            });
            appuyer(d, "Importer un relevé");
            QCOMPARE(banc.compte("compte"), 0);
            releve(banc, "releve-titre.csv");
            banc.pilote.dialogue([&](QDialog *i) {
                // The title block, the header, three entries and the totals refused.
                auto *apercu = nomme<QTableView>(i, "apercu")->model();
                QCOMPARE(nomme<QSpinBox>(i, "entete")->value(), 5);
                QCOMPARE(apercu->rowCount(), 8);
                const auto lecture = [&](int ligne) {
                    return apercu->headerData(ligne, Qt::Vertical).toString() + " "
                        + apercu->index(ligne, apercu->columnCount() - 1).data().toString();
                };
                QCOMPARE(lecture(0), "1 ignorée (avant l'en-tête)");
                QCOMPARE(lecture(3), "5 en-tête");
                QCOMPARE(lecture(4), "6 Dépense de 45.00 le 14/03/2026");
                // Another separator redraws the preview: the amounts cut at their comma.
                nomme<QComboBox>(i, "separateur")->setCurrentIndex(1);
                QCOMPARE(apercu->columnCount(), 4);
                nomme<QComboBox>(i, "separateur")->setCurrentIndex(0);
                QCOMPARE(apercu->columnCount(), 6);
                banc.pilote.boite(QMessageBox::Yes);
                banc.pilote.boite();
                appuyer(i, "Importer");
            });
            appuyer(d, "Importer un relevé");
            QCOMPARE(modeleDe(d->findChild<QTableView *>())->rowCount(), 3);
            appuyer(d, "Fermer la fenêtre");
        });
        QCOMPARE(livre(banc),
                 "1 Dépense 45.00 CB STATION SERVICE, 2 Gain 310.50 REMISE CHEQUES, 3 Dépense "
                 "29.99 PRLV TELEPHONE");
        QCOMPARE(banc.pilote.boites.size(), 2);
        QCOMPARE(banc.pilote.boites.at(0).texte,
                 "Ces lignes ne peuvent pas être lues :\nLigne 9 : La date « Total des "
                 "opérations » n'est pas une date au format dd/MM/yyyy\n\nImporter les 3 autres "
                 "lignes ?");
        QCOMPARE(banc.pilote.boites.at(1),
                 attendue(QMessageBox::Information, "Import terminé",
                          "Entrées ajoutées : 3\nLignes déjà présentes, ignorées : 0\nLignes "
                          "refusées : 1"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void reportSumsUpTheBook()
    {
        Banc banc;
        // Comments are shown exactly as stored, markup and line breaks included;
        // a deficit is told without its minus sign.
        remplir(banc,
                "(1, 'Dépense', '12.50', 'a < b & <b>c</b>\\nsur deux lignes', '2013-03-05 "
                "09:25'), (2, 'Gain', '5', '&nbsp;', '2013-08-14 10:00')");
        banc.lancer(panneauCompte, "Bilan", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Bilan de vos gains et dépenses");
            QCOMPARE(textePage(d),
                     "Bilan de dépenses et/ou de gains\nVos dépenses\n=> Vous avez dépensé 12.50F "
                     "pour \"a < b & <b>c</b>\nsur deux lignes\" le 05 mars 2013 à 09h25min\n\nVos "
                     "Gains\n=> Vous avez gagné 5F pour \"&nbsp;\" le 14 août 2013 à 10h00min\n\n"
                     "Bilan\nToutes vos dépenses s'élèvent à 12.5F et \nTous vos gains s'élèvent "
                     "à 5F\nà partir de la date du 05 mars 2013 jusqu'au 14 août 2013\nVous "
                     "n'avez pas fait d'économie.\nLe bilan de vos dépenses s'élève à 7.5F");
            appuyer(d, "Fermer la page");
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void reportOfLastMonthAndItsChart()
    {
        Banc banc;
        const QDate aujourdhui = QDate::currentDate();
        const QDate mois = aujourdhui.addDays(1 - aujourdhui.day()).addMonths(-1);
        const QString m = mois.toString("yyyy-MM-");
        remplir(banc,
                "(1, 'Gain', '100', 'paie', '" + m + "01 00:00'), (2, 'Dépense', '30', 'loyer', '"
                    + m + "05 09:00'), (3, 'Dépense', '5', 'pain', '"
                    + aujourdhui.addDays(1 - aujourdhui.day()).toString("yyyy-MM-dd") + "')");
        QTemporaryDir dossier;
        banc.lancer(panneauCompte, "Bilan", [&](QDialog *d) {
            auto *periode = nomme<QComboBox>(d, "periode");
            QCOMPARE(elements(periode).join('|'),
                     "Tout|Ce mois-ci|Le mois dernier|Cette année|"
                     "L'année dernière|Du … au …");
            QVERIFY(textePage(d).contains("Toutes vos dépenses s'élèvent à 35F"));
            periode->setCurrentIndex(2);
            const QString mot = QLocale(QLocale::French).toString(mois, "MMMM yyyy");
            QVERIFY(textePage(d).startsWith("Bilan d"));
            dansLOrdre(textePage(d),
                       { mot, "loyer", "paie", "s'élèvent à 30F", "à 100F", "économie de 70F" });
            QVERIFY(!textePage(d).contains("pain") && !nomme<QDateEdit>(d, "du")->isVisible());
            banc.pilote.dialogue([&](QDialog *g) {
                QCOMPARE(g->windowTitle(), "Évolution de vos dépenses et gains");
                const auto series = g->findChild<QChartView *>()->chart()->series();
                const auto barres = qobject_cast<QBarSeries *>(series.at(0))->barSets();
                const auto solde = qobject_cast<QLineSeries *>(series.at(1))->points();
                // One bar per day: the month's first day gained 100, its fifth spent 30.
                QCOMPARE(barres.at(0)->count(), mois.daysInMonth());
                QCOMPARE(QList<qreal>({ barres.at(0)->at(0), barres.at(1)->at(4),
                                        barres.at(1)->sum(), solde.at(3).y(), solde.last().y() }),
                         QList<qreal>({ 100, 30, 30, 100, 70 }));
                for (const QString extension : { "png", "pdf" }) {
                    enregistrerSous(banc, dossier.path(),
                                    "graphique-" + m.left(7) + "." + extension);
                    appuyer(g, extension == "png" ? "Exporter en image" : "Exporter en PDF");
                    QVERIFY(QFileInfo(dossier.filePath("graphique-" + m.left(7) + "." + extension))
                                .size()
                            > 1000);
                }
                appuyer(g, "Fermer la page");
            });
            appuyer(d, "Graphique");
            enregistrerSous(banc, dossier.path(), "bilan-" + m.left(7) + ".pdf");
            appuyer(d, "Exporter en PDF");
            // Back to everything, then days of one's own: the date fields come with them.
            periode->setCurrentIndex(0);
            QVERIFY(textePage(d).contains("Toutes vos dépenses s'élèvent à 35F"));
            periode->setCurrentIndex(5);
            nomme<QDateEdit>(d, "du")->setDate(mois.addDays(4));
            QVERIFY(nomme<QDateEdit>(d, "au")->isVisible());
            QVERIFY(textePage(d).contains("s'élèvent à 35F et \nTous vos gains s'élèvent à 0F"));
            appuyer(d, "Fermer la page");
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files).size(), 3);
    }
};

QTEST_MAIN(TestCompte)
#include "tst_compte.moc"
