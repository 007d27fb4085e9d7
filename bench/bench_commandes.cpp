// Timings of the orders and customers commands with both tables full
// (65,535 rows each, the limit of their keys).

#include "support/banc.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableView>

namespace {

const QString panneau = QStringLiteral("gestion commandes/clients");
const int plein = 65535;

// Fills a table with the rows numbered 1 to n, from the server's sequence table.
void remplir(Banc &banc, const QString &table, int n, const QString &colonnes,
             const QString &valeurs)
{
    banc.sql(QStringLiteral("INSERT INTO %1 (id, %2) SELECT seq, %3 FROM seq_1_to_%4")
                 .arg(table, colonnes, valeurs)
                 .arg(n));
}

void afficher(const char *commande, qint64 ms)
{
    qInfo("%-55s %6lld ms", commande, ms);
}

} // namespace

class BenchCommandes : public QObject
{
    Q_OBJECT

    std::unique_ptr<Banc> banc;
    QElapsedTimer chrono;

    // Clicks a home-page button; the handler gets the time to the dialog shown.
    void ouvrir(const QString &bouton, const char *nom, std::function<void(QDialog *)> suite)
    {
        banc->pilote.effacer();
        banc->pilote.dialogue([=](QDialog *d) {
            afficher(nom, chrono.elapsed());
            suite(d);
            if (d->isVisible())
                d->reject();
        });
        chrono.start();
        Banc::clic(banc->bouton(panneau, bouton));
    }

    void mesurerClic(QAbstractButton *bouton, const char *nom)
    {
        QElapsedTimer t;
        t.start();
        Banc::clic(bouton);
        afficher(nom, t.elapsed());
    }

private Q_SLOTS:
    void initTestCase()
    {
        banc = std::make_unique<Banc>();
        QVERIFY(banc->fenetre().connexionCommande());
        QElapsedTimer t;
        t.start();
        remplir(*banc, "clients", plein, "nom, entreprise, email, tel",
                "CONCAT('Martin', seq), 'Beta', 'm@b.fr', '0102'");
        // One order short: the add command stores the last one.
        remplir(*banc, "commandes", plein - 1,
                "client_id, nom, poids, poids_unite, quantite, prix_unitaire, prix_total, "
                "commentaire, date_command",
                "1 + FLOOR(RAND() * 65535), CONCAT('lait', seq), 2.5, 'kg', 3, '10', '30', "
                "'frais', NOW()");
        QCOMPARE(banc->compte("clients"), plein);
        QCOMPARE(banc->compte("commandes"), plein - 1);
        afficher("(filling both tables)", t.elapsed());
    }

    void ajouter()
    {
        // The customer already exists: the order goes to a stored one.
        ouvrir("Ajouter", "Ajouter: dialog shown", [this](QDialog *d) {
            for (QLineEdit *e : enfants<QLineEdit>(d)) {
                if (e->geometry() == QRect(150, 110, 200, 25))
                    e->setText("1500");
                else if (e->geometry() == QRect(150, 50, 200, 25))
                    e->setText("Beta");
                else
                    e->setText("Martin1");
            }
            banc->pilote.boite();
            mesurerClic(boutonTexte(d, "Enregistrer"), "Ajouter: Enregistrer (save, completer)");
        });
        QCOMPARE(banc->pilote.anomalies(), QStringList());
        QCOMPARE(banc->pilote.boites.value(0).titre, QStringLiteral("Enregistrement reussie"));
        QCOMPARE(banc->compte("commandes"), plein);
    }

    void afficherLesTroisVues()
    {
        auto *choix = nomme<QComboBox>(&banc->fenetre(), "commandCombo");
        const char *noms[] = { "Afficher Commandes: dialog shown", "Afficher Clients: dialog shown",
                               "Afficher Commandes et Clients: dialog shown" };
        for (int vue = 0; vue < 3; ++vue) {
            choix->setCurrentIndex(vue);
            ouvrir(vue == 2 ? "Afficher" : "Afficher et/ou modifier", noms[vue],
                   [this, vue](QDialog *d) {
                       if (vue != 0)
                           return;
                       auto *table = enfants<QTableView>(d).value(0);
                       table->model()->setData(table->model()->index(0, 2), "beurre");
                       banc->pilote.boite();
                       mesurerClic(boutonTexte(d, "Valider"), "Afficher Commandes: Valider");
                       table->scrollToBottom();
                   });
            QCOMPARE(banc->pilote.anomalies(), QStringList());
        }
    }

    void rechercher()
    {
        auto *cle = nomme<QComboBox>(&banc->fenetre(), "clientCombo");
        auto *texte = nomme<QLineEdit>(&banc->fenetre(), "rechercheEdit");
        QElapsedTimer t;
        t.start();
        cle->setCurrentIndex(1);
        afficher("search key to customers (completer rebuilt)", t.elapsed());
        t.start();
        cle->setCurrentIndex(0);
        afficher("search key to products (completer rebuilt)", t.elapsed());

        texte->setText("lait1234");
        ouvrir("Rechercher", "Rechercher produit 'lait1234': page shown", [](QDialog *) {});
        texte->setText("lait");
        ouvrir("Rechercher", "Rechercher produit 'lait' (every order): page shown", [](QDialog *d) {
            QScrollBar *barre = enfants<QScrollArea>(d).value(0)->verticalScrollBar();
            QElapsedTimer t;
            t.start();
            barre->setValue(barre->maximum());
            afficher("  scrolled to the bottom: next 200 orders added", t.elapsed());
        });
        cle->setCurrentIndex(1);
        texte->setText("Martin1234");
        ouvrir("Rechercher", "Rechercher client 'Martin1234': page shown", [](QDialog *) {});
        texte->setText("");
        ouvrir("Rechercher", "Rechercher client '' (every customer): page shown", [](QDialog *) {});
        cle->setCurrentIndex(0);
        QCOMPARE(banc->pilote.anomalies(), QStringList());
    }

    void informations()
    {
        ouvrir("Informations", "Informations: page shown", [](QDialog *) {});
        QCOMPARE(banc->pilote.anomalies(), QStringList());
    }

    void supprimer()
    {
        ouvrir("Supprimer", "Supprimer: dialog shown", [this](QDialog *d) {
            auto *genre = nomme<QComboBox>(d, "produitBox");
            QElapsedTimer t;
            t.start();
            genre->setCurrentIndex(1);
            afficher("Supprimer: kind to customers (list refilled)", t.elapsed());
            t.start();
            genre->setCurrentIndex(0);
            afficher("Supprimer: kind to orders (list refilled)", t.elapsed());
            banc->pilote.boite();
            mesurerClic(boutonTexte(d, "Supprimer"), "Supprimer: one order");
        });
        ouvrir("Supprimer", "Supprimer: dialog shown", [this](QDialog *d) {
            nomme<QComboBox>(d, "produitBox")->setCurrentIndex(1);
            banc->pilote.boite();
            mesurerClic(boutonTexte(d, "Supprimer"), "Supprimer: one customer and its orders");
        });
        QCOMPARE(banc->pilote.anomalies(), QStringList());
    }

    void vider()
    {
        for (int choix = 0; choix < 2; ++choix) {
            ouvrir("Vider", "Vider: dialog shown", [this, choix](QDialog *d) {
                nomme<QComboBox>(d, "videBox")->setCurrentIndex(choix);
                banc->pilote.boite(QMessageBox::Yes);
                banc->pilote.boite();
                mesurerClic(boutonTexte(d, "Vider"),
                            choix == 0 ? "Vider: every order (answer Yes included)"
                                       : "Vider: every customer and order");
            });
            QCOMPARE(banc->pilote.anomalies(), QStringList());
        }
        QCOMPARE(banc->compte("clients"), 0);
    }

    void cleanupTestCase() { banc.reset(); }
};

QTEST_MAIN(BenchCommandes)
#include "bench_commandes.moc"
