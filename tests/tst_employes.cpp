#include "commun/grilles.h"
#include "support/banc.h"

#include <QtSql>
#include <QtWidgets>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
using Lignes = QList<QVariantList>;
const Reponses ok = { QMessageBox::Ok }, oui = { QMessageBox::Yes, QMessageBox::Ok };
const Reponses non = { QMessageBox::No };
const QString ajoutReussi = "I Ajout reussi: Vos données ont été enregistrées avec succes";
const QString supprime = "I Suppression reussie: L'élément a été supprimé avec succes";
const QString bloque = "CREATE TRIGGER bloque BEFORE DELETE ON %1 FOR EACH ROW SIGNAL SQLSTATE "
                       "'45000'";

void choisirType(Banc &banc, int index)
{
    nomme<QComboBox>(&banc.fenetre(), "typeCombo")->setCurrentIndex(index);
}

// The search field's proposals, joined by '|'.
QString propositions(Banc &banc)
{
    return propositions(nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit")).join('|');
}

// The boxes shown since the last call, then any window amiss.
QStringList vu(Banc &banc)
{
    const QStringList lignes = banc.pilote.vues() + banc.pilote.anomalies();
    banc.pilote.effacer();
    return lignes;
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
    banc.lancer(panneauEmployes, bouton, action ? puisFermer : std::function<void(QDialog *)>(),
                reponses);
}

// A command's window title and page, every row written out, as the reader sees them.
QString page(Banc &banc, const QString &bouton)
{
    QString lu;
    presser(banc, bouton, {}, [&](QDialog *d) { lu = d->windowTitle() + '\n' + textePage(d); });
    return lu;
}

// The search page for a text; with `rien`, the box shown instead.
QString chercher(Banc &banc, const QString &texte, bool rien = false)
{
    nomme<QLineEdit>(&banc.fenetre(), "employeRechercheEdit")->setText(texte);
    if (!rien)
        return page(banc, "Chercher");
    presser(banc, "Chercher", ok);
    return vu(banc).join('\n');
}

// Persons numbered from 1: "type|nom|prenom[|sexe|commentaire]"; interns for 6 months.
void personnes(Banc &banc, const QStringList &liste)
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
}

// "(employe_id, 'date', heures), ..."
void absences(Banc &banc, const QString &valeurs)
{
    banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES " + valeurs);
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
        choisirType(banc, 1);
        presser(banc, "Ajouter", ok + ok + ok, [&](QDialog *d) {
            nomme<QLineEdit>(d, "nomEdit")->setText("O'Brien");
            nomme<QLineEdit>(d, "prenomEdit")->setText("Anne");
            nomme<QTextEdit>(d, "employeCommentaireEdit")->setPlainText("l 1\nl 2");
            Banc::clic(boutonTexte(d, "Enregistrer")); // the field of work is required
            nomme<QLineEdit>(d, "domaineEdit")->setText("Vente");
            nomme<QComboBox>(d, "jourDebutBox")->setCurrentIndex(30);
            nomme<QComboBox>(d, "moisDebutBox")->setCurrentIndex(1);
            nomme<QComboBox>(d, "anneeDebutBox")->setCurrentText("2013");
            Banc::clic(boutonTexte(d, "Enregistrer")); // 31 February
            nomme<QComboBox>(d, "moisDebutBox")->setCurrentIndex(7);
            nomme<QSpinBox>(d, "dureeBox")->setValue(6);
            nomme<QRadioButton>(d, "femininButton")->setChecked(true);
            Banc::clic(boutonTexte(d, "Enregistrer"));
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(banc.pilote.boites.value(2).parent, "Ajouter un stagiaire");
        QCOMPARE(vu(banc),
                 (QStringList { "C Erreur de remplissage: Vous devez remplir tous les champs "
                                "obligatoires",
                                "W Ajout échoué: La tentative d'enregistrement des données a "
                                "échouée\nLe 31 février 2013 n'existe pas (date d'embouche ou "
                                "debut de stage)",
                                ajoutReussi }));
        QCOMPARE(banc.lignes("SELECT type, nom_prenom, sexe, date_naissance, date_embouche, "
                             "duree, date_fin, commentaire FROM employes WHERE id=2"),
                 (Lignes { { 2, "O'Brien Anne", "F", QDate(1950, 1, 1), QDate(2013, 8, 31), 6,
                             QDate(2014, 2, 28), "l 1\nl 2" } }));
        // The search field offers the names of the current type only.
        QCOMPARE(propositions(banc), "O'Brien|Anne|O'Brien Anne");
    }

    void searchShowsEachRecordWithItsAbsences()
    {
        Banc banc;
        personnes(banc, { "2|Martin|<b>Anne</b>|F|a & b <i>c</i>", "1|Martin|Paul" });
        absences(banc, "(1, '2013-03-05', 8), (1, '2013-08-06', 4)");
        choisirType(banc, 1);
        const QLocale l;
        dansLOrdre(chercher(banc, "Martin"),
                   { "Recherche  de stagiaires \n", "n° identifiant = 1\n", "Statut = Stagiaire\n",
                     "Nom = Martin\n", "Prenom = <b>Anne</b>\n", "sexe = F\n",
                     "date de naissance = " + l.toString(QDate(1980, 5, 4), "le dd MMMM yyyy"),
                     "date d'embouche ou debut de stage = "
                         + l.toString(QDate(2012, 1, 2), "le dd MMMM yyyy"),
                     "Durée de stage = 6 mois\n",
                     "Fin de stage = " + l.toString(QDate(2012, 7, 2), "le dd MMMM yyyy"),
                     "Commentaire = a & b <i>c</i>\n", "dates absence = 05 mars 2013 (8 heures)\n",
                     "06 août 2013 (4 heures)\n", "heures totales d'absence = 12 heures" });
        QCOMPARE(chercher(banc, "Paul", true),
                 "I Pas de données: Vous n'avez pas de stagiaires enregistrés sous ce nom");
        // Many employees, read whole by scrolling, each slice with its own absences.
        banc.sql("INSERT INTO employes (type, nom, prenom, nom_prenom, sexe, domaine, "
                 "date_naissance, date_embouche) SELECT 1, CONCAT('Lot', seq), 'X', "
                 "CONCAT('Lot', seq, ' X'), 'M', 'Vente', '1980-01-01', '2012-01-01' FROM "
                 "seq_1_to_45");
        absences(banc, "(47, '2013-01-02', 5)");
        choisirType(banc, 0);
        const QStringList lus = chercher(banc, "Lot").split("n° identifiant = ");
        QCOMPARE(lus.size(), 46);
        QVERIFY(lus[44].contains("Pas d'absence") && lus[45].startsWith("47\n"));
        QVERIFY(lus[45].contains("02 janvier 2013 (5 heures)"));
        QCOMPARE(vu(banc), QStringList());
    }

    void addingAnAbsence()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        presser(banc, "Ajouter une absence", ok + ok, [&](QDialog *d) {
            QCOMPARE(elements(nomme<QComboBox>(d, "personneBox")),
                     (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
            nomme<QComboBox>(d, "personneBox")->setCurrentIndex(1);
            nomme<QSpinBox>(d, "heureBox")->setValue(8);
            nomme<QComboBox>(d, "jourAbsenceBox")->setCurrentText("31");
            nomme<QComboBox>(d, "moisAbsenceBox")->setCurrentIndex(3);
            nomme<QComboBox>(d, "anneeAbsenceBox")->setCurrentText("2013");
            Banc::clic(boutonTexte(d, "Ajouter l'absence")); // 31 April
            nomme<QComboBox>(d, "moisAbsenceBox")->setCurrentIndex(2);
            Banc::clic(boutonTexte(d, "Ajouter l'absence"));
        });
        QCOMPARE(vu(banc),
                 (QStringList { "W Erreur: L'ajout de l'absence a été échoué\nLe 31 avril 2013 "
                                "n'existe pas (date de l'absence)",
                                "I Ajout reussi: L'absence a été ajouté avec succes" }));
        QCOMPARE(banc.lignes("SELECT employe_id, date_absence, nbre_heure FROM absence"),
                 (Lignes { { 2, QDate(2013, 3, 31), 8 } }));
        // Nobody of the type: a box instead of the dialog.
        banc.sql("DELETE FROM employes WHERE type=2");
        choisirType(banc, 1);
        presser(banc, "Ajouter une absence", ok);
        QCOMPARE(vu(banc),
                 QStringList { "I Aucune donnée: Vous n'avez pas de stagiaires enregistré" });
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void deletingAnAbsence()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "2|Durand|Lea" });
        absences(banc, "(1, '2013-03-31', 8), (1, '2013-03-05', 2), (2, '2013-04-01', 3)");
        // The list holds the current type's absences only; No keeps, Yes deletes.
        for (const Reponses &reponses : { non, oui }) {
            presser(banc, "Supprimer une absence", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "absenceBox")),
                         (QStringList { "n°1 8 h du 31/03/2013 de Martin Anne",
                                        "n°2 2 h du 05/03/2013 de Martin Anne" }));
                Banc::clic(boutonTexte(d, "Supprimer l'absence"));
            });
        }
        const QString question = "Q Confirmation: Voulez vous vraiment supprimer ce élément";
        QCOMPARE(vu(banc), (QStringList { question, question, supprime }));
        QCOMPARE(reste(banc), QStringLiteral("1,2 / 1,2"));
        banc.sql("DELETE FROM absence WHERE employe_id=2");
        choisirType(banc, 1);
        presser(banc, "Supprimer une absence", ok);
        QCOMPARE(vu(banc), QStringList { "I Aucune donnée: Aucun stagiaire n'a fait une absence" });
    }

    void deletingAPerson()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        absences(banc, "(1, '2013-03-05', 8), (2, '2013-03-06', 2)");
        banc.fenetre().triggerType();
        auto supprimer = [&](const Reponses &reponses) {
            presser(banc, "Supprimer", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "personneBox")),
                         (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
                Banc::clic(boutonTexte(d, "Supprimer"));
            });
        };
        // Refused by the server, then No, then Yes.
        banc.sql(bloque.arg("absence"));
        supprimer(oui);
        banc.sql("DROP TRIGGER bloque");
        supprimer(non);
        supprimer(oui);
        const QString question = "Q confirmation: Voulez vous vraiment supprimé l'élément "
                                 "<strong>n°1</strong>";
        QCOMPARE(vu(banc),
                 (QStringList { question,
                                "W Suppression échouée: Impossible de supprimer l'élément choisi",
                                question, question, supprime }));
        QCOMPARE(reste(banc), QStringLiteral("2,3 / 2"));
        QCOMPARE(propositions(banc), "Dupont|Paul|Dupont Paul");
        choisirType(banc, 1);
        banc.sql("DELETE FROM employes WHERE type=2");
        presser(banc, "Supprimer", ok);
        QCOMPARE(vu(banc),
                 QStringList { "I Aucune donnée: Vous n'avez pas de stagiaires à supprimer" });
    }

    void emptyingTheInterns()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "2|Durand|Lea", "2|Petit|Luc" });
        absences(banc, "(1, '2013-03-05', 8), (2, '2013-03-06', 2)");
        choisirType(banc, 1);
        // Refused by the server, then No, then Yes.
        banc.sql(bloque.arg("employes"));
        presser(banc, "Vider", oui);
        banc.sql("DROP TRIGGER bloque");
        presser(banc, "Vider", non);
        QCOMPARE(reste(banc), QStringLiteral("1,2,3 / 1,2"));
        presser(banc, "Vider", oui);
        QCOMPARE(banc.pilote.boites.value(4).parent, "TABLORAN");
        const QString question =
            "Q confirmation: Voulez vous vraiment supprimé les <strong>stagiaires</strong>";
        const QString vide = "I Vidage reussi reussie: Votre requête a été effectuée avec succes";
        QCOMPARE(vu(banc),
                 (QStringList { question,
                                "W Vidage échoué: La resuête n'a pas été effectuée avec succes",
                                question, question, vide }));
        QCOMPARE(reste(banc), QStringLiteral("1 / 1"));
        QCOMPARE(propositions(banc), "");
    }

    void displayWritesOrDropsEditsTogether()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        presser(banc, "Afficher et/ou modifier", ok + ok, [&](QDialog *d) {
            auto *vue = d->findChild<QTableView *>();
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(vue));
            QCOMPARE(m->rowCount(), 2);
            QVERIFY(vue->isColumnHidden(1) && vue->isColumnHidden(9) && vue->isColumnHidden(10));
            m->setData(m->index(0, 2), "Perdu");
            Banc::clic(boutonTexte(d, "Annuler"));
            QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("Martin"));
            // A number taken by another person: nothing is written.
            m->setData(m->index(0, 2), "Bernard");
            m->setData(m->index(1, 0), 1);
            Banc::clic(boutonTexte(d, "Valider"));
            m->setData(m->index(1, 0), 7);
            Banc::clic(boutonTexte(d, "Valider"));
        });
        // The refusal ends with the server's reason.
        const QString raison = banc.pilote.boites.value(0).texte.section('\n', 1);
        QVERIFY(raison.contains("Duplicate"));
        QCOMPARE(
            vu(banc),
            (QStringList { "W Modifications échouées: Vos avez mal modifié les données\n" + raison,
                           "I Modifications reussies: Vos modifications ont été enregistrées "
                           "avec succes" }));
        QCOMPARE(banc.lignes("SELECT id, nom FROM employes WHERE type=1"),
                 (Lignes { { 1, "Bernard" }, { 7, "Dupont" } }));
        QVERIFY(propositions(banc).contains("Bernard"));
    }

    void summaryCountsBothTypesBySex()
    {
        Banc banc;
        personnes(banc, { "1|A|a", "1|B|b", "1|C|c|F", "2|D|d|F" });
        absences(banc, "(1, '2013-03-05', 8), (4, '2013-03-05', 4)");
        choisirType(banc, 1);
        // The figures in the page's order: persons, employees by sex, interns by
        // sex, then hours of absence likewise.
        const QString lu = page(banc, "Informations");
        QVERIFY(lu.startsWith("Informations sur employés et les stagiaires\nNombre de personnel "
                              "enregistré = 4\n"));
        QStringList chiffres;
        for (const auto &m : QRegularExpression("= (\\d+)").globalMatch(lu))
            chiffres << m.captured(1);
        QCOMPARE(chiffres.join(' '), "4 3 2 1 1 0 1 12 8 8 0 4 0 4");
        QCOMPARE(vu(banc), QStringList());
    }
};

QTEST_MAIN(TestEmployes)
#include "tst_employes.moc"
