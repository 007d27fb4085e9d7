#include "commun/grilles.h"
#include "support/banc.h"

#include <QtSql>
#include <QtWidgets>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const Reponses ok = { QMessageBox::Ok }, oui = { QMessageBox::Yes, QMessageBox::Ok };
const Reponses non = { QMessageBox::No };

// The search field's proposals, joined by '|'.
QString propositions(Banc &banc)
{
    return propositions(nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit")).join('|');
}

// The boxes seen since the last call start so ("K title: text"); then they are forgotten.
void vus(Banc &banc, const QStringList &debuts)
{
    vuesCommencent(banc.pilote, debuts);
    banc.pilote.effacer();
}

// Who is left: the persons' numbers, then the persons of the absences.
QString reste(Banc &banc)
{
    return banc
        .valeur("SELECT CONCAT_WS(' / ', (SELECT GROUP_CONCAT(id) FROM employes), (SELECT "
                "GROUP_CONCAT(employe_id ORDER BY id) FROM absence))")
        .toString();
}

// Presses a staff button; the action handles the dialog, the boxes are answered in order.
void presser(Banc &banc, const QString &bouton, const Reponses &reponses = {},
             std::function<void(QDialog *)> action = nullptr)
{
    const auto puisFermer = [action](QDialog *d) {
        action(d);
        if (d->isVisible())
            d->reject();
    };
    banc.lancer(panneauEmployes, bouton, action ? puisFermer : action, reponses);
}

// A command's page, window title first, every row written out; the search's for `texte`.
QString page(Banc &banc, const QString &bouton, const QString &texte = {})
{
    nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit")->setText(texte);
    QString lu;
    presser(banc, bouton, {}, [&](QDialog *d) { lu = d->windowTitle() + '\n' + textePage(d); });
    return lu;
}

// Persons numbered from 1, "type|nom|prenom[|sexe|commentaire]" (interns for 6 months),
// then their absences, "(employe_id, 'date', heures), ...".
void personnes(Banc &banc, const QStringList &liste, const QString &absences = {})
{
    banc.fenetre().connexionEmploye();
    for (const QString &p : liste) {
        const QStringList c = p.split('|');
        banc.sql("INSERT INTO employes SET type=?, nom=?, prenom=?, nom_prenom=?, sexe=?, "
                 "domaine='Vente', date_naissance='1980-05-04', date_embouche='2012-01-02', "
                 "duree=IF(type=2, 6, NULL), date_fin=IF(type=2, '2012-07-02', NULL), "
                 "commentaire=?",
                 { c[0], c[1], c[2], c[1] + ' ' + c[2], c.value(3, "M"), c.value(4) });
    }
    if (!absences.isEmpty())
        banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES " + absences);
}

} // namespace

class TestEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addingAnIntern()
    {
        Banc banc;
        personnes(banc, { "1|Salarie|Jean" });
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(1);
        presser(banc, "Ajouter", ok + ok, [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Ajouter un stagiaire");
            nomme<QLineEdit>(d, "nomEdit")->setText("O'Brien");
            nomme<QLineEdit>(d, "prenomEdit")->setText("Anne");
            nomme<QTextEdit>(d, "employeCommentaireEdit")->setPlainText("l 1\nl 2");
            Banc::clic(boutonTexte(d, "Enregistrer")); // the field of work is required
            nomme<QLineEdit>(d, "domaineEdit")->setText("Vente");
            nomme<QComboBox>(d, "jourDebutBox")->setCurrentIndex(30);
            nomme<QComboBox>(d, "moisDebutBox")->setCurrentIndex(7);
            nomme<QComboBox>(d, "anneeDebutBox")->setCurrentText("2013");
            nomme<QSpinBox>(d, "dureeBox")->setValue(6);
            nomme<QRadioButton>(d, "femininButton")->setChecked(true);
            Banc::clic(boutonTexte(d, "Enregistrer"));
        });
        vus(banc,
            { "C Erreur de remplissage: Vous devez remplir tous les champs obligatoires",
              "I Ajout reussi: " });
        QCOMPARE(
            banc.lignes("SELECT type, nom_prenom, sexe, date_naissance, date_embouche, "
                        "duree, date_fin, commentaire FROM employes WHERE id=2"),
            (QList<QVariantList> { { 2, "O'Brien Anne", "F", QDate(1950, 1, 1), QDate(2013, 8, 31),
                                     6, QDate(2014, 2, 28), "l 1\nl 2" } }));
        QCOMPARE(propositions(banc), "O'Brien|Anne|O'Brien Anne"); // the type's names only
    }

    void searchAndSummaryPages()
    {
        Banc banc;
        personnes(banc, { "2|Martin|<b>Anne</b>|F|a & b <i>c</i>", "1|Martin|Paul" },
                  "(1, '2013-03-05', 8), (1, '2013-08-06', 4)");
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(1);
        dansLOrdre(page(banc, "Chercher", "Martin"),
                   { "Recherche  de stagiaires \n", "n° identifiant = 1\n",
                     "Prenom = <b>Anne</b>\n", "Durée de stage = 6 mois\n",
                     "Commentaire = a & b <i>c</i>\n", "dates absence = 05 mars 2013 (8 heures)\n",
                     "06 août 2013 (4 heures)\n", "heures totales d'absence = 12 heures" });
        nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit")->setText("Paul");
        presser(banc, "Chercher", ok);
        vus(banc, { "I Pas de données: Vous n'avez pas de stagiaires enregistrés sous ce nom" });
        // Many employees, read whole by scrolling, each slice with its own absences.
        QStringList lot;
        for (int i = 1; i <= 45; ++i)
            lot << QString("1|Lot%1|X").arg(i);
        personnes(banc, lot, "(47, '2013-01-02', 5)");
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(0);
        const QStringList lus = page(banc, "Chercher", "Lot").split("n° identifiant = ");
        QCOMPARE(lus.size(), 46);
        QVERIFY(lus[44].contains("Pas d'absence") && lus[45].startsWith("47\n")
                && lus[45].contains("02 janvier 2013 (5 heures)"));
        // The summary's figures in its order: persons, employees by sex, interns by
        // sex, then hours of absence likewise.
        const QString bilan = page(banc, "Informations");
        QVERIFY(bilan.startsWith("Informations sur employés et les stagiaires\n"));
        QStringList chiffres;
        for (const auto &m : QRegularExpression("= (\\d+)").globalMatch(bilan))
            chiffres << m.captured(1);
        QCOMPARE(chiffres.join(' '), "47 46 46 0 1 0 1 17 5 5 0 12 0 12");
        vus(banc, {});
    }

    void addingThenDeletingAnAbsence()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" },
                  "(1, '2013-03-05', 2), (3, '2013-04-01', 3)");
        presser(banc, "Ajouter une absence", ok, [&](QDialog *d) {
            QCOMPARE(elements(nomme<QComboBox>(d, "personneBox")),
                     (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
            nomme<QComboBox>(d, "personneBox")->setCurrentIndex(1);
            nomme<QSpinBox>(d, "heureBox")->setValue(8);
            nomme<QComboBox>(d, "jourAbsenceBox")->setCurrentText("31");
            nomme<QComboBox>(d, "moisAbsenceBox")->setCurrentIndex(2);
            nomme<QComboBox>(d, "anneeAbsenceBox")->setCurrentText("2013");
            Banc::clic(boutonTexte(d, "Ajouter l'absence"));
        });
        // The delete list holds the current type's absences; No keeps, Yes deletes.
        for (const Reponses &reponses : { non, oui }) {
            presser(banc, "Supprimer une absence", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "absenceBox")),
                         (QStringList { "n°1 2 h du 05/03/2013 de Martin Anne",
                                        "n°3 8 h du 31/03/2013 de Dupont Paul" }));
                Banc::clic(boutonTexte(d, "Supprimer l'absence"));
            });
        }
        const QString question = "Q Confirmation: Voulez vous vraiment supprimer ce élément";
        vus(banc,
            { "I Ajout reussi: L'absence a été ajouté avec succes", question, question,
              "I Suppression reussie: " });
        QCOMPARE(reste(banc), "1,2,3 / 3,2");
        // Nobody of the type, no absence of the type: a box instead of the dialog.
        banc.sql("DELETE FROM employes WHERE type=2");
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(1);
        presser(banc, "Ajouter une absence", ok);
        presser(banc, "Supprimer une absence", ok);
        vus(banc,
            { "I Aucune donnée: Vous n'avez pas de stagiaires enregistré",
              "I Aucune donnée: Aucun stagiaire n'a fait une absence" });
    }

    void deletingAPersonEditingTheGridEmptyingTheInterns()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" },
                  "(1, '2013-03-05', 8), (2, '2013-03-06', 2), (3, '2013-03-06', 1)");
        // No keeps, Yes deletes the person with their absences.
        for (const Reponses &reponses : { non, oui }) {
            presser(banc, "Supprimer", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "personneBox")),
                         (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
                Banc::clic(boutonTexte(d, "Supprimer"));
            });
        }
        const QString question = "Q confirmation: Voulez vous vraiment supprimé l'élément "
                                 "<strong>n°1</strong>";
        vus(banc, { question, question, "I Suppression reussie: " });
        // The grid: "Annuler" puts edits back; a number taken writes nothing.
        presser(banc, "Afficher et/ou modifier", ok + ok, [&](QDialog *d) {
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>()));
            m->setData(m->index(0, 2), "Perdu");
            Banc::clic(boutonTexte(d, "Annuler"));
            QCOMPARE(m->index(0, 2).data().toString(), "Dupont");
            m->setData(m->index(0, 2), "Bernard");
            m->setData(m->index(0, 0), 3);
            Banc::clic(boutonTexte(d, "Valider"));
            m->setData(m->index(0, 0), 7);
            Banc::clic(boutonTexte(d, "Valider"));
        });
        vus(banc,
            { "W Modifications échouées: Vos avez mal modifié les données\nDuplicate",
              "I Modifications reussies: " });
        QCOMPARE(reste(banc), "3,7 / 2,3");
        QCOMPARE(propositions(banc), "Bernard|Paul|Dupont Paul");
        // Emptying the interns: No keeps them, Yes deletes them with their absences.
        nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(1);
        presser(banc, "Vider", non);
        presser(banc, "Vider", oui);
        const QString vider =
            "Q confirmation: Voulez vous vraiment supprimé les <strong>stagiaires</strong>";
        vus(banc, { vider, vider, "I Vidage reussi reussie: " });
        QCOMPARE(reste(banc), "7 / 2");
        QCOMPARE(propositions(banc), "");
        presser(banc, "Supprimer", ok);
        vus(banc, { "I Aucune donnée: Vous n'avez pas de stagiaires à supprimer" });
    }
};

QTEST_MAIN(TestEmployes)
#include "tst_employes.moc"
