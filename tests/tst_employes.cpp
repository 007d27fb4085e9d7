#include "support/banc.h"

#include <QCompleter>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QStringListModel>
#include <QTableView>
#include <QTextEdit>

namespace {

const QString groupe = QStringLiteral("Gestions des employés et des stagiaires");

QComboBox *typeCombo(Banc &banc)
{
    return enfantA<QComboBox>(&banc.fenetre(), QRect(10, 50, 320, 30));
}

QLineEdit *champRecherche(Banc &banc)
{
    return enfantA<QLineEdit>(&banc.fenetre(), QRect(90, 170, 120, 25));
}

QStringList propositions(Banc &banc)
{
    QLineEdit *champ = champRecherche(banc);
    if (!champ->completer())
        return {};
    auto *modele = qobject_cast<QStringListModel *>(champ->completer()->model());
    return modele ? modele->stringList() : QStringList();
}

// A person stored directly; returns their number.
int personne(Banc &banc, int type, const QString &nom, const QString &prenom,
             const QString &sexe = QStringLiteral("M"), const QString &commentaire = QString())
{
    banc.sql(
        QStringLiteral("INSERT INTO employes SET type=?, nom=?, prenom=?, nom_prenom=?, sexe=?, "
                       "domaine='Vente', date_naissance='1980-05-04', date_embouche='2012-01-02', "
                       "duree=?, date_fin=?, commentaire=?"),
        { type, nom, prenom, nom + QLatin1Char(' ') + prenom, sexe,
          type == 2 ? QVariant(6) : QVariant(QMetaType::fromType<int>()),
          type == 2 ? QVariant(QDate(2012, 7, 2)) : QVariant(QMetaType::fromType<QDate>()),
          commentaire });
    return banc.valeur(QStringLiteral("SELECT MAX(id) FROM employes")).toInt();
}

int absence(Banc &banc, int employe, const QString &date, int heures)
{
    banc.sql(QStringLiteral("INSERT INTO absence SET employe_id=?, date_absence=?, nbre_heure=?"),
             { employe, date, heures });
    return banc.valeur(QStringLiteral("SELECT MAX(id) FROM absence")).toInt();
}

Banc &pret(Banc &banc)
{
    if (!banc.fenetre().connexionEmploye())
        qFatal("no staff tables");
    return banc;
}

// The add dialog, filled in.
struct Formulaire
{
    Formulaire(const QString &n, const QString &p, const QString &d, const QString &c = QString())
        : nom(n)
        , prenom(p)
        , domaine(d)
        , commentaire(c)
    {
    }
    // An intern, or a start date other than the default.
    Formulaire &debut(const QString &jour, const QString &mois, bool femme = false, int mois_ = 0)
    {
        jourDebut = jour;
        moisDebut = mois;
        anneeDebut = QStringLiteral("2013");
        feminin = femme;
        duree = mois_;
        return *this;
    }
    QString nom, prenom, domaine, commentaire;
    bool feminin = false;
    QString jourDebut, moisDebut, anneeDebut;
    int duree = 0;
};

void remplir(QDialog *d, const Formulaire &f)
{
    enfantA<QLineEdit>(d, QRect(70, 60, 150, 25))->setText(f.nom);
    enfantA<QLineEdit>(d, QRect(70, 90, 150, 25))->setText(f.prenom);
    enfantA<QLineEdit>(d, QRect(70, 150, 150, 25))->setText(f.domaine);
    enfantA<QTextEdit>(d, QRect(95, 280, 270, 100))->setPlainText(f.commentaire);
    if (f.feminin)
        enfantA<QRadioButton>(d, QRect(170, 120, 100, 25))->setChecked(true);
    if (!f.jourDebut.isEmpty()) {
        enfantA<QComboBox>(d, QRect(10, 235, 50, 25))->setCurrentText(f.jourDebut);
        enfantA<QComboBox>(d, QRect(70, 235, 120, 25))->setCurrentText(f.moisDebut);
        enfantA<QComboBox>(d, QRect(200, 235, 80, 25))->setCurrentText(f.anneeDebut);
    }
    if (f.duree)
        enfantA<QSpinBox>(d, QRect(340, 150, 50, 25))->setValue(f.duree);
}

// The search page for a text, or an empty string when a box answers instead
// (rien: the box is expected).
QString chercher(Banc &banc, const QString &texte, QString *titre = nullptr, bool rien = false)
{
    champRecherche(banc)->setText(texte);
    QString page;
    if (rien) {
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Chercher")));
        return page;
    }
    banc.pilote.dialogue([&](QDialog *d) {
        if (titre)
            *titre = d->windowTitle();
        auto *label = qobject_cast<QLabel *>(d->findChild<QScrollArea *>()->widget());
        page = label->text();
        Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
    });
    Banc::clic(banc.bouton(groupe, QStringLiteral("Chercher")));
    return page;
}

// The numbers that the search page shows after "n° identifiant = ".
QList<int> numerosTrouves(const QString &page)
{
    QList<int> numeros;
    const QRegularExpression motif(QStringLiteral("n° identifiant = <strong>([0-9]+)<"));
    for (auto it = motif.globalMatch(page); it.hasNext();)
        numeros << it.next().captured(1).toInt();
    return numeros;
}

const QString nbsp28 = QStringLiteral("&nbsp;").repeated(28);

} // namespace

class TestEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addingAnEmployeeChecksTheFormAndStoresDefaults()
    {
        Banc banc;
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter un employé"));
            QCOMPARE(d->size(), QSize(400, 440));
            QVERIFY(!enfantA<QSpinBox>(d, QRect(340, 150, 50, 25)));
            QVERIFY(!etiquetteTexte(d, QStringLiteral("Durée (en mois) :")));
            QCOMPARE(
                elements(enfantA<QComboBox>(d, QRect(180, 180, 120, 25))).join(QLatin1Char(',')),
                QStringLiteral("Janvier,Fevrier,Mars,Avril,Mai,Juin,Juillet,Août,Septembre,"
                               "Octobre,Novembre,Décembre"));
            QComboBox *jours = enfantA<QComboBox>(d, QRect(120, 180, 50, 25));
            QCOMPARE(jours->count(), 31);
            QCOMPARE(jours->itemText(8), QStringLiteral("09"));
            QComboBox *naissance = enfantA<QComboBox>(d, QRect(310, 180, 80, 25));
            QCOMPARE(naissance->currentText(), QStringLiteral("1950"));
            QCOMPARE(naissance->itemText(naissance->count() - 1),
                     QString::number(QDate::currentDate().year()));

            // Only the name: refused. Everything but the domain: refused too.
            remplir(d, Formulaire(QStringLiteral("O'Brien"), QString(), QString()));
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            remplir(d, Formulaire(QStringLiteral("O'Brien"), QStringLiteral("Anne"), QString()));
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            QVERIFY(d->isVisible());
            QCOMPARE(enfantA<QLineEdit>(d, QRect(70, 90, 150, 25))->text(), QStringLiteral("Anne"));

            remplir(d,
                    Formulaire(QStringLiteral("O'Brien"), QStringLiteral("Anne"),
                               QStringLiteral("Vente"), QStringLiteral("ligne 1\nligne 2")));
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
        });
        banc.pilote.boite();
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter")));

        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite refus =
            attendue(QMessageBox::Critical, QStringLiteral("Erreur de remplissage"),
                     QStringLiteral("Vous devez remplir tous les champs obligatoires"));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     refus, refus,
                     attendue(QMessageBox::Information, QStringLiteral("Ajout reussi"),
                              QStringLiteral("Vos données ont été enregistrées avec succes")) }));
        QCOMPARE(banc.pilote.boites.at(2).parent, QStringLiteral("Ajouter un employé"));

        const QList<QVariantList> lignes = banc.lignes(QStringLiteral(
            "SELECT type, nom, prenom, nom_prenom, sexe, domaine, date_naissance, date_embouche, "
            "duree IS NULL, date_fin IS NULL, commentaire FROM employes"));
        QCOMPARE(lignes.size(), 1);
        const QVariantList &l = lignes.first();
        QCOMPARE(l.at(0).toInt(), 1);
        QCOMPARE(l.at(1).toString(), QStringLiteral("O'Brien"));
        QCOMPARE(l.at(3).toString(), QStringLiteral("O'Brien Anne"));
        QCOMPARE(l.at(4).toString(), QStringLiteral("M"));
        QCOMPARE(l.at(5).toString(), QStringLiteral("Vente"));
        QCOMPARE(l.at(6).toDate(), QDate(1950, 1, 1));
        QCOMPARE(l.at(7).toDate(), QDate(QDate::currentDate().year(), 1, 1));
        QCOMPARE(l.at(8).toInt(), 1);
        QCOMPARE(l.at(9).toInt(), 1);
        QCOMPARE(l.at(10).toString(), QStringLiteral("ligne 1\nligne 2"));
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
        QTest::newRow("30 November + 100") << "30"
                                           << "Novembre" << 100 << QDate(2022, 3, 30);
    }

    void internEndDateCountsCalendarMonths()
    {
        QFETCH(QString, jour);
        QFETCH(QString, mois);
        QFETCH(int, duree);
        QFETCH(QDate, fin);
        Banc banc;
        personne(pret(banc), 1, QStringLiteral("Salarie"), QStringLiteral("Jean"));
        typeCombo(banc)->setCurrentIndex(1);
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter un stagiaire"));
            QLabel *libelle = etiquetteTexte(d, QStringLiteral("Durée (en mois) :"));
            QVERIFY(libelle);
            QCOMPARE(libelle->pos(), QPoint(240, 155));
            QSpinBox *dureeBox = enfantA<QSpinBox>(d, QRect(340, 150, 50, 25));
            QCOMPARE(dureeBox->minimum(), 1);
            QCOMPARE(dureeBox->maximum(), 100);
            remplir(
                d,
                Formulaire(QStringLiteral("Durand"), QStringLiteral("Lea"), QStringLiteral("Info"))
                    .debut(jour, mois, true, duree));
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites.value(0).titre, QStringLiteral("Ajout reussi"));

        const QVariantList l =
            banc.lignes(QStringLiteral("SELECT type, sexe, date_embouche, duree, date_fin, "
                                       "commentaire FROM employes WHERE nom='Durand'"))
                .value(0);
        QCOMPARE(l.value(0).toInt(), 2);
        QCOMPARE(l.value(1).toString(), QStringLiteral("F"));
        QCOMPARE(l.value(2).toDate().day(), jour.toInt());
        QCOMPARE(l.value(3).toInt(), duree);
        QCOMPARE(l.value(4).toDate(), fin);
        QCOMPARE(l.value(5).toString(), QString());
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
        typeCombo(banc)->setCurrentIndex(type);
        bool resteOuvert = false;
        banc.pilote.dialogue([&](QDialog *d) {
            remplir(d,
                    Formulaire(QStringLiteral("Martin"), QStringLiteral("Anne"),
                               QStringLiteral("Vente"))
                        .debut(jour, mois));
            Banc::clic(boutonTexte(d, QStringLiteral("Enregistrer")));
            resteOuvert = d->isVisible();
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
        });
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QVERIFY(resteOuvert);
        QCOMPARE(banc.pilote.boites,
                 QList<Boite> { attendue(
                     QMessageBox::Warning, QStringLiteral("Ajout échoué"),
                     QStringLiteral("La tentative d'enregistrement des données a échouée")) });
        QCOMPARE(banc.compte(QStringLiteral("employes")), 0);
    }

    void searchFindsByPartOfANameOrTheWholeCombinedName()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        const int paul = personne(banc, 1, QStringLiteral("Dupont"), QStringLiteral("Paul"));
        const int stagiaire = personne(banc, 2, QStringLiteral("Martin"), QStringLiteral("Luc"));
        QCOMPARE(numerosTrouves(chercher(banc, QStringLiteral("Martin Anne"))),
                 QList<int> { anne });
        QCOMPARE(numerosTrouves(chercher(banc, QStringLiteral("ART"))), QList<int> { anne });
        QCOMPARE(numerosTrouves(chercher(banc, QString())), (QList<int> { anne, paul }));

        // A part of the combined name finds nobody.
        QString titre;
        chercher(banc, QStringLiteral("Martin An"), &titre, true);
        QCOMPARE(banc.pilote.boites,
                 QList<Boite> { attendue(
                     QMessageBox::Information, QStringLiteral("Pas de données"),
                     QStringLiteral("Vous n'avez pas d'employés enregistrés sous ce nom")) });
        QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("Recherche  d'employés "));
        banc.pilote.effacer();

        // Interns: only theirs, with the internship lines.
        typeCombo(banc)->setCurrentIndex(1);
        const QString page = chercher(banc, QStringLiteral("Martin"), &titre);
        QCOMPARE(titre, QStringLiteral("Recherche  de stagiaires "));
        QCOMPARE(numerosTrouves(page), QList<int> { stagiaire });
        QVERIFY(page.contains(QStringLiteral("Statut = <strong>Stagiaire</strong>")));
        QVERIFY(
            page.contains(QStringLiteral("&nbsp;&nbsp;Durée de stage = <strong>6 "
                                         "mois</strong><br/>&nbsp;&nbsp;Fin de stage = <strong>")
                          + QLocale().toString(QDate(2012, 7, 2), QStringLiteral("le dd MMMM yyyy"))
                          + QStringLiteral("</strong><br/>")));
        chercher(banc, QStringLiteral("Dupont"), nullptr, true);
        QCOMPARE(banc.pilote.boites.value(0).texte,
                 QStringLiteral("Vous n'avez pas de stagiaires enregistrés sous ce nom"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void searchTakesTypedTextLiterallyAndEscapesIt()
    {
        Banc banc;
        const int obrien =
            personne(pret(banc), 1, QStringLiteral("O'Brien"), QStringLiteral("<b>Sean</b>"),
                     QStringLiteral("M"), QStringLiteral("a & b <i>c</i>"));
        personne(banc, 1, QStringLiteral("Cent"), QStringLiteral("Pour"));
        QString page = chercher(banc, QStringLiteral("O'Brien"));
        QCOMPARE(numerosTrouves(page), QList<int> { obrien });
        const QString visible = texteVisible(page);
        QVERIFY(visible.contains(QStringLiteral("Prenom = <b>Sean</b>")));
        QVERIFY(visible.contains(QStringLiteral("Commentaire = a & b <i>c</i>")));
        QCOMPARE(numerosTrouves(chercher(banc, QStringLiteral("<b>"))), QList<int> { obrien });

        // Wildcards and the escape character are plain characters.
        for (const QString &texte : { QStringLiteral("%"), QStringLiteral("_"),
                                      QStringLiteral("\\"), QStringLiteral("O_Brien") }) {
            banc.pilote.effacer();
            chercher(banc, texte, nullptr, true);
            QCOMPARE(banc.pilote.boites.value(0).titre, QStringLiteral("Pas de données"));
        }
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        // The heading shows the typed text as typed.
        champRecherche(banc)->setText(QStringLiteral("O'Brien"));
        banc.pilote.effacer();
        banc.pilote.dialogue([&](QDialog *d) {
            QLabel *entete = enfantA<QLabel>(d, QRect(0, 10, 400, 30));
            QCOMPARE(entete->text(),
                     QStringLiteral("recherche sur <strong>O&#x27;Brien</strong>")
                         .replace(QStringLiteral("&#x27;"), QStringLiteral("'")));
            d->accept();
        });
        Banc::clic(banc.bouton(groupe, QStringLiteral("Chercher")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void searchPageShowsEachRecordWithItsAbsences()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"),
                                  QStringLiteral("F"), QStringLiteral("Cheffe"));
        const int marc = personne(banc, 1, QStringLiteral("Martin"), QStringLiteral("Marc"));
        const int autre = personne(banc, 1, QStringLiteral("Autre"), QStringLiteral("Martin"));
        absence(banc, anne, QStringLiteral("2013-03-05"), 8);
        absence(banc, anne, QStringLiteral("2013-08-06"), 4);
        for (int jour = 1; jour <= 12; ++jour)
            absence(banc, autre, QStringLiteral("2014-02-%1").arg(jour, 2, 10, QLatin1Char('0')),
                    1);

        const QString page = chercher(banc, QStringLiteral("Martin"));
        auto date = [](int a, int m, int j) {
            return QLocale().toString(QDate(a, m, j), QStringLiteral("le dd MMMM yyyy"));
        };
        const QString blocAnne =
            QStringLiteral(
                "&nbsp;&nbsp;n° identifiant = <strong>%1</strong><br/>&nbsp;&nbsp;Statut = "
                "<strong>Employé</strong><br/>"
                "&nbsp;&nbsp;Nom = <strong>Martin</strong><br/>&nbsp;&nbsp;Prenom = "
                "<strong>Anne</strong><br/>"
                "&nbsp;&nbsp;sexe = <strong>F</strong><br/>&nbsp;&nbsp;date de naissance = "
                "<strong>%2</strong><br/>"
                "&nbsp;&nbsp;date d'embouche ou debut de stage = <strong>%3</strong><br/>"
                "&nbsp;&nbsp;Commentaire = <strong>Cheffe</strong><br/>"
                "&nbsp;&nbsp;dates absence = <strong>05 mars 2013 (8 heures)<br/>")
                .arg(anne)
                .arg(date(1980, 5, 4), date(2012, 1, 2))
            + nbsp28
            + QStringLiteral(
                "06 août 2013 (4 heures)</strong><br>&nbsp;&nbsp;heures totales d'absence = "
                "<strong>12</strong> heures<br/><br/><hr/>");
        QCOMPARE(page.left(blocAnne.size()), blocAnne);
        QCOMPARE(numerosTrouves(page), (QList<int> { anne, marc, autre }));

        // Without absences, nor comment.
        const QString blocMarc = page.mid(page.indexOf(QStringLiteral("<strong>%1<").arg(marc)));
        QVERIFY(blocMarc.contains(QStringLiteral(
            "Commentaire = <strong>Pas de commentaire</strong><br/>&nbsp;&nbsp;dates absence = "
            "<strong>Pas d'absence</strong><br>&nbsp;&nbsp;heures totales d'absence = "
            "<strong>0</strong> heures")));
        QVERIFY(!blocMarc.contains(QStringLiteral("Durée de stage")));

        // A long list of absences is shown whole.
        const QString blocAutre = page.mid(page.indexOf(QStringLiteral("<strong>%1<").arg(autre)));
        QCOMPARE(blocAutre.count(QStringLiteral(" (1 heures)")), 12);
        QVERIFY(blocAutre.contains(
            QStringLiteral("12 février 2014 (1 heures)</strong><br>&nbsp;&nbsp;heures totales "
                           "d'absence = <strong>12</strong>")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void absencesAreAddedListedAndDeleted()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        const int paul = personne(banc, 1, QStringLiteral("Dupont"), QStringLiteral("Paul"));

        // No intern yet: nothing to add to, nothing to delete.
        typeCombo(banc)->setCurrentIndex(1);
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter une absence")));
        Banc::clic(banc.bouton(groupe, QStringLiteral("Supprimer une absence")));
        QCOMPARE(
            banc.pilote.boites,
            (QList<Boite> { attendue(QMessageBox::Information, QStringLiteral("Aucune donnée"),
                                     QStringLiteral("Vous n'avez pas de stagiaires enregistré")),
                            attendue(QMessageBox::Information, QStringLiteral("Aucune donnée"),
                                     QStringLiteral("Aucun stagiaire n'a fait une absence")) }));
        QCOMPARE(banc.pilote.boites.at(0).parent,
                 QStringLiteral("Ajouter une absence à un stagiaire"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QTRY_VERIFY(banc.fenetre().findChildren<QDialog *>().isEmpty());
        banc.pilote.effacer();
        typeCombo(banc)->setCurrentIndex(0);

        // 31 "Avril" is refused; 8 hours on 5 March 2013 for Anne is stored.
        auto ajouterAbsence = [&](const QString &jour, const QString &mois) {
            banc.pilote.dialogue([&, jour, mois](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Ajouter une absence à un employé"));
                QVERIFY(etiquetteTexte(d, QStringLiteral("Choisissez l'employé :")));
                QComboBox *personnes = enfantA<QComboBox>(d, QRect(130, 80, 150, 25));
                QCOMPARE(elements(personnes),
                         (QStringList { QStringLiteral("n°%1 Martin Anne").arg(anne),
                                        QStringLiteral("n°%1 Dupont Paul").arg(paul) }));
                QComboBox *annees = enfantA<QComboBox>(d, QRect(250, 110, 50, 25));
                QCOMPARE(annees->itemText(0), QStringLiteral("1990"));
                QCOMPARE(annees->currentText(), QString::number(QDate::currentDate().year()));
                enfantA<QSpinBox>(d, QRect(140, 50, 80, 25))->setValue(8);
                enfantA<QComboBox>(d, QRect(60, 110, 50, 25))->setCurrentText(jour);
                enfantA<QComboBox>(d, QRect(120, 110, 120, 25))->setCurrentText(mois);
                annees->setCurrentText(QStringLiteral("2013"));
                Banc::clic(boutonTexte(d, QStringLiteral("Ajouter l'absence")));
                if (d->isVisible())
                    Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
            });
            banc.pilote.boite();
            Banc::clic(banc.bouton(groupe, QStringLiteral("Ajouter une absence")));
        };
        ajouterAbsence(QStringLiteral("31"), QStringLiteral("Avril"));
        ajouterAbsence(QStringLiteral("05"), QStringLiteral("Mars"));
        ajouterAbsence(QStringLiteral("05"), QStringLiteral("Mars"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite reussi = attendue(QMessageBox::Information, QStringLiteral("Ajout reussi"),
                                      QStringLiteral("L'absence a été ajouté avec succes"));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> { attendue(QMessageBox::Warning, QStringLiteral("Erreur"),
                                          QStringLiteral("L'ajout de l'absence a été échoué")),
                                 reussi, reussi }));
        QCOMPARE(
            banc.lignes(QStringLiteral("SELECT employe_id, date_absence, nbre_heure FROM absence")),
            (QList<QVariantList> { { anne, QDate(2013, 3, 5), 8 },
                                   { anne, QDate(2013, 3, 5), 8 } }));
        banc.pilote.effacer();

        // The delete list shows the current type's absences only; No keeps, Yes deletes.
        const int autreType = personne(banc, 2, QStringLiteral("Durand"), QStringLiteral("Lea"));
        absence(banc, autreType, QStringLiteral("2013-04-01"), 3);
        const int premiere = banc.valeur(QStringLiteral("SELECT MIN(id) FROM absence")).toInt();
        auto supprimerAbsence = [&](QMessageBox::StandardButton reponse) {
            banc.pilote.dialogue([&](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Supprimer une absence"));
                QComboBox *liste = enfantA<QComboBox>(d, QRect(60, 60, 260, 25));
                QCOMPARE(liste->itemText(0),
                         QStringLiteral("n°%1 8 h du 05/03/2013 de Martin Anne").arg(premiere));
                QCOMPARE(liste->count(), banc.compte(QStringLiteral("absence")) - 1);
                Banc::clic(boutonTexte(d, QStringLiteral("Supprimer l'absence")));
                if (d->isVisible())
                    Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
            });
            banc.pilote.boite(reponse);
            if (reponse == QMessageBox::Yes)
                banc.pilote.boite();
            Banc::clic(banc.bouton(groupe, QStringLiteral("Supprimer une absence")));
        };
        supprimerAbsence(QMessageBox::No);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 3);
        supprimerAbsence(QMessageBox::Yes);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite confirmation =
            attendue(QMessageBox::Question, QStringLiteral("Confirmation"),
                     QStringLiteral("Voulez vous vraiment supprimer ce élément"));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     confirmation, confirmation,
                     attendue(QMessageBox::Information, QStringLiteral("Suppression reussie"),
                              QStringLiteral("L'élément a été supprimé avec succes")) }));
        QCOMPARE(
            banc.valeur(QStringLiteral("SELECT COUNT(*) FROM absence WHERE id=%1").arg(premiere))
                .toInt(),
            0);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 2);
    }

    void deletingAPersonTakesOnlyTheirAbsences()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        const int paul = personne(banc, 1, QStringLiteral("Dupont"), QStringLiteral("Paul"));
        personne(banc, 2, QStringLiteral("Durand"), QStringLiteral("Lea"));
        absence(banc, anne, QStringLiteral("2013-03-05"), 8);
        absence(banc, paul, QStringLiteral("2013-03-06"), 2);
        banc.fenetre().triggerType();

        auto supprimer = [&](int choix, QMessageBox::StandardButton reponse) {
            banc.pilote.dialogue([&, choix](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Supprimer un employé"));
                QComboBox *liste = enfantA<QComboBox>(d, QRect(10, 70, 150, 25));
                QCOMPARE(elements(liste),
                         (QStringList { QStringLiteral("n°%1 Martin Anne").arg(anne),
                                        QStringLiteral("n°%1 Dupont Paul").arg(paul) }));
                liste->setCurrentIndex(choix);
                Banc::clic(boutonTexte(d, QStringLiteral("Supprimer")));
                if (d->isVisible())
                    Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
            });
            banc.pilote.boite(reponse);
            if (reponse == QMessageBox::Yes)
                banc.pilote.boite();
            Banc::clic(banc.bouton(groupe, QStringLiteral("Supprimer")));
        };
        supprimer(0, QMessageBox::No);
        QCOMPARE(banc.compte(QStringLiteral("employes")), 3);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 2);
        supprimer(0, QMessageBox::Yes);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        const Boite question =
            attendue(QMessageBox::Question, QStringLiteral("confirmation"),
                     QStringLiteral("Voulez vous vraiment supprimé l'élément <strong>n°%1</strong>")
                         .arg(anne));
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     question, question,
                     attendue(QMessageBox::Information, QStringLiteral("Suppression reussie"),
                              QStringLiteral("L'élément a été supprimé avec succes")) }));
        QCOMPARE(banc.lignes(QStringLiteral("SELECT id FROM employes ORDER BY id")).size(), 2);
        QCOMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM employes WHERE id=%1").arg(anne))
                     .toInt(),
                 0);
        QCOMPARE(banc.lignes(QStringLiteral("SELECT employe_id FROM absence")),
                 QList<QVariantList> { { paul } });
        QCOMPARE(propositions(banc), (QStringList { "Dupont", "Paul", "Dupont Paul" }));

        // No intern left after emptying: the delete dialog has nothing to offer.
        banc.pilote.effacer();
        banc.sql(QStringLiteral("DELETE FROM employes WHERE type=2"));
        typeCombo(banc)->setCurrentIndex(1);
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Supprimer")));
        QCOMPARE(
            banc.pilote.boites,
            QList<Boite> { attendue(QMessageBox::Information, QStringLiteral("Aucune donnée"),
                                    QStringLiteral("Vous n'avez pas de stagiaires à supprimer")) });
        QCOMPARE(banc.pilote.boites.first().parent, QStringLiteral("Supprimer un stagiaire"));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void emptyingInternsKeepsEmployees()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        const int lea = personne(banc, 2, QStringLiteral("Durand"), QStringLiteral("Lea"));
        personne(banc, 2, QStringLiteral("Petit"), QStringLiteral("Luc"));
        absence(banc, anne, QStringLiteral("2013-03-05"), 8);
        absence(banc, lea, QStringLiteral("2013-03-06"), 2);
        typeCombo(banc)->setCurrentIndex(1);

        banc.pilote.boite(QMessageBox::No);
        Banc::clic(banc.bouton(groupe, QStringLiteral("Vider")));
        QCOMPARE(banc.compte(QStringLiteral("employes")), 3);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 2);

        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Vider")));
        const Boite question = attendue(
            QMessageBox::Question, QStringLiteral("confirmation"),
            QStringLiteral("Voulez vous vraiment supprimé les <strong>stagiaires</strong>"));
        const Boite reussi =
            attendue(QMessageBox::Information, QStringLiteral("Vidage reussi reussie"),
                     QStringLiteral("Votre requête a été effectuée avec succes"));
        QCOMPARE(banc.pilote.boites, (QList<Boite> { question, question, reussi }));
        QCOMPARE(banc.pilote.boites.at(2).parent, QStringLiteral("TABLORAN"));
        QCOMPARE(banc.lignes(QStringLiteral("SELECT id FROM employes")),
                 QList<QVariantList> { { anne } });
        QCOMPARE(banc.lignes(QStringLiteral("SELECT employe_id FROM absence")),
                 QList<QVariantList> { { anne } });
        QCOMPARE(propositions(banc), QStringList());

        // Emptying a type that has nobody still asks, then reports success.
        banc.pilote.effacer();
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Vider")));
        QCOMPARE(banc.pilote.boites, (QList<Boite> { question, reussi }));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void failedDeletionsLeavePersonsAndAbsencesTogether()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        absence(banc, anne, QStringLiteral("2013-03-05"), 8);

        // The absences cannot go: the person stays too.
        banc.sql(
            QStringLiteral("CREATE TRIGGER bloque_absence BEFORE DELETE ON absence FOR EACH ROW "
                           "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'non'"));
        banc.pilote.dialogue([&](QDialog *d) {
            Banc::clic(boutonTexte(d, QStringLiteral("Supprimer")));
            QVERIFY(d->isVisible());
            Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
        });
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Supprimer")));
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Warning, QStringLiteral("Suppression échouée"),
                          QStringLiteral("Impossible de supprimer l'élément choisi")));
        QCOMPARE(banc.compte(QStringLiteral("employes")), 1);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 1);
        banc.sql(QStringLiteral("DROP TRIGGER bloque_absence"));

        // The persons cannot go: their absences stay too.
        banc.pilote.effacer();
        banc.sql(
            QStringLiteral("CREATE TRIGGER bloque_employe BEFORE DELETE ON employes FOR EACH ROW "
                           "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'non'"));
        banc.pilote.boite(QMessageBox::Yes);
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Vider")));
        QCOMPARE(banc.pilote.boites.value(1),
                 attendue(QMessageBox::Warning, QStringLiteral("Vidage échoué"),
                          QStringLiteral("La resuête n'a pas été effectuée avec succes")));
        QCOMPARE(banc.compte(QStringLiteral("employes")), 1);
        QCOMPARE(banc.compte(QStringLiteral("absence")), 1);
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void displayWritesOrDropsEditsTogether()
    {
        Banc banc;
        const int anne = personne(pret(banc), 1, QStringLiteral("Martin"), QStringLiteral("Anne"));
        const int paul = personne(banc, 1, QStringLiteral("Dupont"), QStringLiteral("Paul"));
        personne(banc, 2, QStringLiteral("Durand"), QStringLiteral("Lea"));

        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Affichage et modification des employés"));
            QVERIFY(etiquetteTexte(d, QStringLiteral("Affichage et modifications des employés")));
            auto *vue = enfantA<QTableView>(d, QRect(0, 50, 500, 310));
            auto *modele = qobject_cast<QSqlTableModel *>(vue->model());
            QCOMPARE(modele->rowCount(), 2);
            for (int c : { 1, 9, 10 })
                QVERIFY(vue->isColumnHidden(c));
            QCOMPARE(modele->headerData(8, Qt::Horizontal).toString(),
                     QStringLiteral("Date d'embouche"));

            // "Annuler" drops the edits; "Valider" then writes nothing.
            modele->setData(modele->index(0, 2), QStringLiteral("Perdu"));
            Banc::clic(boutonTexte(d, QStringLiteral("Annuler")));
            QCOMPARE(modele->index(0, 2).data().toString(), QStringLiteral("Martin"));

            modele->setData(modele->index(0, 2), QStringLiteral("Bernard"));
            modele->setData(modele->index(1, 6), QStringLiteral("Achats"));
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            QVERIFY(d->isVisible());

            // A number taken by another person is refused; the edit stays pending.
            modele->setData(modele->index(1, 0), anne);
            Banc::clic(boutonTexte(d, QStringLiteral("Valider")));
            QCOMPARE(modele->index(1, 0).data().toInt(), anne);
            Banc::clic(boutonTexte(d, QStringLiteral("fermer")));
        });
        banc.pilote.boite();
        banc.pilote.boite();
        Banc::clic(banc.bouton(groupe, QStringLiteral("Afficher et/ou modifier")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QCOMPARE(banc.pilote.boites,
                 (QList<Boite> {
                     attendue(QMessageBox::Information, QStringLiteral("Modifications reussies"),
                              QStringLiteral("Vos modifications ont été enregistrées avec succes")),
                     attendue(QMessageBox::Warning, QStringLiteral("Modifications échouées"),
                              QStringLiteral("Vos avez mal modifié les données")) }));
        QCOMPARE(
            banc.lignes(
                QStringLiteral("SELECT nom, nom_prenom FROM employes WHERE id=%1").arg(anne)),
            (QList<QVariantList> { { QStringLiteral("Bernard"), QStringLiteral("Martin Anne") } }));
        QCOMPARE(banc.valeur(QStringLiteral("SELECT domaine FROM employes WHERE id=%1").arg(paul))
                     .toString(),
                 QStringLiteral("Achats"));
        QVERIFY(propositions(banc).contains(QStringLiteral("Bernard")));
        QVERIFY(propositions(banc).contains(QStringLiteral("Martin Anne")));

        // Interns show their duration and end date.
        banc.pilote.effacer();
        typeCombo(banc)->setCurrentIndex(1);
        banc.pilote.dialogue([&](QDialog *d) {
            auto *vue = enfantA<QTableView>(d, QRect(0, 50, 500, 310));
            QCOMPARE(vue->model()->rowCount(), 1);
            QVERIFY(vue->isColumnHidden(1));
            QVERIFY(!vue->isColumnHidden(9) && !vue->isColumnHidden(10));
            Banc::clic(boutonTexte(d, QStringLiteral("fermer")));
        });
        Banc::clic(banc.bouton(groupe, QStringLiteral("Afficher et/ou modifier")));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    void summaryCountsBothTypesBySex()
    {
        Banc banc;
        auto resume = [&] {
            QString texte;
            banc.pilote.dialogue([&](QDialog *d) {
                QCOMPARE(d->windowTitle(),
                         QStringLiteral("Informations sur employés et les stagiaires"));
                texte = texteVisible(
                    qobject_cast<QLabel *>(d->findChild<QScrollArea *>()->widget())->text());
                Banc::clic(boutonTexte(d, QStringLiteral("Fermer")));
            });
            Banc::clic(banc.bouton(groupe, QStringLiteral("Informations")));
            return texte.replace(QChar(0xa0), QLatin1Char(' ')).split(QLatin1Char('\n'));
        };
        const QStringList vide = resume();
        QCOMPARE(vide.value(0), QStringLiteral("Nombre de personnel enregistré = 0"));
        QCOMPARE(vide.value(11),
                 QStringLiteral("Somme totale d'heure absence enregistrée = 0 heures"));
        QCOMPARE(vide.value(19), QStringLiteral("       Sexe feminin = 0 heures"));

        const int homme =
            personne(banc, 1, QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("M"));
        personne(banc, 1, QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("M"));
        personne(banc, 1, QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("F"));
        const int stagiaire =
            personne(banc, 2, QStringLiteral("D"), QStringLiteral("d"), QStringLiteral("F"));
        const int autre =
            personne(banc, 1, QStringLiteral("E"), QStringLiteral("e"), QStringLiteral("X"));
        absence(banc, homme, QStringLiteral("2013-03-05"), 8);
        absence(banc, stagiaire, QStringLiteral("2013-03-05"), 4);
        absence(banc, autre, QStringLiteral("2013-03-05"), 2);
        absence(banc, 9999, QStringLiteral("2013-03-05"), 1);
        typeCombo(banc)->setCurrentIndex(1);
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
