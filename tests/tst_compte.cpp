#include "support/banc.h"

#include <QDateTime>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>
#include <QTextEdit>

namespace {

const QString panneau = QStringLiteral("Faites le bilan de vos dépenses");
const QString titreAjout = QStringLiteral("Ajouter une dépense ou un gain");
const QString titreSuppression =
    QStringLiteral("Supprimer des données dans la base de mes comptes");
const QString titreGrille = QStringLiteral("Affichage et modification de vos données");

const Boite erreurDeChoix =
    attendue(QMessageBox::Critical, QStringLiteral("Erreur de choix"),
             QStringLiteral("Veuillez specifier si il s'agit d'une dépense ou d'un gain"));
const Boite pasDeValeur = attendue(
    QMessageBox::Critical, QStringLiteral("Erreur : Pas de valeur"),
    QStringLiteral("Veuillez specifier la valeur numerique valide attribuée à votre élément"));
const Boite ajoutReussi =
    attendue(QMessageBox::Information, QStringLiteral("Ajout reussi avec succes"),
             QStringLiteral("L'enregistrement de votre requête a été effectué avec succes"));
const Boite modificationsReussies =
    attendue(QMessageBox::Information, QStringLiteral("Modifications reussies"),
             QStringLiteral("Modifications reussies"));

// An entry written straight into the book.
void ecrire(Banc &banc, int id, const QString &sujet, const QString &valeur,
            const QString &commentaire, const QString &date)
{
    banc.sql(QStringLiteral("INSERT INTO compte (id, sujet, valeur, commentaire, date_insert) "
                            "VALUES (?, ?, ?, ?, ?)"),
             { id, sujet, valeur, commentaire, date });
}

QStringList parents(const QList<Boite> &boites)
{
    QStringList noms;
    for (const Boite &b : boites)
        noms << b.parent;
    return noms;
}

// The balance report as a person reads it.
struct Rapport
{
    QString depenses;
    QString gains;
    QString totaux;
    QString verdict;
    bool listesEnTexteBrut = false;
};

Rapport lireBilan(Banc &banc)
{
    Rapport rapport;
    banc.pilote.dialogue([&](QDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Bilan de vos gains et dépenses"));
        QCOMPARE(d->size(), QSize(450, 500));
        auto *zone = d->findChild<QScrollArea *>();
        QVERIFY(zone && zone->widget() && zone->widget()->layout());
        QCOMPARE(zone->geometry(), QRect(0, 0, 450, 460));
        QLayout *page = zone->widget()->layout();
        auto label = [page](int i) { return qobject_cast<QLabel *>(page->itemAt(i)->widget()); };
        QCOMPARE(label(1)->text(), QStringLiteral("Vos dépenses"));
        QCOMPARE(label(3)->text(), QStringLiteral("Vos Gains"));
        QCOMPARE(label(5)->text(), QStringLiteral("Bilan"));
        rapport.depenses = label(2)->text();
        rapport.gains = label(4)->text();
        rapport.listesEnTexteBrut =
            label(2)->textFormat() == Qt::PlainText && label(4)->textFormat() == Qt::PlainText;
        rapport.totaux = texteVisible(label(6)->text());
        rapport.verdict = texteVisible(label(7)->text());
        Banc::clic(boutonTexte(d, QStringLiteral("Fermer la page")));
    });
    Banc::clic(banc.bouton(panneau, QStringLiteral("Bilan")));
    return rapport;
}

QString totaux(const QString &depenses, const QString &gains, const QString &du, const QString &au)
{
    return QStringLiteral("Toutes vos dépenses s'élèvent à %1F et \nTous vos gains s'élèvent à "
                          "%2F\nà partir de la date du %3 jusqu'au %4")
        .arg(depenses, gains, du, au);
}

QString economie(const QString &montant)
{
    return QStringLiteral("Vous avez fait une économie de ") + montant + QLatin1Char('F');
}

QString deficit(const QString &montant)
{
    return QStringLiteral("Vous n'avez pas fait d'économie.\nLe bilan de vos dépenses s'élève à ")
        + montant + QLatin1Char('F');
}

} // namespace

class TestCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addRefusesTypeFirstThenBadAmounts()
    {
        Banc banc;
        const QStringList refusees = { "0", "-5", "abc", "", "nan", "inf", "1e999" };
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), titreAjout);
            QCOMPARE(d->size(), QSize(290, 200));
            auto *type = enfantA<QComboBox>(d, QRect(20, 35, 120, 30));
            auto *valeur = enfantA<QLineEdit>(d, QRect(150, 35, 120, 30));
            QVERIFY(type && valeur && enfantA<QTextEdit>(d, QRect(20, 70, 250, 90)));
            QCOMPARE(elements(type), (QStringList { "Choisir", "Dépense", "Gain" }));
            QCOMPARE(type->currentIndex(), 0);
            Button *ajouter = boutonTexte(d, QStringLiteral("Ajouter"));

            // A bad amount too, but the missing type is what the user hears about.
            valeur->setText(QStringLiteral("abc"));
            banc.pilote.boite();
            Banc::clic(ajouter);
            valeur->setText(QStringLiteral("30"));
            banc.pilote.boite();
            Banc::clic(ajouter);

            type->setCurrentIndex(2);
            for (const QString &texte : refusees) {
                valeur->setText(texte);
                banc.pilote.boite();
                Banc::clic(ajouter);
                QVERIFY(d->isVisible());
                QCOMPARE(valeur->text(), texte);
                QCOMPARE(type->currentIndex(), 2);
            }
            valeur->setText(QStringLiteral("0.01"));
            banc.pilote.boite();
            Banc::clic(ajouter);
            QVERIFY(!d->isVisible());
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));

        QList<Boite> attendues = { erreurDeChoix, erreurDeChoix };
        for (int i = 0; i < refusees.size(); ++i)
            attendues << pasDeValeur;
        attendues << ajoutReussi;
        QCOMPARE(banc.pilote.boites, attendues);
        QCOMPARE(parents(banc.pilote.boites), QStringList(attendues.size(), titreAjout));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.lignes(QStringLiteral("SELECT sujet, valeur FROM compte")),
                 (QList<QVariantList> { { "Gain", "0.01" } }));
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void addStoresTheEntryAsTyped()
    {
        Banc banc;
        auto ajouter = [&](int type, const QString &valeur, const QString &commentaire) {
            banc.pilote.dialogue([=, &banc](QDialog *d) {
                enfantA<QComboBox>(d, QRect(20, 35, 120, 30))->setCurrentIndex(type);
                enfantA<QLineEdit>(d, QRect(150, 35, 120, 30))->setText(valeur);
                enfantA<QTextEdit>(d, QRect(20, 70, 250, 90))->setPlainText(commentaire);
                banc.pilote.boite();
                Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
            });
            Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        };
        const QDateTime avant = QDateTime::currentDateTime().addSecs(-1);
        ajouter(2, QStringLiteral("12.50"), QStringLiteral("vente de mars\n<b>deuxième</b> ligne"));
        ajouter(1, QStringLiteral("30"), QString());
        const QDateTime apres = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(banc.pilote.boites, (QList<Boite> { ajoutReussi, ajoutReussi }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        const QList<QVariantList> lignes =
            banc.lignes(QStringLiteral("SELECT sujet, valeur, commentaire, commentaire IS NULL, "
                                       "date_insert FROM compte ORDER BY id"));
        QCOMPARE(lignes.size(), 2);
        QCOMPARE(lignes[0].mid(0, 4),
                 (QVariantList { "Gain", "12.50", "vente de mars\n<b>deuxième</b> ligne", 0 }));
        // No comment is an empty text, not a missing one.
        QCOMPARE(lignes[1].mid(0, 4), (QVariantList { "Dépense", "30", "", 0 }));
        for (const QVariantList &ligne : lignes) {
            const QDateTime date = ligne[4].toDateTime();
            QVERIFY2(date >= avant && date <= apres, qPrintable(date.toString(Qt::ISODate)));
        }

        // "Annuler" writes nothing.
        banc.pilote.dialogue([](QDialog *d) {
            enfantA<QComboBox>(d, QRect(20, 35, 120, 30))->setCurrentIndex(1);
            enfantA<QLineEdit>(d, QRect(150, 35, 120, 30))->setText(QStringLiteral("5"));
            Banc::clic(boutonTexte(d, QStringLiteral("Annuler")));
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        QCOMPARE(banc.compte(QStringLiteral("compte")), 2);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void addRefusedByTheServerKeepsTheInput()
    {
        Banc banc;
        banc.pilote.dialogue([&](QDialog *d) {
            enfantA<QComboBox>(d, QRect(20, 35, 120, 30))->setCurrentIndex(1);
            auto *valeur = enfantA<QLineEdit>(d, QRect(150, 35, 120, 30));
            auto *commentaire = enfantA<QTextEdit>(d, QRect(20, 70, 250, 90));
            // Longer than the column holds: the server refuses it.
            valeur->setText(QStringLiteral("100000000000000000000"));
            commentaire->setPlainText(QStringLiteral("facture"));
            banc.pilote.boite();
            Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
            QVERIFY(d->isVisible());
            QCOMPARE(valeur->text(), QStringLiteral("100000000000000000000"));
            QCOMPARE(commentaire->toPlainText(), QStringLiteral("facture"));

            valeur->setText(QStringLiteral("1000"));
            banc.pilote.boite();
            Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { attendue(QMessageBox::Warning,
                                          QStringLiteral("Erreur d'enregistrement"),
                                          QStringLiteral("Une erreur est survenue lors de "
                                                         "l'enregistrement de votre requête.\n"
                                                         "L'enregistrement n'a pas été effectué")),
                                 ajoutReussi }));
        QCOMPARE(banc.pilote.boites.first().parent, titreAjout);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.lignes(QStringLiteral("SELECT valeur, commentaire FROM compte")),
                 (QList<QVariantList> { { "1000", "facture" } }));
    }

    void deleteListsEntriesAndDeletesTheChosenOne()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        ecrire(banc, 7, QStringLiteral("Gain"), QStringLiteral("150"), QString(),
               "2013-03-05 09:25:00");
        ecrire(banc, 8, QStringLiteral("Dépense"), QStringLiteral("30"), QString(),
               "2013-03-06 09:25:00");
        ecrire(banc, 123, QStringLiteral("Gain"), QStringLiteral("12.50"), QString(),
               "2013-03-07 09:25:00");

        bool ouvertApresNon = false;
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), titreSuppression);
            QCOMPARE(d->size(), QSize(300, 130));
            auto *liste = enfantA<QComboBox>(d, QRect(10, 20, 280, 30));
            QVERIFY(liste);
            QCOMPARE(elements(liste),
                     (QStringList { "sujet n°7 - Il s'agit d'un gain - valeur = 150F",
                                    "sujet n°8 - Il s'agit d'une dépense - valeur = 30F",
                                    "sujet n°123 - Il s'agit d'un gain - valeur = 12.50F" }));
            QCOMPARE(liste->currentIndex(), 0);
            liste->setCurrentIndex(2);
            banc.pilote.boite(QMessageBox::No);
            Banc::clic(boutonTexte(d, QStringLiteral("Supprimer")));
            ouvertApresNon = d->isVisible();
            QCOMPARE(banc.compte(QStringLiteral("compte")), 3);
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            Banc::clic(boutonTexte(d, QStringLiteral("Supprimer")));
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Supprimer")));

        QVERIFY(ouvertApresNon);
        const Boite question =
            attendue(QMessageBox::Question, QStringLiteral("Confirmation"),
                     QStringLiteral("Voulez vous vraiment supprimer le sujet n°123"));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     question, question,
                     attendue(QMessageBox::Information, QStringLiteral("Suppression reussie"),
                              QStringLiteral("La suppression a été effectuée avec succes")) }));
        QCOMPARE(parents(banc.pilote.boites),
                 (QStringList { titreSuppression, titreSuppression, QStringLiteral("TABLORAN") }));
        QCOMPARE(banc.pilote.boites.first().boutons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.lignes(QStringLiteral("SELECT id FROM compte ORDER BY id")),
                 (QList<QVariantList> { { 7 }, { 8 } }));

        // "Annuler" deletes nothing.
        banc.pilote.effacer();
        banc.pilote.dialogue(
            [](QDialog *d) { Banc::clic(boutonTexte(d, QStringLiteral("Annuler"))); });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Supprimer")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.compte(QStringLiteral("compte")), 2);
    }

    void emptyingTheBook()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        ecrire(banc, 1, QStringLiteral("Gain"), QStringLiteral("150"), QString(),
               "2013-03-05 09:25:00");
        // The key's last number is used: only emptying the book can make room again.
        ecrire(banc, 65535, QStringLiteral("Dépense"), QStringLiteral("30"), QString(),
               "2013-03-06 09:25:00");
        const Boite question = attendue(QMessageBox::Question, QStringLiteral("Confirmation"),
                                        QStringLiteral("Voulez vous vraiment vider vos données ?"));
        const Boite vide = attendue(QMessageBox::Information, QStringLiteral("Vidage reussi"),
                                    QStringLiteral("Vos données ont été vidé avec succes"));
        Button *vider = banc.bouton(panneau, QStringLiteral("Vider"));

        banc.pilote.boite(QMessageBox::No);
        Banc::clic(vider);
        QCOMPARE(banc.pilote.boites, QList<Boite> { question });
        QCOMPARE(banc.compte(QStringLiteral("compte")), 2);

        banc.pilote.effacer();
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(vider);
        QCOMPARE(banc.pilote.boites, (QList<Boite> { question, vide }));
        QCOMPARE(parents(banc.pilote.boites), QStringList(2, QStringLiteral("TABLORAN")));
        QCOMPARE(banc.compte(QStringLiteral("compte")), 0);

        // An empty book: nothing to choose from, but emptying still asks and succeeds.
        banc.pilote.effacer();
        banc.pilote.boite();
        Banc::clic(banc.bouton(panneau, QStringLiteral("Supprimer")));
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(vider);
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { attendue(QMessageBox::Information, QStringLiteral("table vide"),
                                          QStringLiteral("Vous n'avez pas données stockées")),
                                 question, vide }));
        QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("TABLORAN"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // The emptied book takes new entries again.
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            enfantA<QComboBox>(d, QRect(20, 35, 120, 30))->setCurrentIndex(1);
            enfantA<QLineEdit>(d, QRect(150, 35, 120, 30))->setText(QStringLiteral("20"));
            banc.pilote.boite();
            Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.boites, QList<Boite> { ajoutReussi });
        QCOMPARE(banc.lignes(QStringLiteral("SELECT id, valeur FROM compte")),
                 (QList<QVariantList> { { 1, "20" } }));
    }

    void gridWritesEditsTogetherOrDropsThem()
    {
        Banc banc;
        QSqlTableModel *modele = nullptr;
        auto ouvrir = [&](std::function<void(QDialog *)> action) {
            banc.pilote.dialogue([&, action](QDialog *d) {
                QCOMPARE(d->windowTitle(), titreGrille);
                auto *grille = d->findChild<QTableView *>();
                QVERIFY(grille);
                QCOMPARE(grille->geometry(), QRect(10, 50, 530, 400));
                modele = qobject_cast<QSqlTableModel *>(grille->model());
                QVERIFY(modele);
                action(d);
                Banc::clic(boutonTexte(d, QStringLiteral("Fermer la fenêtre")));
            });
            Banc::clic(banc.bouton(panneau, QStringLiteral("Afficher/Modifier")));
        };
        auto cellule = [&](int ligne, int colonne) { return modele->index(ligne, colonne).data(); };
        auto stocke = [&] {
            return banc.lignes(QStringLiteral("SELECT id, sujet, valeur FROM compte ORDER BY id"));
        };

        // An empty book: the five headers over no row.
        ouvrir([&](QDialog *) {
            QStringList entetes;
            for (int c = 0; c < modele->columnCount(); ++c)
                entetes << modele->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(entetes,
                     (QStringList { "sujet n°", "type", "valeur", "commentaire", "date d'ajout" }));
            QCOMPARE(modele->rowCount(), 0);
        });

        ecrire(banc, 1, QStringLiteral("Gain"), QStringLiteral("150"), "a", "2013-03-05 09:25:00");
        ecrire(banc, 2, QStringLiteral("Dépense"), QStringLiteral("30"), "b",
               "2013-08-14 18:00:00");
        ecrire(banc, 3, QStringLiteral("Dépense"), QStringLiteral("12"), "c",
               "2013-05-01 12:00:00");
        const QList<QVariantList> depart = { { 1, "Gain", "150" },
                                             { 2, "Dépense", "30" },
                                             { 3, "Dépense", "12" } };
        const Boite echec = attendue(QMessageBox::Warning, QStringLiteral("Modifications échouées"),
                                     QStringLiteral("Modifications échouées\nUn ou plusieurs des "
                                                    "éléments ont été mal modifiées"));

        ouvrir([&](QDialog *d) {
            // Newest first.
            QCOMPARE((QVariantList { cellule(0, 0), cellule(1, 0), cellule(2, 0) }),
                     (QVariantList { 2, 3, 1 }));
            Button *valider = boutonTexte(d, QStringLiteral("Valider"));
            Button *annuler = boutonTexte(d, QStringLiteral("Annuler"));

            // Nothing pending: still a success.
            banc.pilote.boite();
            Banc::clic(valider);

            // "Annuler" puts back every edited cell and writes nothing.
            modele->setData(modele->index(0, 2), QStringLiteral("31"));
            modele->setData(modele->index(2, 3), QStringLiteral("autre"));
            Banc::clic(annuler);
            QCOMPARE(cellule(0, 2).toString(), QStringLiteral("30"));
            QCOMPARE(cellule(2, 3).toString(), QStringLiteral("a"));
            QVERIFY(!modele->isDirty());
            QCOMPARE(stocke(), depart);

            // One good edit and one the server refuses: neither is written,
            // both stay in the grid.
            modele->setData(modele->index(0, 2), QStringLiteral("99"));
            modele->setData(modele->index(1, 1), QStringLiteral("Cadeau"));
            banc.pilote.boite();
            Banc::clic(valider);
            QVERIFY(d->isVisible());
            QCOMPARE(stocke(), depart);
            QCOMPARE(cellule(0, 2).toString(), QStringLiteral("99"));
            QCOMPARE(cellule(1, 1).toString(), QStringLiteral("Cadeau"));
            QVERIFY(modele->isDirty(modele->index(0, 2)));

            // Corrected, the whole lot goes through, amounts as typed.
            modele->setData(modele->index(1, 1), QStringLiteral("Gain"));
            banc.pilote.boite();
            Banc::clic(valider);
            QCOMPARE(stocke(),
                     (QList<QVariantList> {
                         { 1, "Gain", "150" }, { 2, "Dépense", "99" }, { 3, "Gain", "12" } }));
            QVERIFY(!modele->isDirty());
            QCOMPARE(cellule(0, 2).toString(), QStringLiteral("99"));
        });
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { modificationsReussies, echec, modificationsReussies }));
        QCOMPARE(parents(banc.pilote.boites), QStringList(3, titreGrille));

        // Closing with edits pending writes nothing; the next opening shows the stored values.
        ouvrir([&](QDialog *) { modele->setData(modele->index(0, 2), QStringLiteral("1")); });
        ouvrir([&](QDialog *) { QCOMPARE(cellule(0, 2).toString(), QStringLiteral("99")); });
        QCOMPARE(stocke().at(1), (QVariantList { 2, "Dépense", "99" }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void reportSumsUpTheBook_data()
    {
        struct Entree
        {
            const char *sujet;
            const char *valeur;
            const char *commentaire;
            const char *date;
        };
        QTest::addColumn<QVariantList>("entrees");
        QTest::addColumn<QString>("depenses");
        QTest::addColumn<QString>("gains");
        QTest::addColumn<QString>("totaux");
        QTest::addColumn<QString>("verdict");
        auto entrees = [](std::initializer_list<Entree> liste) {
            QVariantList lignes;
            for (const Entree &e : liste) {
                lignes << QVariant(
                    QStringList { QString::fromUtf8(e.sujet), QString::fromUtf8(e.valeur),
                                  QString::fromUtf8(e.commentaire), QString::fromUtf8(e.date) });
            }
            return lignes;
        };

        QTest::newRow("empty book")
            << QVariantList() << QString()
            << QString()
            // Rich text: the blanks around the missing dates read as one.
            << QStringLiteral("Toutes vos dépenses s'élèvent à 0F et \nTous vos gains "
                              "s'élèvent à 0F\nà partir de la date du jusqu'au ")
            << economie("0");
        QTest::newRow("one expense")
            << entrees({ { "Dépense", "30", "loyer", "2013-03-05 09:25:00" } })
            << "=> Vous avez dépensé 30F pour \"loyer\" le 05 mars 2013 à 09h25min\n\n"
            << QString() << totaux("30", "0", "05 mars 2013", "05 mars 2013") << deficit("30");
        QTest::newRow("gains only")
            << entrees({ { "Gain", "100", "vente", "2013-02-01 08:05:00" },
                         { "Gain", "50", "don", "2013-12-24 23:59:00" } })
            << QString()
            << "=> Vous avez gagné 100F pour \"vente\" le 01 février 2013 à 08h05min\n\n"
               "=> Vous avez gagné 50F pour \"don\" le 24 décembre 2013 à 23h59min\n\n"
            << totaux("0", "150", "01 février 2013", "24 décembre 2013") << economie("150");
        QTest::newRow("decimals, deficit")
            << entrees({ { "Dépense", "12.50", "pain", "2013-08-14 10:00:00" },
                         { "Gain", "10.10", "", "2013-08-01 10:00:00" },
                         { "Dépense", "7.25", "lait", "2014-01-02 10:00:00" } })
            << "=> Vous avez dépensé 12.50F pour \"pain\" le 14 août 2013 à 10h00min\n\n"
               "=> Vous avez dépensé 7.25F pour \"lait\" le 02 janvier 2014 à 10h00min\n\n"
            << "=> Vous avez gagné 10.10F pour \"\" le 01 août 2013 à 10h00min\n\n"
            << totaux("19.75", "10.1", "01 août 2013", "02 janvier 2014") << deficit("9.65");
        QTest::newRow("gains equal expenses")
            << entrees({ { "Gain", "40", "a", "2013-03-05 09:25:00" },
                         { "Dépense", "40", "b", "2013-03-05 09:25:00" } })
            << "=> Vous avez dépensé 40F pour \"b\" le 05 mars 2013 à 09h25min\n\n"
            << "=> Vous avez gagné 40F pour \"a\" le 05 mars 2013 à 09h25min\n\n"
            << totaux("40", "40", "05 mars 2013", "05 mars 2013") << economie("0");
        // Qt alone would write these sums 0.30000000000000004 and 6e+06.
        QTest::newRow("sum of 0.1 and 0.2")
            << entrees({ { "Gain", "0.1", "", "2013-03-05 09:25:00" },
                         { "Gain", "0.2", "", "2013-03-05 09:25:00" } })
            << QString()
            << "=> Vous avez gagné 0.1F pour \"\" le 05 mars 2013 à 09h25min\n\n"
               "=> Vous avez gagné 0.2F pour \"\" le 05 mars 2013 à 09h25min\n\n"
            << totaux("0", "0.3", "05 mars 2013", "05 mars 2013") << economie("0.3");
        QTest::newRow("six million")
            << entrees({ { "Gain", "6000000", "", "2013-03-05 09:25:00" },
                         { "Dépense", "0.5", "", "2013-03-05 09:25:00" } })
            << "=> Vous avez dépensé 0.5F pour \"\" le 05 mars 2013 à 09h25min\n\n"
            << "=> Vous avez gagné 6000000F pour \"\" le 05 mars 2013 à 09h25min\n\n"
            << totaux("0.5", "6000000", "05 mars 2013", "05 mars 2013") << economie("5999999.5");
    }

    void reportSumsUpTheBook()
    {
        QFETCH(QVariantList, entrees);
        QFETCH(QString, depenses);
        QFETCH(QString, gains);
        QFETCH(QString, totaux);
        QFETCH(QString, verdict);
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        int id = 0;
        for (const QVariant &entree : entrees) {
            const QStringList e = entree.toStringList();
            ecrire(banc, ++id, e[0], e[1], e[2], e[3]);
        }
        const Rapport rapport = lireBilan(banc);
        QCOMPARE(rapport.depenses, depenses);
        QCOMPARE(rapport.gains, gains);
        QCOMPARE(rapport.totaux, totaux);
        QCOMPARE(rapport.verdict, verdict);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void reportShowsEntriesExactlyAsStored()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        // What the grid lets through: amounts that are not numbers, or not
        // only; they count as the server reads them.
        ecrire(banc, 1, QStringLiteral("Dépense"), QStringLiteral("abc"),
               QStringLiteral("a < b & <b>c</b>\nsur deux lignes"), "2013-03-05 09:25:00");
        ecrire(banc, 2, QStringLiteral("Dépense"), QStringLiteral("12,5"), QStringLiteral("<br/>"),
               "2013-03-05 09:25:00");
        ecrire(banc, 3, QStringLiteral("Gain"), QStringLiteral("5"), QStringLiteral("&nbsp;"),
               "2013-03-05 09:25:00");
        const Rapport rapport = lireBilan(banc);
        QVERIFY(rapport.listesEnTexteBrut);
        QCOMPARE(rapport.depenses,
                 QStringLiteral(
                     "=> Vous avez dépensé abcF pour \"a < b & <b>c</b>\nsur deux lignes\" "
                     "le 05 mars 2013 à 09h25min\n\n"
                     "=> Vous avez dépensé 12,5F pour \"<br/>\" le 05 mars 2013 à 09h25min\n\n"));
        QCOMPARE(
            rapport.gains,
            QStringLiteral("=> Vous avez gagné 5F pour \"&nbsp;\" le 05 mars 2013 à 09h25min\n\n"));
        QCOMPARE(rapport.totaux, totaux("12", "5", "05 mars 2013", "05 mars 2013"));
        QCOMPARE(rapport.verdict, deficit("7"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestCompte)
#include "tst_compte.moc"
