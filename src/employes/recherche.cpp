#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QDate>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>

namespace {

QString texteDate(const QVariant &date)
{
    // Month names follow the system's language.
    return QLocale().toString(date.toDate(), QStringLiteral("le dd MMMM yyyy"));
}

// A person's absences as the page shows them: the dates, one under the other,
// and the total of hours.
struct Absences
{
    QString dates;
    QString total;
};

// The label of the result page. Word-wrapped rich text is laid out once, at
// the width the page is shown at: left to work out its own size hints, a
// label lays out its whole text several times, which takes seconds once
// thousands of persons are listed.
class PageResultat : public QLabel
{
public:
    using QLabel::QLabel;

    void montrer(const QString &texte, int largeur)
    {
        setText(texte);
        ensurePolished();
        taille = QSize(largeur, heightForWidth(largeur));
        resize(taille);
    }
    QSize sizeHint() const override { return taille.isValid() ? taille : QLabel::sizeHint(); }
    QSize minimumSizeHint() const override
    {
        return taille.isValid() ? taille : QLabel::minimumSizeHint();
    }

private:
    QSize taille;
};

} // namespace

void Entreprise::employeCher()
{
    if (!connexionEmploye())
        return;
    const QString texte = employeRechercheEdit->text();

    QDialog *page = nouveauDialogue(QString(), 400, 500);
    QLabel *entete = etiquette(
        page, QStringLiteral("recherche sur <strong>") + html(texte) + QStringLiteral("</strong>"),
        QStringLiteral("color:orange;font-size:14px;"), QRect(0, 10, 400, 30));
    entete->setTextFormat(Qt::RichText);
    const QString qui = typeCombo->currentIndex() != 0 ? QStringLiteral(" de stagiaires ")
                                                       : QStringLiteral(" d'employés ");
    page->setWindowTitle(QStringLiteral("Recherche ") + qui);

    // The typed text is matched literally in the name and the first name, and
    // exactly against the combined name.
    const QString type = QString::number(typeCourant());
    const QString motif = motifContient(texte);
    QSqlQuery personnes(db);
    personnes.prepare(
        QStringLiteral("SELECT employes.id, type, nom, prenom, sexe, date_naissance, "
                       "date_embouche, duree, date_fin, commentaire FROM employes LEFT "
                       "JOIN absence ON employes.id=absence.employe_id WHERE type=")
        + type
        + QStringLiteral(" AND (nom LIKE :motif OR prenom LIKE :motif OR nom_prenom "
                         "= :texte) GROUP BY employes.id"));
    personnes.bindValue(QStringLiteral(":motif"), motif);
    personnes.bindValue(QStringLiteral(":texte"), texte);
    personnes.exec();
    if (personnes.size() < 1) {
        QMessageBox::information(page, QStringLiteral("Pas de données"),
                                 QStringLiteral("Vous n'avez pas") + qui
                                     + QStringLiteral("enregistrés sous ce nom"));
        delete page;
        return;
    }

    // The absences of every person found, in one statement, by person. A
    // person with many absences keeps them all: the session allows long lists.
    QHash<int, Absences> absences;
    QSqlQuery groupes(db);
    groupes.exec(QStringLiteral("SET lc_time_names = 'fr_FR';"));
    groupes.exec(QStringLiteral("SET SESSION group_concat_max_len = 16777216"));
    // Consecutive absences are lined up under the first one.
    const QString separateur = QStringLiteral("<br/>") + QStringLiteral("&nbsp;").repeated(28);
    groupes.prepare(QStringLiteral("SELECT absence.employe_id, SUM(nbre_heure), "
                                   "GROUP_CONCAT(DATE_FORMAT(date_absence, '%d %M %Y'), ' (', "
                                   "nbre_heure, ' heures)' SEPARATOR '")
                    + separateur
                    + QStringLiteral("') FROM absence INNER JOIN employes ON "
                                     "employes.id=absence.employe_id WHERE type=")
                    + type
                    + QStringLiteral(" AND (nom LIKE :motif OR prenom LIKE :motif OR nom_prenom = "
                                     ":texte) GROUP BY absence.employe_id"));
    groupes.bindValue(QStringLiteral(":motif"), motif);
    groupes.bindValue(QStringLiteral(":texte"), texte);
    const bool absencesLues = groupes.exec();
    while (groupes.next())
        absences.insert(groupes.value(0).toInt(),
                        { groupes.value(2).toString(), texteNombre(groupes.value(1)) });

    QString contenu;
    while (personnes.next()) {
        const int id = personnes.value(0).toInt();
        const bool estStagiaire = personnes.value(1).toInt() != 1;
        contenu += QStringLiteral("&nbsp;&nbsp;n° identifiant = <strong>") + QString::number(id)
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;Statut = <strong>")
            + (estStagiaire ? QStringLiteral("Stagiaire") : QStringLiteral("Employé"))
            + QStringLiteral("</strong><br/>");
        contenu += QStringLiteral("&nbsp;&nbsp;Nom = <strong>")
            + html(personnes.value(2).toString())
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;Prenom = <strong>")
            + html(personnes.value(3).toString()) + QStringLiteral("</strong><br/>");
        contenu += QStringLiteral("&nbsp;&nbsp;sexe = <strong>")
            + html(personnes.value(4).toString())
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;date de naissance = <strong>")
            + texteDate(personnes.value(5)) + QStringLiteral("</strong><br/>");
        contenu += QStringLiteral("&nbsp;&nbsp;date d'embouche ou debut de stage = <strong>")
            + texteDate(personnes.value(6)) + QStringLiteral("</strong><br/>");
        if (estStagiaire) {
            contenu += QStringLiteral("&nbsp;&nbsp;Durée de stage = <strong>")
                + personnes.value(7).toString() + QStringLiteral(" mois</strong><br/>");
            contenu += QStringLiteral("&nbsp;&nbsp;Fin de stage = <strong>")
                + texteDate(personnes.value(8)) + QStringLiteral("</strong><br/>");
        }
        const QString commentaire = personnes.value(9).toString();
        contenu += QStringLiteral("&nbsp;&nbsp;Commentaire = <strong>")
            + (commentaire.isEmpty() ? QStringLiteral("Pas de commentaire") : html(commentaire))
            + QStringLiteral("</strong><br/>");

        // Without absences the sum of no rows reads 0. When the statement
        // failed, the dates and the total stay empty.
        Absences lues = absences.value(id);
        if (absencesLues && lues.total.isEmpty())
            lues.total = QStringLiteral("0");
        if (lues.total == QLatin1String("0"))
            lues.dates = QStringLiteral("Pas d'absence");
        contenu += QStringLiteral("&nbsp;&nbsp;dates absence = <strong>") + lues.dates
            + QStringLiteral("</strong><br>&nbsp;&nbsp;heures totales d'absence = <strong>")
            + lues.total + QStringLiteral("</strong> heures<br/><br/><hr/>");
    }

    auto *resultat = new PageResultat(page);
    resultat->setTextFormat(Qt::RichText);
    resultat->setWordWrap(true);
    resultat->setStyleSheet(QStringLiteral("color:green;font-color:13px;"));
    auto *defilement = new QScrollArea(page);
    defilement->setGeometry(0, 40, 400, 420);
    defilement->setWidget(resultat);
    resultat->montrer(contenu,
                      defilement->maximumViewportSize().width()
                          - defilement->verticalScrollBar()->sizeHint().width());

    auto *fermer =
        new Button(Couleurs::bleu(), true, 8.0, 16.0, QStringLiteral("Fermer"), 380, 25, page);
    fermer->move(10, 470);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::triggerType()
{
    rafraichirCompleteurEmployes();
}
