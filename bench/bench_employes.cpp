// Timings of the staff commands at full tables (65,535 persons and 65,535
// absences, the limit of their keys): from the click to the window shown and
// painted, and of the validating step where there is one.

#include "support/banc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>

namespace {

const QString groupe = QStringLiteral("Gestions des employés et des stagiaires");
const int plein = 65535;

// Persons 1 to n, types and sexes alternating; absences 1 to m spread over
// them, about one each.
void remplir(Banc &banc, int n = plein, int m = plein)
{
    QVERIFY(banc.fenetre().connexionEmploye());
    QElapsedTimer chrono;
    chrono.start();
    banc.sql(
        QStringLiteral(
            "INSERT INTO employes (id, type, nom, prenom, nom_prenom, sexe, domaine, "
            "date_naissance, date_embouche, duree, date_fin, commentaire) SELECT seq, 1 + seq "
            "% 2, CONCAT('Nom', seq), CONCAT('Prenom', seq), CONCAT('Nom', seq, ' Prenom', seq), "
            "IF(seq % 3 = 0, 'F', 'M'), 'Vente', '1980-01-01' + INTERVAL seq % 9000 DAY, "
            "'2010-01-01' + INTERVAL seq % 3000 DAY, IF(seq % 2 = 1, 6, NULL), IF(seq % 2 = 1, "
            "'2014-01-01', NULL), IF(seq % 5 = 0, NULL, CONCAT('commentaire ', seq)) FROM "
            "seq_1_to_%1")
            .arg(n));
    banc.sql(
        QStringLiteral("INSERT INTO absence (id, employe_id, date_absence, nbre_heure) SELECT "
                       "seq, 1 + (seq * 7919) % %2, '2013-01-01' + INTERVAL seq % 700 DAY, 1 + "
                       "seq % 8 FROM seq_1_to_%1")
            .arg(m)
            .arg(n));
    QCOMPARE(banc.compte(QStringLiteral("employes")), n);
    QCOMPARE(banc.compte(QStringLiteral("absence")), m);
    banc.fenetre().triggerType();
    qInfo("  (filled %d persons and %d absences in %lld ms)", n, m, chrono.elapsed());
}

QComboBox *typeCombo(Banc &banc)
{
    return nomme<QComboBox>(&banc.fenetre(), "typeCombo");
}

// Opens a command; the action runs on the shown dialog and returns the time
// of its validating step (or -1). Prints both.
void mesurer(Banc &banc, const char *nom, const QString &bouton,
             std::function<qint64(QDialog *)> action,
             const QList<QMessageBox::StandardButton> &boites = {})
{
    QElapsedTimer chrono;
    qint64 affiche = -1;
    qint64 validation = -1;
    banc.pilote.dialogue([&](QDialog *d) {
        d->repaint();
        affiche = chrono.elapsed();
        validation = action(d);
        if (d->isVisible())
            d->reject();
    });
    for (QMessageBox::StandardButton reponse : boites)
        banc.pilote.boite(reponse);
    chrono.start();
    Banc::clic(banc.bouton(groupe, bouton));
    if (validation >= 0)
        qInfo("%-34s shown in %5lld ms, validated in %5lld ms", nom, affiche, validation);
    else
        qInfo("%-34s shown in %5lld ms", nom, affiche);
    QVERIFY2(banc.pilote.anomalies().isEmpty(), qPrintable(banc.pilote.anomalies().join(", ")));
}

qint64 cliquer(QDialog *d, const QString &texte)
{
    QElapsedTimer chrono;
    chrono.start();
    Banc::clic(boutonTexte(d, texte));
    return chrono.elapsed();
}

} // namespace

class BenchEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ajout()
    {
        Banc banc;
        remplir(banc, plein - 1);
        mesurer(banc, "Ajouter (employé)", QStringLiteral("Ajouter"),
                [](QDialog *d) {
                    nomme<QLineEdit>(d, "nomEdit")->setText(QStringLiteral("Martin"));
                    nomme<QLineEdit>(d, "prenomEdit")->setText(QStringLiteral("Anne"));
                    nomme<QLineEdit>(d, "domaineEdit")->setText(QStringLiteral("Vente"));
                    return cliquer(d, QStringLiteral("Enregistrer"));
                },
                { QMessageBox::Ok });
        QCOMPARE(banc.compte(QStringLiteral("employes")), plein);
    }

    void suppressionEtVidage()
    {
        Banc banc;
        remplir(banc);
        mesurer(banc, "Supprimer (employé)", QStringLiteral("Supprimer"),
                [](QDialog *d) {
                    QElapsedTimer popup;
                    popup.start();
                    auto *liste = d->findChild<QComboBox *>();
                    liste->showPopup();
                    QApplication::processEvents();
                    qInfo("%-34s opened in %5lld ms", "  its list (32,767 persons)",
                          popup.elapsed());
                    liste->hidePopup();
                    return cliquer(d, QStringLiteral("Supprimer"));
                },
                { QMessageBox::Yes, QMessageBox::Ok });
        QCOMPARE(banc.compte(QStringLiteral("employes")), plein - 1);

        QElapsedTimer chrono;
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        chrono.start();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Vider")));
        qInfo("%-34s done in %5lld ms", "Vider (employés)", chrono.elapsed());
        QCOMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1")).toInt(),
                 0);
    }

    void affichage()
    {
        Banc banc;
        remplir(banc);
        mesurer(banc, "Afficher et/ou modifier (employé)",
                QStringLiteral("Afficher et/ou modifier"),
                [](QDialog *d) {
                    auto *vue = nomme<QTableView>(d, "grille");
                    auto *modele = qobject_cast<QSqlTableModel *>(vue->model());
                    modele->setData(modele->index(0, 2), QStringLiteral("Bernard"));
                    return cliquer(d, QStringLiteral("Valider"));
                },
                { QMessageBox::Ok });
    }

    void recherche()
    {
        Banc banc;
        remplir(banc);
        auto *champ = nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit");
        champ->setText(QStringLiteral("Nom1234"));
        mesurer(banc, "Chercher «Nom1234» (employé)", QStringLiteral("Chercher"),
                [](QDialog *) { return qint64(-1); });
        champ->setText(QStringLiteral("Nom12345 Prenom12345"));
        typeCombo(banc)->setCurrentIndex(1);
        mesurer(banc, "Chercher exact name (stagiaire)", QStringLiteral("Chercher"),
                [](QDialog *) { return qint64(-1); });
        champ->setText(QStringLiteral("Nom1"));
        mesurer(banc, "Chercher «Nom1» (5,556 stagiaires)", QStringLiteral("Chercher"),
                [](QDialog *) { return qint64(-1); });
        champ->setText(QString());
        // The validating step here is the next slice, brought by scrolling to the bottom.
        mesurer(banc, "Chercher «» (32,768 stagiaires)", QStringLiteral("Chercher"),
                [](QDialog *d) {
                    QScrollBar *barre = d->findChild<QScrollArea *>()->verticalScrollBar();
                    QElapsedTimer chrono;
                    chrono.start();
                    barre->setValue(barre->maximum());
                    QApplication::processEvents();
                    d->repaint();
                    const qint64 temps = chrono.elapsed();
                    if (enfants<QLabel>(d->findChild<QScrollArea *>()->widget()).size() != 2)
                        qWarning("the next slice did not arrive");
                    return temps;
                });
    }

    void selecteur()
    {
        Banc banc;
        remplir(banc);
        QElapsedTimer chrono;
        chrono.start();
        typeCombo(banc)->setCurrentIndex(1);
        qInfo("%-34s done in %5lld ms", "type selector (completer)", chrono.elapsed());
    }

    void absences()
    {
        Banc banc;
        remplir(banc, plein, plein - 1);
        mesurer(banc, "Ajouter une absence (employé)", QStringLiteral("Ajouter une absence"),
                [](QDialog *d) { return cliquer(d, QStringLiteral("Ajouter l'absence")); },
                { QMessageBox::Ok });
        QCOMPARE(banc.compte(QStringLiteral("absence")), plein);
        mesurer(banc, "Supprimer une absence (employé)", QStringLiteral("Supprimer une absence"),
                [](QDialog *d) { return cliquer(d, QStringLiteral("Supprimer l'absence")); },
                { QMessageBox::Yes, QMessageBox::Ok });
        QCOMPARE(banc.compte(QStringLiteral("absence")), plein - 1);
    }

    void informations()
    {
        Banc banc;
        remplir(banc);
        mesurer(banc, "Informations", QStringLiteral("Informations"),
                [](QDialog *) { return qint64(-1); });
    }
};

QTEST_MAIN(BenchEmployes)
#include "bench_employes.moc"
