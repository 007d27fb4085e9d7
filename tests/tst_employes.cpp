#include "support/banc.h"

#include <QCompleter>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QStringListModel>
#include <QTableView>
#include <QTextEdit>

namespace {

using Reponses = QList<QMessageBox::StandardButton>;
const QString groupe = QStringLiteral("Gestions des employés et des stagiaires");
const Reponses ok = { QMessageBox::Ok };
const Reponses oui = { QMessageBox::Yes, QMessageBox::Ok };

Boite info(const QString &titre, const QString &texte)
{
    return attendue(QMessageBox::Information, titre, texte);
}
Boite alerte(const QString &titre, const QString &texte)
{
    return attendue(QMessageBox::Warning, titre, texte);
}

void choisirType(Banc &banc, int index)
{
    enfantA<QComboBox>(&banc.fenetre(), QRect(10, 50, 320, 30))->setCurrentIndex(index);
}

QStringList propositions(Banc &banc)
{
    QCompleter *c = enfantA<QLineEdit>(&banc.fenetre(), QRect(90, 170, 120, 25))->completer();
    auto *modele = c ? qobject_cast<QStringListModel *>(c->model()) : nullptr;
    return modele ? modele->stringList() : QStringList();
}

// Presses a staff button; the action handles the dialog that opens (closed
// afterwards if it is still open) and the boxes are answered in order.
void presser(Banc &banc, const QString &bouton, std::function<void(QDialog *)> action,
             const Reponses &reponses = {})
{
    if (action) {
        banc.pilote.dialogue([action](QDialog *d) {
            action(d);
            if (d->isVisible())
                d->reject();
        });
    }
    for (QMessageBox::StandardButton r : reponses)
        banc.pilote.boite(r);
    Banc::clic(banc.bouton(groupe, bouton));
}

// A person stored directly (interns for 6 months); returns their number.
int personne(Banc &banc, int type, const QString &nom, const QString &prenom,
             const QString &sexe = "M", const QString &commentaire = QString())
{
    banc.fenetre().connexionEmploye();
    banc.sql(
        "INSERT INTO employes SET type=?, nom=?, prenom=?, nom_prenom=?, sexe=?, domaine='Vente', "
        "date_naissance='1980-05-04', date_embouche='2012-01-02', duree=IF(type=2, 6, NULL), "
        "date_fin=IF(type=2, '2012-07-02', NULL), commentaire=?",
        { type, nom, prenom, nom + ' ' + prenom, sexe, commentaire });
    return banc.valeur("SELECT MAX(id) FROM employes").toInt();
}

void absence(Banc &banc, int employe, const QString &date, int heures)
{
    banc.sql("INSERT INTO absence SET employe_id=?, date_absence=?, nbre_heure=?",
             { employe, date, heures });
}

// Fills the add dialog; an empty day keeps the default start date.
void remplir(QDialog *d, const QString &nom, const QString &prenom, const QString &domaine,
             const QString &jour = QString(), const QString &mois = QString(), int duree = 0)
{
    enfantA<QLineEdit>(d, QRect(70, 60, 150, 25))->setText(nom);
    enfantA<QLineEdit>(d, QRect(70, 90, 150, 25))->setText(prenom);
    enfantA<QLineEdit>(d, QRect(70, 150, 150, 25))->setText(domaine);
    if (!jour.isEmpty()) {
        enfantA<QComboBox>(d, QRect(10, 235, 50, 25))->setCurrentText(jour);
        enfantA<QComboBox>(d, QRect(70, 235, 120, 25))->setCurrentText(mois);
        enfantA<QComboBox>(d, QRect(200, 235, 80, 25))->setCurrentText("2013");
    }
    if (duree)
        enfantA<QSpinBox>(d, QRect(340, 150, 50, 25))->setValue(duree);
}

// A page that grows as the reader scrolls: scrolled to the bottom until no
// more slices arrive, then read whole.
QString pageEntiere(QScrollArea *zone)
{
    QScrollBar *barre = zone->verticalScrollBar();
    for (int tranches = 0, calme = 0; calme < 3;) {
        QCoreApplication::processEvents();
        barre->setValue(barre->maximum());
        const int n = enfants<QLabel>(zone->widget()).size();
        calme = n == tranches ? calme + 1 : 0;
        tranches = n;
    }
    QString texte;
    for (QLabel *l : enfants<QLabel>(zone->widget()))
        texte += l->text();
    return texte;
}

// The search page for a text, and its window title.
QString chercher(Banc &banc, const QString &texte, QString *titre = nullptr)
{
    enfantA<QLineEdit>(&banc.fenetre(), QRect(90, 170, 120, 25))->setText(texte);
    QString page;
    presser(banc, "Chercher", [&](QDialog *d) {
        if (titre)
            *titre = d->windowTitle();
        page = pageEntiere(d->findChild<QScrollArea *>());
    });
    return page;
}

// A search that finds nobody: the box's text.
QString chercherRien(Banc &banc, const QString &texte)
{
    banc.pilote.effacer();
    enfantA<QLineEdit>(&banc.fenetre(), QRect(90, 170, 120, 25))->setText(texte);
    presser(banc, "Chercher", nullptr, ok);
    return banc.pilote.boites.value(0).titre + " / " + banc.pilote.boites.value(0).texte + " / "
        + banc.pilote.boites.value(0).parent;
}

// The numbers listed on a search page.
QList<int> numeros(const QString &page)
{
    QList<int> liste;
    const QRegularExpression motif(QStringLiteral("n° identifiant = <strong>([0-9]+)<"));
    for (auto it = motif.globalMatch(page); it.hasNext();)
        liste << it.next().captured(1).toInt();
    return liste;
}

} // namespace

class TestEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addingAnEmployeeChecksTheFormAndStoresDefaultDates()
    {
        Banc banc;
        presser(
            banc, "Ajouter",
            [](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter un employé"));
                QVERIFY(!enfantA<QSpinBox>(d, QRect(340, 150, 50, 25)));
                // Only the name, then everything but the domain: refused, input kept.
                remplir(d, "O'Brien", "", "");
                Banc::clic(boutonTexte(d, "Enregistrer"));
                remplir(d, "O'Brien", "Anne", "");
                Banc::clic(boutonTexte(d, "Enregistrer"));
                QVERIFY(d->isVisible());
                remplir(d, "O'Brien", "Anne", "Vente");
                enfantA<QTextEdit>(d, QRect(95, 280, 270, 100))->setPlainText("ligne 1\nligne 2");
                Banc::clic(boutonTexte(d, "Enregistrer"));
                QVERIFY(!d->isVisible());
            },
            { QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite refus = attendue(QMessageBox::Critical, "Erreur de remplissage",
                                     "Vous devez remplir tous les champs obligatoires");
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     refus, refus,
                     info("Ajout reussi", "Vos données ont été enregistrées avec succes") }));
        QCOMPARE(banc.pilote.boites.at(2).parent, QStringLiteral("Ajouter un employé"));

        const QString annee = QString::number(QDate::currentDate().year());
        QCOMPARE(
            banc.lignes("SELECT type, nom_prenom, sexe, domaine, CONCAT(date_naissance, ' ', "
                        "date_embouche), "
                        "duree IS NULL AND date_fin IS NULL, commentaire FROM employes"),
            (QList<QVariantList> { { 1, "O'Brien Anne", "M", "Vente",
                                     "1950-01-01 " + annee + "-01-01", 1, "ligne 1\nligne 2" } }));
        QCOMPARE(propositions(banc), (QStringList { "O'Brien", "Anne", "O'Brien Anne" }));
    }

    void internEndDateCountsCalendarMonths_data()
    {
        QTest::addColumn<QString>("jour");
        QTest::addColumn<QString>("mois");
        QTest::addColumn<int>("duree");
        QTest::addColumn<QDate>("fin");
        QTest::newRow("15 March + 6") << "15"
                                      << "Mars" << 6 << QDate(2013, 9, 15);
        QTest::newRow("31 August + 6") << "31"
                                       << "Août" << 6 << QDate(2014, 2, 28);
        QTest::newRow("31 January + 1") << "31"
                                        << "Janvier" << 1 << QDate(2013, 2, 28);
    }

    void internEndDateCountsCalendarMonths()
    {
        QFETCH(QString, jour);
        QFETCH(QString, mois);
        QFETCH(int, duree);
        QFETCH(QDate, fin);
        Banc banc;
        personne(banc, 1, "Salarie", "Jean");
        choisirType(banc, 1);
        presser(
            banc, "Ajouter",
            [&](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter un stagiaire"));
                remplir(d, "Durand", "Lea", "Info", jour, mois, duree);
                enfantA<QRadioButton>(d, QRect(170, 120, 100, 25))->setChecked(true);
                Banc::clic(boutonTexte(d, "Enregistrer"));
            },
            ok);
        QCOMPARE(banc.pilote.boites.value(0).titre, QStringLiteral("Ajout reussi"));
        QCOMPARE(banc.lignes("SELECT type, sexe, DAY(date_embouche), duree, date_fin FROM employes "
                             "WHERE nom='Durand'"),
                 (QList<QVariantList> { { 2, "F", jour.toInt(), duree, fin } }));
        // The search field offers the interns' names only.
        QCOMPARE(propositions(banc), (QStringList { "Durand", "Lea", "Durand Lea" }));
    }

    void impossibleDayIsRefused_data()
    {
        QTest::addColumn<QString>("jour");
        QTest::addColumn<QString>("mois");
        QTest::addColumn<int>("type");
        QTest::newRow("31 Fevrier") << "31"
                                    << "Fevrier" << 0;
        QTest::newRow("30 Fevrier, intern") << "30"
                                            << "Fevrier" << 1;
        QTest::newRow("31 Avril") << "31"
                                  << "Avril" << 0;
    }

    void impossibleDayIsRefused()
    {
        QFETCH(QString, jour);
        QFETCH(QString, mois);
        QFETCH(int, type);
        Banc banc;
        choisirType(banc, type);
        presser(
            banc, "Ajouter",
            [&](QDialog *d) {
                remplir(d, "Martin", "Anne", "Vente", jour, mois);
                Banc::clic(boutonTexte(d, "Enregistrer"));
                QVERIFY(d->isVisible());
            },
            ok);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites,
                 QList<Boite> { alerte("Ajout échoué",
                                       "La tentative d'enregistrement des données a échouée") });
        QCOMPARE(banc.compte("employes"), 0);
    }

    void searchFindsByPartOfANameOrTheWholeCombinedName()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne");
        const int paul = personne(banc, 1, "Dupont", "Paul");
        const int luc = personne(banc, 2, "Martin", "Luc");
        QCOMPARE(numeros(chercher(banc, "Martin Anne")), QList<int> { anne });
        QCOMPARE(numeros(chercher(banc, "ART")), QList<int> { anne });
        QCOMPARE(numeros(chercher(banc, "")), (QList<int> { anne, paul }));
        QCOMPARE(chercherRien(banc, "Martin An"),
                 QStringLiteral("Pas de données / Vous n'avez pas d'employés enregistrés sous ce "
                                "nom / Recherche  d'employés "));

        // Interns only, with their internship lines.
        choisirType(banc, 1);
        QString titre;
        const QString page = chercher(banc, "Martin", &titre);
        QCOMPARE(titre, QStringLiteral("Recherche  de stagiaires "));
        QCOMPARE(numeros(page), QList<int> { luc });
        QVERIFY(page.contains("Statut = <strong>Stagiaire</strong><br/>"));
        QVERIFY(page.contains("&nbsp;&nbsp;Durée de stage = <strong>6 "
                              "mois</strong><br/>&nbsp;&nbsp;Fin de stage = <strong>"
                              + QLocale().toString(QDate(2012, 7, 2), "le dd MMMM yyyy")
                              + "</strong><br/>"));
        QVERIFY(chercherRien(banc, "Dupont")
                    .contains("Vous n'avez pas de stagiaires enregistrés sous ce nom"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void searchTakesTypedTextLiterallyAndShowsItEscaped()
    {
        Banc banc;
        const int obrien = personne(banc, 1, "O'Brien", "<b>Sean</b>", "M", "a & b <i>c</i>");
        personne(banc, 1, "Cent", "Pour");
        const QString page = chercher(banc, "O'Brien");
        QCOMPARE(numeros(page), QList<int> { obrien });
        QVERIFY(texteVisible(page).contains("Prenom = <b>Sean</b>"));
        QVERIFY(texteVisible(page).contains("Commentaire = a & b <i>c</i>"));
        QCOMPARE(numeros(chercher(banc, "<b>")), QList<int> { obrien });
        // Wildcards and the escape character are plain characters.
        for (const QString texte : { "%", "_", "\\", "O_Brien" })
            QVERIFY2(chercherRien(banc, texte).startsWith("Pas de données"), qPrintable(texte));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void searchPageShowsEachRecordWithItsAbsences()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne", "F", "Cheffe");
        const int marc = personne(banc, 1, "Martin", "Marc");
        const int autre = personne(banc, 1, "Autre", "Martin");
        absence(banc, anne, "2013-03-05", 8);
        absence(banc, anne, "2013-08-06", 4);
        for (int jour = 1; jour <= 12; ++jour)
            absence(banc, autre, QStringLiteral("2014-02-%1").arg(jour, 2, 10, QLatin1Char('0')),
                    1);

        const QString page = chercher(banc, "Martin");
        QCOMPARE(numeros(page), (QList<int> { anne, marc, autre }));
        const QLocale l;
        const QString blocAnne = "&nbsp;&nbsp;n° identifiant = <strong>" + QString::number(anne)
            + "</strong><br/>&nbsp;&nbsp;Statut = <strong>Employé</strong><br/>&nbsp;&nbsp;Nom = "
              "<strong>Martin</strong><br/>"
              "&nbsp;&nbsp;Prenom = <strong>Anne</strong><br/>&nbsp;&nbsp;sexe = "
              "<strong>F</strong><br/>&nbsp;&nbsp;date de "
              "naissance = <strong>"
            + l.toString(QDate(1980, 5, 4), "le dd MMMM yyyy")
            + "</strong><br/>&nbsp;&nbsp;date d'embouche ou debut de stage = <strong>"
            + l.toString(QDate(2012, 1, 2), "le dd MMMM yyyy")
            + "</strong><br/>&nbsp;&nbsp;Commentaire = "
              "<strong>Cheffe</strong><br/>&nbsp;&nbsp;dates absence = <strong>05 "
              "mars 2013 (8 heures)<br/>"
            + QString("&nbsp;").repeated(28)
            + "06 août 2013 (4 heures)</strong><br>&nbsp;&nbsp;heures totales d'absence = "
              "<strong>12</strong> "
              "heures<br/><br/><hr/>";
        QCOMPARE(page.left(blocAnne.size()), blocAnne);

        // Without absences nor comment; and a long list of absences shown whole.
        const QString blocMarc = page.mid(page.indexOf(QStringLiteral("<strong>%1<").arg(marc)));
        QVERIFY(blocMarc.contains(
            "Commentaire = <strong>Pas de commentaire</strong><br/>&nbsp;&nbsp;dates absence = "
            "<strong>Pas d'absence</strong><br>&nbsp;&nbsp;heures totales d'absence = "
            "<strong>0</strong>"));
        QVERIFY(!blocMarc.contains("Durée de stage"));
        const QString blocAutre = page.mid(page.indexOf(QStringLiteral("<strong>%1<").arg(autre)));
        QCOMPARE(blocAutre.count(" (1 heures)"), 12);
        QVERIFY(blocAutre.contains("12 février 2014 (1 heures)</strong><br>"));

        // A long result is read whole by scrolling, each person with their own absences.
        banc.sql("INSERT INTO employes (type, nom, prenom, nom_prenom, sexe, domaine, "
                 "date_naissance, date_embouche) SELECT 1, CONCAT('Lot', seq), 'X', "
                 "CONCAT('Lot', seq, ' X'), 'M', 'Vente', '1980-01-01', '2012-01-01' FROM "
                 "seq_1_to_450");
        banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) SELECT id, "
                 "'2013-01-02', id % 7 + 1 FROM employes WHERE nom LIKE 'Lot%' AND id % 2 = 0");
        const QString longue = chercher(banc, "Lot");
        const QList<int> lot = numeros(longue);
        QCOMPARE(lot.size(), 450);
        const QStringList blocs = longue.split("<hr/>", Qt::SkipEmptyParts);
        for (int i = 0; i < lot.size(); ++i) {
            const QString attendu = lot[i] % 2
                ? QStringLiteral("<strong>Pas d'absence</strong>")
                : QStringLiteral("02 janvier 2013 (%1 heures)").arg(lot[i] % 7 + 1);
            QVERIFY2(blocs.value(i).contains(attendu), qPrintable(blocs.value(i)));
        }
    }

    void absencesAreAddedListedAndDeleted()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne");
        const int paul = personne(banc, 1, "Dupont", "Paul");
        const int lea = personne(banc, 2, "Durand", "Lea");

        // 31 "Avril" is refused; 8 hours on 5 March 2013 for Anne, twice, are stored.
        auto ajouter = [&](const QString &jour, const QString &mois) {
            presser(
                banc, "Ajouter une absence",
                [&](QDialog *d) {
                    QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter une absence à un employé"));
                    QComboBox *personnes = enfantA<QComboBox>(d, QRect(130, 80, 150, 25));
                    QCOMPARE(elements(personnes),
                             (QStringList { QStringLiteral("n°%1 Martin Anne").arg(anne),
                                            QStringLiteral("n°%1 Dupont Paul").arg(paul) }));
                    enfantA<QSpinBox>(d, QRect(140, 50, 80, 25))->setValue(8);
                    enfantA<QComboBox>(d, QRect(60, 110, 50, 25))->setCurrentText(jour);
                    enfantA<QComboBox>(d, QRect(120, 110, 120, 25))->setCurrentText(mois);
                    enfantA<QComboBox>(d, QRect(250, 110, 50, 25))->setCurrentText("2013");
                    Banc::clic(boutonTexte(d, "Ajouter l'absence"));
                },
                ok);
        };
        ajouter("31", "Avril");
        ajouter("05", "Mars");
        ajouter("05", "Mars");
        const Boite reussi = info("Ajout reussi", "L'absence a été ajouté avec succes");
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { alerte("Erreur", "L'ajout de l'absence a été échoué"), reussi,
                                 reussi }));
        QCOMPARE(banc.lignes("SELECT employe_id, date_absence, nbre_heure FROM absence"),
                 (QList<QVariantList> { { anne, QDate(2013, 3, 5), 8 },
                                        { anne, QDate(2013, 3, 5), 8 } }));

        // The list shows the current type's absences only; No keeps, Yes deletes.
        absence(banc, lea, "2013-04-01", 3);
        const int premiere = banc.valeur("SELECT MIN(id) FROM absence").toInt();
        banc.pilote.effacer();
        for (const Reponses &reponses : { Reponses { QMessageBox::No }, oui }) {
            presser(
                banc, "Supprimer une absence",
                [&](QDialog *d) {
                    QComboBox *liste = enfantA<QComboBox>(d, QRect(60, 60, 260, 25));
                    QCOMPARE(liste->count(), 2);
                    QCOMPARE(liste->itemText(0),
                             QStringLiteral("n°%1 8 h du 05/03/2013 de Martin Anne").arg(premiere));
                    Banc::clic(boutonTexte(d, "Supprimer l'absence"));
                },
                reponses);
        }
        const Boite confirmation = attendue(QMessageBox::Question, "Confirmation",
                                            "Voulez vous vraiment supprimer ce élément");
        QCOMPARE(
            banc.pilote.boites,
            (QList<Boite> { confirmation, confirmation,
                            info("Suppression reussie", "L'élément a été supprimé avec succes") }));
        QCOMPARE(
            banc.valeur(QStringLiteral("SELECT COUNT(*) FROM absence WHERE id=%1").arg(premiere))
                .toInt(),
            0);
        QCOMPARE(banc.compte("absence"), 2);

        // Nobody of the type, or no absence of the type: a box instead of the dialog.
        banc.sql("DELETE FROM absence WHERE employe_id=?", { lea });
        choisirType(banc, 1);
        banc.pilote.effacer();
        presser(banc, "Supprimer une absence", nullptr, ok);
        banc.sql("DELETE FROM employes WHERE type=2");
        presser(banc, "Ajouter une absence", nullptr, ok);
        QCOMPARE(
            banc.pilote.boites,
            (QList<Boite> { info("Aucune donnée", "Aucun stagiaire n'a fait une absence"),
                            info("Aucune donnée", "Vous n'avez pas de stagiaires enregistré") }));
        QCOMPARE(banc.pilote.boites.at(1).parent,
                 QStringLiteral("Ajouter une absence à un stagiaire"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
    }

    void deletingAPersonTakesOnlyTheirAbsences()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne");
        const int paul = personne(banc, 1, "Dupont", "Paul");
        absence(banc, anne, "2013-03-05", 8);
        absence(banc, paul, "2013-03-06", 2);
        banc.fenetre().triggerType();
        for (const Reponses &reponses : { Reponses { QMessageBox::No }, oui }) {
            presser(
                banc, "Supprimer",
                [&](QDialog *d) {
                    QCOMPARE(d->windowTitle(), QStringLiteral("Supprimer un employé"));
                    QCOMPARE(elements(enfantA<QComboBox>(d, QRect(10, 70, 150, 25))),
                             (QStringList { QStringLiteral("n°%1 Martin Anne").arg(anne),
                                            QStringLiteral("n°%1 Dupont Paul").arg(paul) }));
                    Banc::clic(boutonTexte(d, "Supprimer"));
                },
                reponses);
            QCOMPARE(banc.compte("employes"), reponses.size() == 1 ? 2 : 1);
        }
        const Boite question =
            attendue(QMessageBox::Question, "confirmation",
                     QStringLiteral("Voulez vous vraiment supprimé l'élément <strong>n°%1</strong>")
                         .arg(anne));
        QCOMPARE(
            banc.pilote.boites,
            (QList<Boite> { question, question,
                            info("Suppression reussie", "L'élément a été supprimé avec succes") }));
        QCOMPARE(banc.lignes("SELECT id FROM employes"), QList<QVariantList> { { paul } });
        QCOMPARE(banc.lignes("SELECT employe_id FROM absence"), QList<QVariantList> { { paul } });
        QCOMPARE(propositions(banc), (QStringList { "Dupont", "Paul", "Dupont Paul" }));

        choisirType(banc, 1);
        banc.pilote.effacer();
        presser(banc, "Supprimer", nullptr, ok);
        QCOMPARE(
            banc.pilote.boites,
            QList<Boite> { info("Aucune donnée", "Vous n'avez pas de stagiaires à supprimer") });
        QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("Supprimer un stagiaire"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void emptyingInternsKeepsEmployees()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne");
        const int lea = personne(banc, 2, "Durand", "Lea");
        personne(banc, 2, "Petit", "Luc");
        absence(banc, anne, "2013-03-05", 8);
        absence(banc, lea, "2013-03-06", 2);
        choisirType(banc, 1);
        presser(banc, "Vider", nullptr, { QMessageBox::No });
        QCOMPARE(banc.compte("employes") + banc.compte("absence"), 5);
        presser(banc, "Vider", nullptr, oui);
        // Once nobody is left, emptying still asks, then reports success.
        presser(banc, "Vider", nullptr, oui);
        const Boite question =
            attendue(QMessageBox::Question, "confirmation",
                     "Voulez vous vraiment supprimé les <strong>stagiaires</strong>");
        const Boite reussi =
            info("Vidage reussi reussie", "Votre requête a été effectuée avec succes");
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { question, question, reussi, question, reussi }));
        QCOMPARE(banc.pilote.boites.at(2).parent, QStringLiteral("TABLORAN"));
        QCOMPARE(banc.lignes("SELECT id FROM employes"), QList<QVariantList> { { anne } });
        QCOMPARE(banc.lignes("SELECT employe_id FROM absence"), QList<QVariantList> { { anne } });
        QCOMPARE(propositions(banc), QStringList());
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void failedDeletionsLeavePersonsAndAbsencesTogether()
    {
        Banc banc;
        absence(banc, personne(banc, 1, "Martin", "Anne"), "2013-03-05", 8);
        const QString bloque =
            "CREATE TRIGGER bloque BEFORE DELETE ON %1 FOR EACH ROW SIGNAL SQLSTATE '45000'";

        // The absences cannot go: the person stays too.
        banc.sql(bloque.arg("absence"));
        presser(
            banc, "Supprimer", [](QDialog *d) { Banc::clic(boutonTexte(d, "Supprimer")); }, oui);
        QCOMPARE(banc.pilote.boites.value(1),
                 alerte("Suppression échouée", "Impossible de supprimer l'élément choisi"));
        QCOMPARE(banc.compte("employes") + banc.compte("absence"), 2);

        // The persons cannot go: their absences stay too.
        banc.sql("DROP TRIGGER bloque");
        banc.sql(bloque.arg("employes"));
        banc.pilote.effacer();
        presser(banc, "Vider", nullptr, oui);
        QCOMPARE(banc.pilote.boites.value(1),
                 alerte("Vidage échoué", "La resuête n'a pas été effectuée avec succes"));
        QCOMPARE(banc.compte("employes") + banc.compte("absence"), 2);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void displayWritesOrDropsEditsTogether()
    {
        Banc banc;
        const int anne = personne(banc, 1, "Martin", "Anne");
        const int paul = personne(banc, 1, "Dupont", "Paul");
        personne(banc, 2, "Durand", "Lea");
        presser(banc, "Afficher et/ou modifier",
                [&](QDialog *d) {
                    QCOMPARE(d->windowTitle(),
                             QStringLiteral("Affichage et modification des employés"));
                    auto *vue = enfantA<QTableView>(d, QRect(0, 50, 500, 310));
                    auto *modele = qobject_cast<QSqlTableModel *>(vue->model());
                    QCOMPARE(modele->rowCount(), 2);
                    QVERIFY(vue->isColumnHidden(1) && vue->isColumnHidden(9)
                            && vue->isColumnHidden(10));
                    // "Annuler" drops the edits; "Valider" writes them.
                    modele->setData(modele->index(0, 2), "Perdu");
                    Banc::clic(boutonTexte(d, "Annuler"));
                    QCOMPARE(modele->index(0, 2).data().toString(), QStringLiteral("Martin"));
                    modele->setData(modele->index(0, 2), "Bernard");
                    modele->setData(modele->index(1, 6), "Achats");
                    Banc::clic(boutonTexte(d, "Valider"));
                    // A number taken by another person is refused; the edit stays pending.
                    modele->setData(modele->index(1, 0), anne);
                    Banc::clic(boutonTexte(d, "Valider"));
                    QCOMPARE(modele->index(1, 0).data().toInt(), anne);
                },
                { QMessageBox::Ok, QMessageBox::Ok });
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     info("Modifications reussies",
                          "Vos modifications ont été enregistrées avec succes"),
                     alerte("Modifications échouées", "Vos avez mal modifié les données") }));
        QCOMPARE(
            banc.lignes(
                QStringLiteral("SELECT nom, nom_prenom, domaine FROM employes WHERE id IN (%1, %2)")
                    .arg(anne)
                    .arg(paul)),
            (QList<QVariantList> { { "Bernard", "Martin Anne", "Vente" },
                                   { "Dupont", "Dupont Paul", "Achats" } }));
        QVERIFY(propositions(banc).contains("Bernard")
                && propositions(banc).contains("Martin Anne"));

        choisirType(banc, 1);
        presser(banc, "Afficher et/ou modifier", [](QDialog *d) {
            auto *vue = enfantA<QTableView>(d, QRect(0, 50, 500, 310));
            QCOMPARE(vue->model()->rowCount(), 1);
            QVERIFY(vue->isColumnHidden(1) && !vue->isColumnHidden(9) && !vue->isColumnHidden(10));
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void summaryCountsBothTypesBySex()
    {
        Banc banc;
        auto resume = [&] {
            QString texte;
            presser(banc, "Informations", [&](QDialog *d) {
                texte = texteVisible(
                    qobject_cast<QLabel *>(d->findChild<QScrollArea *>()->widget())->text());
            });
            return texte.replace(QChar(0xa0), ' ').split('\n');
        };
        const QStringList vide = resume();
        QCOMPARE(vide.value(0), QStringLiteral("Nombre de personnel enregistré = 0"));
        QCOMPARE(vide.value(11),
                 QStringLiteral("Somme totale d'heure absence enregistrée = 0 heures"));

        // A sex other than M or F, and an absence of nobody, count in the totals only.
        const int homme = personne(banc, 1, "A", "a", "M");
        personne(banc, 1, "B", "b", "M");
        personne(banc, 1, "C", "c", "F");
        const int stagiaire = personne(banc, 2, "D", "d", "F");
        absence(banc, homme, "2013-03-05", 8);
        absence(banc, stagiaire, "2013-03-05", 4);
        absence(banc, personne(banc, 1, "E", "e", "X"), "2013-03-05", 2);
        absence(banc, 9999, "2013-03-05", 1);
        choisirType(banc, 1);
        QCOMPARE(resume(),
                 (QStringList { "Nombre de personnel enregistré = 5",
                                "",
                                "    Le nombre d'employés = 3",
                                "       Sexe masculin = 2",
                                "       Sexe feminin = 1",
                                "",
                                "    Le nombre de stagiaires = 1",
                                "       Sexe masculin = 0",
                                "       Sexe feminin = 1",
                                "",
                                "",
                                "Somme totale d'heure absence enregistrée = 15 heures",
                                "",
                                "    Somme totale d'heure d'absence des employés = 8 heures",
                                "       Sexe masculin = 8 heures",
                                "       Sexe feminin = 0 heures",
                                "",
                                "    Somme totale d'heure d'absence des stagiaires = 4 heures",
                                "       Sexe masculin = 0 heures",
                                "       Sexe feminin = 4 heures" }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestEmployes)
#include "tst_employes.moc"
