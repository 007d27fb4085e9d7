#include "commun/grilles.h"
#include "support/banc.h"

#include <QDateTime>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>

namespace {

const QString titreAjout = "Ajouter une dépense ou un gain";
const QString titreSuppression = "Supprimer des données dans la base de mes comptes";
const QString titreGrille = "Affichage et modification de vos données";

const Boite ajoutReussi = attendue(QMessageBox::Information, "Ajout reussi avec succes",
                                   "L'enregistrement de votre requête a été effectué avec succes");

void commande(Banc &banc, const QString &bouton, std::function<void(QDialog *)> action = {})
{
    banc.lancer(panneauCompte, bouton, action);
}

// Entries written straight into the book: "(id, 'sujet', 'valeur', 'commentaire', 'date'), ...".
void remplir(Banc &banc, const QString &valeurs)
{
    QVERIFY(banc.fenetre().connexionCompte());
    if (!valeurs.isEmpty())
        banc.sql("INSERT INTO compte VALUES " + valeurs);
}

// The book as stored, one "id sujet valeur" per entry.
QString livre(Banc &banc)
{
    return banc
        .valeur("SELECT GROUP_CONCAT(CONCAT_WS(' ', id, sujet, valeur) ORDER BY id "
                "SEPARATOR ', ') FROM compte")
        .toString();
}

void ajouter(Banc &banc, int type, const QString &valeur)
{
    commande(banc, "Ajouter", [=, &banc](QDialog *d) {
        nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(type);
        nomme<QLineEdit>(d, "valeurEdit")->setText(valeur);
        banc.pilote.boite();
        appuyer(d, "Ajouter");
    });
}

// One line of the balance report's lists.
QString ligne(const QString &verbe, const QString &montant, const QString &commentaire,
              const QString &quand = "05 mars 2013 à 09h25min")
{
    return QString("=> Vous avez %1 %2F pour \"%3\" le %4\n\n")
        .arg(verbe, montant, commentaire, quand);
}

QString totaux(const QString &depenses, const QString &gains, const QString &du = "05 mars 2013",
               const QString &au = {})
{
    return QString("Toutes vos dépenses s'élèvent à %1F et \nTous vos gains s'élèvent à %2F\nà "
                   "partir de la date du %3 jusqu'au %4")
        .arg(depenses, gains, du, au.isEmpty() ? du : au);
}

const QString economie = "Vous avez fait une économie de %1F";
const QString deficit = "Vous n'avez pas fait d'économie.\nLe bilan de vos dépenses s'élève à %1F";

} // namespace

class TestCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addRefusesBadInputAndStoresWhatWasTyped()
    {
        Banc banc;
        const QString tropLong = "100000000000000000000";
        const QString commentaire = "l'été à 100% _x_\n<b>deux</b> lignes";
        const QDateTime avant = QDateTime::currentDateTime().addSecs(-1);
        commande(banc, "Ajouter", [&](QDialog *d) {
            auto *type = nomme<QComboBox>(d, "sujetCombo");
            auto *valeur = nomme<QLineEdit>(d, "valeurEdit");
            auto *texte = nomme<QTextEdit>(d, "commentaireEdit");
            QCOMPARE(elements(type), (QStringList { "Choisir", "Dépense", "Gain" }));
            auto essayer = [&](const QString &montant) {
                valeur->setText(montant);
                banc.pilote.boite();
                appuyer(d, "Ajouter");
            };
            // A bad amount too, but the missing type is what the user hears about.
            essayer("abc");
            type->setCurrentIndex(2);
            texte->setPlainText(commentaire);
            // One amount for each reason (the reasons are the typed-text rules' own test).
            for (const QString &montant : QStringList { "0", "abc", "", tropLong })
                essayer(montant); // the last is a number, but too long for the column
            QVERIFY(d->isVisible());
            QCOMPARE(valeur->text(), tropLong);
            QCOMPARE(type->currentIndex(), 2);
            QCOMPARE(texte->toPlainText(), commentaire);
            essayer("12.50");
            QVERIFY(!d->isVisible());
        });
        ajouter(banc, 1, "0.01");
        const QDateTime apres = QDateTime::currentDateTime().addSecs(1);

        const QString pasDeValeur = "C Erreur : Pas de valeur: Veuillez specifier la valeur "
                                    "numerique valide attribuée à votre élément\nLe montant ";
        const QString reussi = "I Ajout reussi avec succes: L'enregistrement de votre requête a "
                               "été effectué avec succes";
        vuesCommencent(banc.pilote,
                       { "C Erreur de choix: Veuillez specifier si il s'agit d'une dépense ou "
                         "d'un gain",
                         pasDeValeur + "doit être plus grand que 0", pasDeValeur + "n'est pas un",
                         pasDeValeur + "est vide", pasDeValeur + "s'écrit avec plus de 20", reussi,
                         reussi });
        for (const Boite &b : banc.pilote.boites)
            QCOMPARE(b.parent, titreAjout);

        // Amounts as typed; no comment is an empty text, not a missing one.
        QCOMPARE(livre(banc), "1 Gain 12.50, 2 Dépense 0.01");
        QCOMPARE(banc.lignes("SELECT commentaire FROM compte ORDER BY id"),
                 (QList<QVariantList> { { commentaire }, { "" } }));
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM compte WHERE date_insert BETWEEN ? AND ?",
                             { avant, apres })
                     .toInt(),
                 2);
    }

    void amountsAreCountedAsTypedAndRefusalsSayWhy()
    {
        Banc banc;
        ajouter(banc, 2, "12,50");
        ajouter(banc, 2, QString("1") + QChar(0xA0) + "000");
        ajouter(banc, 1, "2,5e3");
        QCOMPARE(livre(banc), "1 Gain 12.50, 2 Gain 1000, 3 Dépense 2500");
        QCOMPARE(banc.valeur("SELECT SUM(valeur) FROM compte WHERE sujet = 'Gain'").toDouble(),
                 1012.5);

        // A book whose key has no number left: the box says so, the dialog stays.
        banc.sql("INSERT INTO compte VALUES (65535, 'Gain', '1', '', '2013-03-05')");
        banc.pilote.effacer();
        commande(banc, "Ajouter", [&](QDialog *d) {
            nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
            nomme<QLineEdit>(d, "valeurEdit")->setText("5");
            banc.pilote.boite();
            appuyer(d, "Ajouter");
            QVERIFY(d->isVisible());
            appuyer(d, "Annuler");
        });
        vuesCommencent(banc.pilote,
                       { "W Erreur d'enregistrement: Une erreur est survenue lors de "
                         "l'enregistrement de votre requête.\nL'enregistrement n'a pas été "
                         "effectué\nLa table compte est pleine (65 535 entrées) : videz-la ou "
                         "supprimez des entrées" });
        QCOMPARE(banc.compte("compte"), 4);
    }

    void deleteOneEntryThenEmptyTheBook()
    {
        Banc banc;
        // The key's last number is in use: only emptying the book makes room again.
        remplir(banc,
                "(7, 'Gain', '150', '', '2013-03-05'), (8, 'Dépense', '30', '', '2013-03-06'), "
                "(65535, 'Gain', '12.50', '', '2013-03-07')");
        commande(banc, "Supprimer", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), titreSuppression);
            auto *liste = nomme<QComboBox>(d, "sujetListe");
            QCOMPARE(elements(liste),
                     (QStringList { "sujet n°7 - Il s'agit d'un gain - valeur = 150F",
                                    "sujet n°8 - Il s'agit d'une dépense - valeur = 30F",
                                    "sujet n°65535 - Il s'agit d'un gain - valeur = 12.50F" }));
            liste->setCurrentIndex(2);
            banc.pilote.boite(QMessageBox::No);
            appuyer(d, "Supprimer");
            QVERIFY(d->isVisible());
            QCOMPARE(banc.compte("compte"), 3);
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            appuyer(d, "Supprimer");
        });

        const QString question = "Q Confirmation: Voulez vous vraiment supprimer le sujet n°65535";
        vuesCommencent(banc.pilote,
                       { question, question,
                         "I Suppression reussie: La suppression a été effectuée avec succes" });
        QCOMPARE(banc.pilote.boites[1].parent + banc.pilote.boites[2].parent,
                 titreSuppression + "TABLORAN");
        QCOMPARE(banc.pilote.boites.first().boutons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(livre(banc), "7 Gain 150, 8 Dépense 30");

        // Emptying: No keeps everything, Yes empties; an empty book has nothing to delete.
        banc.pilote.effacer();
        banc.pilote.boite(QMessageBox::No);
        commande(banc, "Vider");
        QCOMPARE(banc.compte("compte"), 2);
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        commande(banc, "Vider");
        banc.pilote.boite();
        commande(banc, "Supprimer");
        const QString confirmation = "Q Confirmation: Voulez vous vraiment vider vos données ?";
        vuesCommencent(banc.pilote,
                       { confirmation, confirmation,
                         "I Vidage reussi: Vos données ont été vidé avec succes",
                         "I table vide: Vous n'avez pas données stockées" });
        QCOMPARE(banc.pilote.boites[2].parent + banc.pilote.boites[3].parent, "TABLORANTABLORAN");

        // The emptied book numbers its entries from 1 again.
        ajouter(banc, 1, "20");
        QCOMPARE(banc.pilote.boites.last(), ajoutReussi);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(livre(banc), "1 Dépense 20");
    }

    void gridWritesEditsTogetherOrDropsThem()
    {
        Banc banc;
        remplir(banc,
                "(1, 'Gain', '150', 'a', '2013-03-05'), (2, 'Dépense', '30', 'b', '2013-08-14'), "
                "(3, 'Dépense', '12', 'c', '2013-05-01')");
        commande(banc, "Afficher/Modifier", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), titreGrille);
            auto *modele = qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>()));
            QVERIFY(modele);
            auto cellule = [&](int l, int c) { return modele->index(l, c).data().toString(); };
            auto ecrire = [&](int l, int c, const QString &v) {
                modele->setData(modele->index(l, c), v);
            };
            // Newest first.
            QCOMPARE(cellule(0, 0) + cellule(1, 0) + cellule(2, 0), "231");

            // "Annuler" puts back every edited cell and writes nothing.
            ecrire(0, 2, "31");
            ecrire(2, 3, "autre");
            appuyer(d, "Annuler");
            QCOMPARE(cellule(0, 2) + cellule(2, 3), "30a");
            QVERIFY(!modele->isDirty());

            // An amount that is no number is refused before anything is sent.
            ecrire(0, 2, "99 F");
            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(banc.pilote.boites.value(0).texte.section('\n', 2),
                     "Le montant n'est pas un nombre : écrivez par exemple 1500 ou 12,50 (n°2)");
            banc.pilote.effacer();

            // One good edit and one the server refuses: neither is written, both stay pending.
            ecrire(0, 2, "99,50");
            ecrire(1, 1, "Cadeau");
            banc.pilote.boite();
            appuyer(d, "Valider");
            QVERIFY(d->isVisible());
            QCOMPARE(livre(banc), "1 Gain 150, 2 Dépense 30, 3 Dépense 12");
            QCOMPARE(cellule(0, 2) + cellule(1, 1), "99.50Cadeau");
            QVERIFY(modele->isDirty(modele->index(0, 2)));

            // Corrected, the whole lot goes through, amounts as typed.
            ecrire(1, 1, "Gain");
            banc.pilote.boite();
            appuyer(d, "Valider");
            QVERIFY(!modele->isDirty());
            ecrire(0, 2, "1"); // left pending when the window closes: not written
            appuyer(d, "Fermer la fenêtre");
        });
        QCOMPARE(livre(banc), "1 Gain 150, 2 Dépense 99.50, 3 Gain 12");
        // The refusal ends with the server's reason.
        vuesCommencent(banc.pilote,
                       { "W Modifications échouées: Modifications échouées\nUn ou "
                         "plusieurs des éléments ont été mal modifiées\n",
                         "I Modifications reussies: Modifications reussies" });
        QVERIFY(banc.pilote.boites[0].texte.section('\n', 2).contains("'sujet'"));
        QCOMPARE(banc.pilote.boites[0].parent + banc.pilote.boites[1].parent,
                 titreGrille + titreGrille);
    }

    void reportSumsUpTheBook_data()
    {
        for (const char *colonne : { "entrees", "depenses", "gains", "totaux", "verdict" })
            QTest::addColumn<QString>(colonne);
        const QString depense = "dépensé", gain = "gagné";

        // Rich text: the blanks around the missing dates read as one.
        QTest::newRow("empty book") << QString() << QString() << QString()
                                    << "Toutes vos dépenses s'élèvent à 0F et \nTous vos gains "
                                       "s'élèvent à 0F\nà partir de la date du jusqu'au "
                                    << economie.arg("0");
        QTest::newRow("decimals, deficit")
            << "(1, 'Dépense', '12.50', 'pain', '2013-08-14 10:00'), "
               "(2, 'Gain', '10.10', '', '2013-08-01 10:00'), "
               "(3, 'Dépense', '7.25', 'lait', '2014-01-02 10:00')"
            << ligne(depense, "12.50", "pain", "14 août 2013 à 10h00min")
                + ligne(depense, "7.25", "lait", "02 janvier 2014 à 10h00min")
            << ligne(gain, "10.10", "", "01 août 2013 à 10h00min")
            << totaux("19.75", "10.1", "01 août 2013", "02 janvier 2014") << deficit.arg("9.65");
        // Qt alone would write these sums 0.30000000000000004 and 6e+06.
        const QString mars = "', '', '2013-03-05 09:25')";
        QTest::newRow("sum of 0.1 and 0.2")
            << "(1, 'Gain', '0.1" + mars + ", (2, 'Gain', '0.2" + mars << QString()
            << ligne(gain, "0.1", "") + ligne(gain, "0.2", "") << totaux("0", "0.3")
            << economie.arg("0.3");
        QTest::newRow("six million")
            << "(1, 'Dépense', '6000000" + mars << ligne(depense, "6000000", "") << QString()
            << totaux("6000000", "0") << deficit.arg("6000000");
        // Markup in comments is shown as typed; amounts the grid let through
        // that are not numbers count as the server reads them.
        QTest::newRow("markup and odd amounts")
            << "(1, 'Dépense', 'abc', 'a < b & <b>c</b>\\nsur deux lignes', '2013-03-05 09:25'), "
               "(2, 'Dépense', '12,5', '<br/>', '2013-03-05 09:25'), "
               "(3, 'Gain', '5', '&nbsp;', '2013-03-05 09:25')"
            << ligne(depense, "abc", "a < b & <b>c</b>\nsur deux lignes")
                + ligne(depense, "12,5", "<br/>")
            << ligne(gain, "5", "&nbsp;") << totaux("12", "5") << deficit.arg("7");
    }

    void reportSumsUpTheBook()
    {
        QFETCH(QString, entrees);
        Banc banc;
        remplir(banc, entrees);
        commande(banc, "Bilan", [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Bilan de vos gains et dépenses");
            QFETCH(QString, depenses);
            QFETCH(QString, gains);
            QFETCH(QString, totaux);
            QFETCH(QString, verdict);
            // The entries are shown exactly as stored; each list's last line
            // break ends it.
            QCOMPARE(textePage(d),
                     "Bilan de dépenses et/ou de gains\nVos dépenses\n" + depenses + "Vos Gains\n"
                         + gains + "Bilan\n" + totaux + "\n" + verdict);
            appuyer(d, "Fermer la page");
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestCompte)
#include "tst_compte.moc"
