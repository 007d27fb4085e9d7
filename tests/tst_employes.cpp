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

// The numbers listed on a search page, in order.
QList<int> numeros(const QString &page)
{
    QList<int> liste;
    const QRegularExpression motif("n° identifiant = ([0-9]+)\n");
    for (auto it = motif.globalMatch(page); it.hasNext();)
        liste << it.next().captured(1).toInt();
    return liste;
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
    void addingAPerson_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("jour"); // 0: the default start date
        QTest::addColumn<int>("mois");
        QTest::addColumn<int>("duree");
        QTest::addColumn<QDate>("fin"); // invalid: none, or refused when a day is chosen
        // Which days exist is the typed-text rules' own test.
        QTest::newRow("employee, default dates") << 0 << 0 << 0 << 0 << QDate();
        QTest::newRow("intern, 15 March + 6") << 1 << 15 << 3 << 6 << QDate(2013, 9, 15);
        QTest::newRow("intern, 31 August + 6") << 1 << 31 << 8 << 6 << QDate(2014, 2, 28);
        QTest::newRow("intern, 30 February") << 1 << 30 << 2 << 6 << QDate();
        QTest::newRow("employee, 31 April") << 0 << 31 << 4 << 0 << QDate();
    }

    void addingAPerson()
    {
        QFETCH(int, type);
        QFETCH(int, jour);
        QFETCH(int, mois);
        QFETCH(int, duree);
        QFETCH(QDate, fin);
        const bool accepte = !jour || fin.isValid();
        Banc banc;
        personnes(banc, { "1|Salarie|Jean" });
        choisirType(banc, type);
        presser(banc, "Ajouter", ok + ok, [&](QDialog *d) {
            nomme<QLineEdit>(d, "nomEdit")->setText("O'Brien");
            nomme<QLineEdit>(d, "prenomEdit")->setText("Anne");
            nomme<QTextEdit>(d, "employeCommentaireEdit")->setPlainText("l 1\nl 2");
            Banc::clic(boutonTexte(d, "Enregistrer")); // the field of work is required
            nomme<QLineEdit>(d, "domaineEdit")->setText("Vente");
            if (jour) {
                nomme<QComboBox>(d, "jourDebutBox")->setCurrentIndex(jour - 1);
                nomme<QComboBox>(d, "moisDebutBox")->setCurrentIndex(mois - 1);
                nomme<QComboBox>(d, "anneeDebutBox")->setCurrentText("2013");
            }
            if (duree)
                nomme<QSpinBox>(d, "dureeBox")->setValue(duree);
            nomme<QRadioButton>(d, "femininButton")->setChecked(true);
            Banc::clic(boutonTexte(d, "Enregistrer"));
            QCOMPARE(d->isVisible(), !accepte);
        });
        QCOMPARE(banc.pilote.boites.value(1).parent,
                 type ? "Ajouter un stagiaire" : "Ajouter un employé");
        QCOMPARE(vu(banc),
                 (QStringList { "C Erreur de remplissage: Vous devez remplir tous les champs "
                                "obligatoires",
                                accepte ? ajoutReussi
                                        : QString("W Ajout échoué: La tentative d'enregistrement "
                                                  "des données a échouée\nLe %1 %2 2013 n'existe "
                                                  "pas (date d'embouche ou debut de stage)")
                                              .arg(jour)
                                              .arg(mois == 2 ? "février" : "avril") }));
        const QDate debut =
            jour ? QDate(2013, mois, jour) : QDate(QDate::currentDate().year(), 1, 1);
        const Lignes stockees { { type + 1, "O'Brien Anne", "F", "Vente", QDate(1950, 1, 1), debut,
                                  type ? duree : -1, fin, "l 1\nl 2" } };
        QCOMPARE(banc.lignes("SELECT type, nom_prenom, sexe, domaine, date_naissance, "
                             "date_embouche, IFNULL(duree, -1), date_fin, commentaire FROM "
                             "employes WHERE id=2"),
                 accepte ? stockees : Lignes());
        // The search field offers the names of the current type only.
        const QString noms = "O'Brien|Anne|O'Brien Anne";
        if (accepte)
            QCOMPARE(propositions(banc), (type ? "" : "Salarie|Jean|Salarie Jean|") + noms);
    }

    void searchMatchesTypedTextLiterallyAndShowsItEscaped()
    {
        Banc banc;
        personnes(banc,
                  { "1|Martin|Anne", "1|Dupont|Paul", "2|Martin|Luc",
                    "1|O'Brien|<b>Sean</b>|M|a & b <i>c</i>" });
        QCOMPARE(numeros(chercher(banc, "Martin Anne")), QList<int> { 1 });
        QCOMPARE(numeros(chercher(banc, "ART")), QList<int> { 1 });
        QCOMPARE(numeros(chercher(banc, "")), (QList<int> { 1, 2, 4 }));
        const QString rien = "I Pas de données: Vous n'avez pas d'employés enregistrés sous ce nom";
        QCOMPARE(chercher(banc, "Martin An", true), rien);
        const QString trouve = chercher(banc, "O'Brien");
        QCOMPARE(numeros(trouve), QList<int> { 4 });
        QVERIFY(trouve.contains("Prenom = <b>Sean</b>"));
        QVERIFY(trouve.contains("Commentaire = a & b <i>c</i>"));
        for (const QString texte : { "%", "_", "\\", "O_Brien" })
            QCOMPARE(chercher(banc, texte, true), rien);
        choisirType(banc, 1);
        const QString stage = chercher(banc, "Martin");
        QVERIFY(stage.startsWith("Recherche  de stagiaires \n  n° identifiant = "));
        QCOMPARE(numeros(stage), QList<int> { 3 });
        QCOMPARE(chercher(banc, "Dupont", true),
                 "I Pas de données: Vous n'avez pas de stagiaires enregistrés sous ce nom");
    }

    void searchPageShowsEachRecordWithItsAbsences()
    {
        Banc banc;
        personnes(banc, { "2|Martin|Anne|F|Cheffe" });
        absences(banc, "(1, '2013-03-05', 8), (1, '2013-08-06', 4)");
        choisirType(banc, 1);
        const QLocale l;
        const QString page = chercher(banc, "Martin");
        dansLOrdre(page,
                   { "Recherche  de stagiaires \n", "n° identifiant = 1\n", "Statut = Stagiaire\n",
                     "Nom = Martin\n", "Prenom = Anne\n", "sexe = F\n",
                     "date de naissance = " + l.toString(QDate(1980, 5, 4), "le dd MMMM yyyy"),
                     "date d'embouche ou debut de stage = "
                         + l.toString(QDate(2012, 1, 2), "le dd MMMM yyyy"),
                     "Durée de stage = 6 mois\n",
                     "Fin de stage = " + l.toString(QDate(2012, 7, 2), "le dd MMMM yyyy"),
                     "Commentaire = Cheffe\n", "dates absence = 05 mars 2013 (8 heures)\n",
                     "06 août 2013 (4 heures)\n", "heures totales d'absence = 12 heures" });
        // Many employees, read whole by scrolling, each with their own absences; the
        // last one has more than a default concatenation keeps.
        banc.sql("INSERT INTO employes (type, nom, prenom, nom_prenom, sexe, domaine, "
                 "date_naissance, date_embouche) SELECT 1, CONCAT('Lot', seq), 'X', "
                 "CONCAT('Lot', seq, ' X'), 'M', 'Vente', '1980-01-01', '2012-01-01' FROM "
                 "seq_1_to_450");
        banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) SELECT id, "
                 "'2013-01-02', id % 7 + 1 FROM employes WHERE nom LIKE 'Lot%' AND id % 2 = 0 "
                 "UNION ALL SELECT 451, '2014-01-31' + INTERVAL seq DAY, 1 FROM seq_1_to_12");
        choisirType(banc, 0);
        const QStringList lus =
            chercher(banc, "Lot").split("  n° identifiant = ", Qt::SkipEmptyParts).mid(1);
        QCOMPARE(lus.size(), 450);
        for (int id = 2; id <= 451; ++id) {
            const QString absence = id == 451 ? "12 février 2014 (1 heures)\n"
                : id % 2                      ? "Pas d'absence\n  heures totales d'absence = 0"
                         : QString("02 janvier 2013 (%1 heures)").arg(id % 7 + 1);
            QVERIFY(lus[id - 2].startsWith(QString("%1\n").arg(id)));
            QVERIFY(lus[id - 2].contains("Commentaire = Pas de commentaire"));
            QVERIFY2(lus[id - 2].contains(absence) && !lus[id - 2].contains("Durée"),
                     qPrintable(lus[id - 2]));
        }
        QCOMPARE(vu(banc), QStringList());
    }

    void absencesAreAddedListedAndDeleted()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        QStringList offerts;
        for (int mois : { 4, 3, 3 }) { // 31 April, then 31 March twice
            presser(banc, "Ajouter une absence", ok, [&](QDialog *d) {
                offerts = elements(nomme<QComboBox>(d, "personneBox"));
                nomme<QSpinBox>(d, "heureBox")->setValue(8);
                nomme<QComboBox>(d, "jourAbsenceBox")->setCurrentText("31");
                nomme<QComboBox>(d, "moisAbsenceBox")->setCurrentIndex(mois - 1);
                nomme<QComboBox>(d, "anneeAbsenceBox")->setCurrentText("2013");
                Banc::clic(boutonTexte(d, "Ajouter l'absence"));
            });
        }
        QCOMPARE(offerts, (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
        const QString ajoute = "I Ajout reussi: L'absence a été ajouté avec succes";
        QCOMPARE(vu(banc),
                 (QStringList { "W Erreur: L'ajout de l'absence a été échoué\nLe 31 avril 2013 "
                                "n'existe pas (date de l'absence)",
                                ajoute, ajoute }));
        QCOMPARE(banc.lignes("SELECT employe_id, date_absence, nbre_heure FROM absence"),
                 (Lignes { { 1, QDate(2013, 3, 31), 8 }, { 1, QDate(2013, 3, 31), 8 } }));
        // The list holds the current type's absences only; No keeps, Yes deletes.
        absences(banc, "(3, '2013-04-01', 3)");
        for (const Reponses &reponses : { non, oui }) {
            presser(banc, "Supprimer une absence", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "absenceBox")),
                         (QStringList { "n°1 8 h du 31/03/2013 de Martin Anne",
                                        "n°2 8 h du 31/03/2013 de Martin Anne" }));
                Banc::clic(boutonTexte(d, "Supprimer l'absence"));
            });
        }
        const QString question = "Q Confirmation: Voulez vous vraiment supprimer ce élément";
        QCOMPARE(vu(banc), (QStringList { question, question, supprime }));
        QCOMPARE(reste(banc), QStringLiteral("1,2,3 / 1,3"));
        // Nobody of the type, or no absence of the type: a box instead of the dialog.
        banc.sql("DELETE FROM absence WHERE employe_id=3");
        choisirType(banc, 1);
        presser(banc, "Supprimer une absence", ok);
        banc.sql("DELETE FROM employes WHERE type=2");
        presser(banc, "Ajouter une absence", ok);
        QCOMPARE(vu(banc),
                 (QStringList { "I Aucune donnée: Aucun stagiaire n'a fait une absence",
                                "I Aucune donnée: Vous n'avez pas de stagiaires enregistré" }));
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void deletingAndEmptyingTakeTheAbsencesTooOrNothing()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea", "2|Petit|Luc" });
        absences(banc, "(1, '2013-03-05', 8), (2, '2013-03-06', 2), (3, '2013-03-07', 1)");
        banc.fenetre().triggerType();
        auto supprimer = [&](const Reponses &reponses) {
            presser(banc, "Supprimer", reponses, [&](QDialog *d) {
                QCOMPARE(elements(nomme<QComboBox>(d, "personneBox")),
                         (QStringList { "n°1 Martin Anne", "n°2 Dupont Paul" }));
                Banc::clic(boutonTexte(d, "Supprimer"));
            });
        };
        // The second statement fails: the first one is undone. No keeps, Yes deletes.
        banc.sql(bloque.arg("absence"));
        supprimer(oui);
        banc.sql("DROP TRIGGER bloque");
        supprimer(non);
        QCOMPARE(reste(banc), QStringLiteral("1,2,3,4 / 1,2,3"));
        supprimer(oui);
        QString question = "Q confirmation: Voulez vous vraiment supprimé l'élément "
                           "<strong>n°1</strong>";
        QCOMPARE(vu(banc),
                 (QStringList { question,
                                "W Suppression échouée: Impossible de supprimer l'élément choisi",
                                question, question, supprime }));
        QCOMPARE(reste(banc), QStringLiteral("2,3,4 / 2,3"));
        QCOMPARE(propositions(banc), "Dupont|Paul|Dupont Paul");
        // Emptying the interns, likewise; once nobody is left, it still asks and succeeds.
        choisirType(banc, 1);
        banc.sql(bloque.arg("employes"));
        presser(banc, "Vider", oui);
        banc.sql("DROP TRIGGER bloque");
        presser(banc, "Vider", non);
        QCOMPARE(reste(banc), QStringLiteral("2,3,4 / 2,3"));
        presser(banc, "Vider", oui);
        presser(banc, "Vider", oui);
        QCOMPARE(banc.pilote.boites.value(4).parent, "TABLORAN");
        question = "Q confirmation: Voulez vous vraiment supprimé les <strong>stagiaires</strong>";
        const QString vide = "I Vidage reussi reussie: Votre requête a été effectuée avec succes";
        QCOMPARE(vu(banc),
                 (QStringList { question,
                                "W Vidage échoué: La resuête n'a pas été effectuée avec succes",
                                question, question, vide, question, vide }));
        QCOMPARE(reste(banc), QStringLiteral("2 / 2"));
        QCOMPARE(propositions(banc), "");
        presser(banc, "Supprimer", ok);
        QCOMPARE(vu(banc),
                 QStringList { "I Aucune donnée: Vous n'avez pas de stagiaires à supprimer" });
    }

    void displayWritesOrDropsEditsTogether()
    {
        Banc banc;
        personnes(banc, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        presser(banc, "Afficher et/ou modifier", ok + ok, [&](QDialog *d) {
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>()));
            QCOMPARE(m->rowCount(), 2);
            m->setData(m->index(0, 2), "Perdu");
            Banc::clic(boutonTexte(d, "Annuler"));
            QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("Martin"));
            // A good edit on one row, and on another a number taken by
            // another person: nothing is written, both edits stay pending.
            m->setData(m->index(0, 2), "Bernard");
            m->setData(m->index(1, 0), 1);
            Banc::clic(boutonTexte(d, "Valider"));
            QCOMPARE(banc.valeur("SELECT GROUP_CONCAT(nom ORDER BY id) FROM employes").toString(),
                     QStringLiteral("Martin,Dupont,Durand"));
            QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("Bernard"));
            QCOMPARE(m->index(1, 0).data().toInt(), 1);
            // Corrected, both are written.
            m->setData(m->index(1, 0), 7);
            m->setData(m->index(1, 6), "Achats");
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
        QCOMPARE(banc.lignes("SELECT id, nom, nom_prenom, domaine FROM employes WHERE type=1"),
                 (Lignes { { 1, "Bernard", "Martin Anne", "Vente" },
                           { 7, "Dupont", "Dupont Paul", "Achats" } }));
        QVERIFY(propositions(banc).contains("Bernard"));
    }

    void summaryCountsBothTypesBySex()
    {
        Banc banc;
        QCOMPARE(page(banc, "Informations").count(" = 0"), 14);
        // A sex other than M or F, and an absence of nobody, count in the totals only.
        personnes(banc, { "1|A|a", "1|B|b", "1|C|c|F", "2|D|d|F", "1|E|e|X" });
        absences(banc,
                 "(1, '2013-03-05', 8), (4, '2013-03-05', 4), (5, '2013-03-05', 2), (999, "
                 "'2013-03-05', 1)");
        choisirType(banc, 1);
        // The figures in the page's order: persons, employees by sex, interns by
        // sex, then hours of absence likewise.
        const QString lu = page(banc, "Informations");
        QVERIFY(lu.startsWith("Informations sur employés et les stagiaires\nNombre de personnel "
                              "enregistré = 5\n"));
        QStringList chiffres;
        for (const auto &m : QRegularExpression("= (\\d+)").globalMatch(lu))
            chiffres << m.captured(1);
        QCOMPARE(chiffres.join(' '), "5 3 2 1 1 0 1 15 8 8 0 4 0 4");
        QCOMPARE(vu(banc), QStringList());
    }
};

QTEST_MAIN(TestEmployes)
#include "tst_employes.moc"
