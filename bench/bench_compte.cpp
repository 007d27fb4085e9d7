// Timings of the account book's commands on a full book (65,535 entries, the
// limit of its key): from the click to the window shown, and of the step that
// validates, where there is one.

#include "commun/historique.h"
#include "compte/import.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QString panneau = QStringLiteral("Faites le bilan de vos dépenses");
const int plein = 65535;

// Fills the book with entries numbered 1 to n, a third of them gains, one a minute.
void remplir(Banc &banc, int n)
{
    QVERIFY(banc.fenetre().connexionCompte());
    QElapsedTimer chrono;
    chrono.start();
    banc.sql(QStringLiteral("INSERT INTO compte (id, sujet, valeur, commentaire, date_insert) "
                            "SELECT seq, IF(seq % 3 = 0, 'Gain', 'Dépense'), CONCAT(seq % 997, "
                            "'.50'), CONCAT('achat numéro ', seq), '2013-01-01 08:00:00' + "
                            "INTERVAL seq MINUTE FROM seq_1_to_%1")
                 .arg(n));
    QCOMPARE(banc.compte(QStringLiteral("compte")), n);
    qInfo("  (book filled with %d entries in %lld ms)", n, chrono.elapsed());
}

// Notes when each modal window appears, and the moments a run marks.
class Guet : public QObject
{
public:
    Guet()
    {
        connect(&minuteur, &QTimer::timeout, this, [this] {
            QWidget *fenetre = QApplication::activeModalWidget();
            if (fenetre && fenetre->isVisible() && fenetre != derniere) {
                derniere = fenetre;
                evenements << qMakePair(QStringLiteral("shown «%1»").arg(fenetre->windowTitle()),
                                        chrono.elapsed());
            }
        });
        minuteur.start(1);
        chrono.start();
    }
    void marquer(const QString &quoi) { evenements << qMakePair(quoi, chrono.elapsed()); }
    qint64 depuis(const QString &quoi, const QString &jusqua) const
    {
        qint64 debut = -1;
        for (const auto &[nom, temps] : evenements) {
            if (nom == quoi)
                debut = temps;
            else if (debut >= 0 && nom.startsWith(jusqua))
                return temps - debut;
        }
        return -1;
    }
    void afficher(const char *commande) const
    {
        qInfo("%s", commande);
        for (const auto &[nom, temps] : evenements)
            qInfo("  %6lld ms  %s", temps, qPrintable(nom));
    }

    QElapsedTimer chrono;

private:
    QTimer minuteur;
    QPointer<QWidget> derniere;
    QList<QPair<QString, qint64>> evenements;
};

} // namespace

class BenchCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ajouter()
    {
        Banc banc;
        // One place left under the key's limit.
        remplir(banc, plein - 1);
        Guet guet;
        banc.pilote.dialogue([&](QDialog *d) {
            nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
            nomme<QLineEdit>(d, "valeurEdit")->setText(QStringLiteral("42.50"));
            banc.pilote.boite();
            guet.marquer(QStringLiteral("click Ajouter"));
            Banc::clic(boutonTexte(d, QStringLiteral("Ajouter")));
        });
        guet.marquer(QStringLiteral("click home Ajouter"));
        Banc::clic(banc.bouton(panneau, QStringLiteral("Ajouter")));
        guet.afficher("Ajouter");
        QCOMPARE(banc.compte(QStringLiteral("compte")), plein);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void supprimer()
    {
        Banc banc;
        remplir(banc, plein);
        Guet guet;
        banc.pilote.dialogue([&](QDialog *d) {
            auto *liste = nomme<QComboBox>(d, "sujetListe");
            guet.marquer(QStringLiteral("open the list"));
            liste->showPopup();
            QApplication::processEvents();
            guet.marquer(QStringLiteral("list open"));
            liste->view()->scrollToBottom();
            QApplication::processEvents();
            guet.marquer(QStringLiteral("scrolled to the last entry"));
            liste->hidePopup();
            liste->setCurrentIndex(liste->count() - 1);
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            guet.marquer(QStringLiteral("click Supprimer"));
            Banc::clic(boutonTexte(d, QStringLiteral("Supprimer")));
        });
        guet.marquer(QStringLiteral("click home Supprimer"));
        Banc::clic(banc.bouton(panneau, QStringLiteral("Supprimer")));
        guet.afficher("Supprimer");
        QCOMPARE(banc.compte(QStringLiteral("compte")), plein - 1);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void vider()
    {
        Banc banc;
        remplir(banc, plein);
        Guet guet;
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        guet.marquer(QStringLiteral("click home Vider"));
        Banc::clic(banc.bouton(panneau, QStringLiteral("Vider")));
        guet.afficher("Vider (the DELETE runs between the question and the success box)");
        QCOMPARE(banc.compte(QStringLiteral("compte")), 0);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void afficherModifier()
    {
        Banc banc;
        remplir(banc, plein);
        Guet guet;
        banc.pilote.dialogue([&](QDialog *d) {
            auto *grille = d->findChild<QTableView *>();
            auto *modele = qobject_cast<QSqlTableModel *>(grille->model());
            guet.marquer(QStringLiteral("scroll to the last row"));
            // The grid loads rows as they come into view: going to the end loads all.
            while (modele->canFetchMore())
                modele->fetchMore();
            grille->scrollToBottom();
            QApplication::processEvents();
            guet.marquer(QStringLiteral("last row shown"));
            modele->setData(modele->index(modele->rowCount() - 1, 2), QStringLiteral("7"));
            modele->setData(modele->index(0, 2), QStringLiteral("8"));
            banc.pilote.boite();
            guet.marquer(QStringLiteral("click Valider"));
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            guet.marquer(QStringLiteral("Valider done"));

            // A refused edit among others: nothing is written, the edits stay pending.
            modele->setData(modele->index(modele->rowCount() - 1, 2), QStringLiteral("9"));
            modele->setData(modele->index(0, 1), QStringLiteral("Cadeau"));
            banc.pilote.boite();
            guet.marquer(QStringLiteral("click Valider with a refused edit"));
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            guet.marquer(QStringLiteral("refused Valider done"));
            QVERIFY(modele->isDirty(modele->index(modele->rowCount() - 1, 2)));
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer la fenêtre")));
        });
        guet.marquer(QStringLiteral("click home Afficher/Modifier"));
        Banc::clic(banc.bouton(panneau, QStringLiteral("Afficher/Modifier")));
        guet.afficher("Afficher/Modifier");
        QCOMPARE(banc.valeur(QStringLiteral("SELECT valeur FROM compte WHERE id = 1")).toString(),
                 QStringLiteral("7"));
        QCOMPARE(
            banc.valeur(QStringLiteral("SELECT COUNT(*) FROM compte WHERE sujet = 'Gain'")).toInt(),
            plein / 3);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    // A statement of 10,000 lines: its reading, the preview shown and redrawn,
    // the import from the window, the same file again (all present), and undo.
    void importerReleve()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionCompte());
        const int n = 10000;
        QByteArray contenu = "\xEF\xBB\xBF"
                             "Date;Libellé;Montant\n";
        for (int i = 0; i < n; ++i) {
            contenu += QStringLiteral("%1;CB MAGASIN N°%2;%3%4,50\n")
                           .arg(QDate(2025, 1, 1).addDays(i / 20).toString("dd/MM/yyyy"))
                           .arg(i)
                           .arg(i % 3 ? "-" : "+")
                           .arg(i % 997 + 1)
                           .toUtf8();
        }
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("releve.csv"));
        QVERIFY(ecrireFichier(chemin, contenu));
        QElapsedTimer chrono;
        chrono.start();
        const compte::Lecture lecture = compte::detecter(contenu);
        const qint64 detection = chrono.restart();
        const compte::Releve releve = compte::lireReleve(contenu, lecture);
        qInfo("  %d lines (%lld bytes): detection %lld ms, reading %lld ms", n,
              qint64(contenu.size()), detection, chrono.elapsed());

        Guet guet;
        banc.pilote.dialogue([&](QDialog *d) {
            banc.pilote.dialogue([&](QDialog *f) {
                qobject_cast<QFileDialog *>(f)->selectFile(chemin);
                guet.marquer(QStringLiteral("file chosen"));
                f->accept();
            });
            banc.pilote.dialogue([&](QDialog *i) {
                QApplication::processEvents();
                guet.marquer(QStringLiteral("preview shown"));
                nomme<QComboBox>(i, "separateur")->setCurrentIndex(1);
                nomme<QComboBox>(i, "separateur")->setCurrentIndex(0);
                guet.marquer(QStringLiteral("preview redrawn twice"));
                banc.pilote.boite();
                guet.marquer(QStringLiteral("click Importer"));
                Banc::clic(boutonTexte(i, QStringLiteral("Importer")));
            });
            Banc::clic(boutonTexte(d, QStringLiteral("Importer un relevé")));
            guet.marquer(QStringLiteral("import closed, grid reloaded"));
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer la fenêtre")));
        });
        Banc::clic(banc.bouton(panneau, QStringLiteral("Afficher/Modifier")));
        guet.afficher("Importer un relevé (10,000 lines)");
        QCOMPARE(banc.compte(QStringLiteral("compte")), n);
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        const QSqlDatabase db = QSqlDatabase::database();
        compte::BilanImport bilan;
        chrono.restart();
        QVERIFY(compte::importer(db, releve.lignes, QStringLiteral("releve.csv"), &bilan).ok());
        QCOMPARE(bilan.presentes, n);
        const qint64 encore = chrono.restart();
        historique::Entree entree;
        historique::Annulation annulation;
        QVERIFY(historique::derniere(db, &entree).ok());
        QVERIFY(historique::annuler(db, entree.numero, &annulation).ok());
        qInfo("  the same file again (all present) %lld ms; undo of the import %lld ms", encore,
              chrono.elapsed());
        QCOMPARE(banc.compte(QStringLiteral("compte")), 0);
    }

    void bilan()
    {
        Banc banc;
        remplir(banc, plein);
        Guet guet;
        banc.pilote.dialogue([&](QDialog *d) {
            auto *zone = d->findChild<QScrollArea *>();
            guet.marquer(QStringLiteral("scroll to the end"));
            zone->verticalScrollBar()->setValue(zone->verticalScrollBar()->maximum());
            QApplication::processEvents();
            guet.marquer(QStringLiteral("end shown"));
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer la page")));
        });
        guet.marquer(QStringLiteral("click home Bilan"));
        Banc::clic(banc.bouton(panneau, QStringLiteral("Bilan")));
        guet.afficher("Bilan");
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // Where the report's time goes: its five statements alone, then the
        // two lists laid out as the page lays them out.
        QSqlQuery requete(QSqlDatabase::database());
        QElapsedTimer chrono;
        chrono.start();
        QString depenses, gains;
        for (const char *sujet : { "Dépense", "Gain" }) {
            requete.exec(QStringLiteral("SELECT id, sujet, valeur, commentaire, "
                                        "DATE_FORMAT(date_insert, 'le %d %M %Y à %Hh%imin') FROM "
                                        "compte WHERE sujet = '%1'")
                             .arg(QString::fromUtf8(sujet)));
            QString &texte = qstrcmp(sujet, "Gain") == 0 ? gains : depenses;
            while (requete.next()) {
                texte += QStringLiteral("=> Vous avez dépensé ") + requete.value(2).toString()
                    + QStringLiteral("F pour \"") + requete.value(3).toString()
                    + QStringLiteral("\" ") + requete.value(4).toString() + QStringLiteral("\n\n");
            }
        }
        const qint64 listes = chrono.restart();
        requete.exec(QStringLiteral("SELECT sujet, SUM(valeur) FROM compte GROUP BY sujet DESC"));
        requete.exec(QStringLiteral("SELECT DATE_FORMAT(MIN(date_insert), '%d %M %Y'), "
                                    "DATE_FORMAT(MAX(date_insert), '%d %M %Y') FROM compte"));
        const qint64 sommes = chrono.restart();
        QLabel essai;
        essai.setTextFormat(Qt::PlainText);
        essai.setWordWrap(true);
        essai.setStyleSheet(QStringLiteral("font-size:12px;color:blue;"));
        essai.setText(depenses);
        const QSize taille = essai.sizeHint();
        const qint64 miseEnPage = chrono.restart();
        essai.heightForWidth(taille.width());
        const qint64 hauteur = chrono.restart();
        qInfo("  where the time goes: the two list statements and their text %lld ms, totals and "
              "period %lld ms; the expense list (%lld characters, %dx%d px): size hint %lld ms, "
              "height for its width %lld ms",
              listes, sommes, qint64(depenses.size()), taille.width(), taille.height(), miseEnPage,
              hauteur);
    }
};

QTEST_MAIN(BenchCompte)
#include "bench_compte.moc"
