#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QSqlQuery>

#include <memory>

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

// The absences of the given persons, in one statement, by person; the
// server's message in `erreur` when it refused. Consecutive absences are lined
// up under the first one.
QHash<int, Absences> absencesDe(const QSqlDatabase &db, const QList<int> &ids, QString *erreur)
{
    QStringList liste;
    for (int id : ids)
        liste << QString::number(id);
    const QString separateur = QStringLiteral("<br/>") + QStringLiteral("&nbsp;").repeated(28);
    QSqlQuery groupes(db);
    if (!executer(groupes,
                  QStringLiteral("SELECT employe_id, SUM(nbre_heure), "
                                 "GROUP_CONCAT(DATE_FORMAT(date_absence, '%d %M %Y'), ' (', "
                                 "nbre_heure, ' heures)' SEPARATOR '")
                      + separateur + QStringLiteral("') FROM absence WHERE employe_id IN (")
                      + liste.join(QLatin1Char(',')) + QStringLiteral(") GROUP BY employe_id"))) {
        *erreur = messageServeur(groupes);
        return {};
    }
    QHash<int, Absences> absences;
    while (groupes.next())
        absences.insert(groupes.value(0).toInt(),
                        { groupes.value(2).toString(), texteNombre(groupes.value(1)) });
    return absences;
}

// The blocks of the next persons of the result, with their absences; empty
// once every person has been written, or when the server refused to give the
// absences (its message is then in `erreur`).
QString blocsSuivants(const QSqlDatabase &db, QSqlQuery &personnes, QString *erreur)
{
    struct Personne
    {
        int id;
        QString debut;
    };
    QList<Personne> tranche;
    QList<int> ids;
    for (int n = 0; n < rangsParTranche && personnes.next(); ++n) {
        const int id = personnes.value(0).toInt();
        const bool estStagiaire = personnes.value(1).toInt() != 1;
        QString bloc = QStringLiteral("&nbsp;&nbsp;n° identifiant = <strong>") + QString::number(id)
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;Statut = <strong>")
            + (estStagiaire ? QStringLiteral("Stagiaire") : QStringLiteral("Employé"))
            + QStringLiteral("</strong><br/>");
        bloc += QStringLiteral("&nbsp;&nbsp;Nom = <strong>") + html(personnes.value(2).toString())
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;Prenom = <strong>")
            + html(personnes.value(3).toString()) + QStringLiteral("</strong><br/>");
        bloc += QStringLiteral("&nbsp;&nbsp;sexe = <strong>") + html(personnes.value(4).toString())
            + QStringLiteral("</strong><br/>&nbsp;&nbsp;date de naissance = <strong>")
            + texteDate(personnes.value(5)) + QStringLiteral("</strong><br/>");
        bloc += QStringLiteral("&nbsp;&nbsp;date d'embouche ou debut de stage = <strong>")
            + texteDate(personnes.value(6)) + QStringLiteral("</strong><br/>");
        if (estStagiaire) {
            bloc += QStringLiteral("&nbsp;&nbsp;Durée de stage = <strong>")
                + personnes.value(7).toString() + QStringLiteral(" mois</strong><br/>");
            bloc += QStringLiteral("&nbsp;&nbsp;Fin de stage = <strong>")
                + texteDate(personnes.value(8)) + QStringLiteral("</strong><br/>");
        }
        const QString commentaire = personnes.value(9).toString();
        bloc += QStringLiteral("&nbsp;&nbsp;Commentaire = <strong>")
            + (commentaire.isEmpty() ? QStringLiteral("Pas de commentaire") : html(commentaire))
            + QStringLiteral("</strong><br/>");
        tranche.append({ id, bloc });
        ids << id;
    }
    if (tranche.isEmpty())
        return QString();

    const QHash<int, Absences> absences = absencesDe(db, ids, erreur);
    if (!erreur->isEmpty())
        return QString();
    QString texte;
    for (const Personne &p : std::as_const(tranche)) {
        // Without absences the sum of no rows reads 0.
        Absences lues = absences.value(p.id);
        if (lues.total.isEmpty())
            lues.total = QStringLiteral("0");
        if (lues.total == QLatin1String("0"))
            lues.dates = QStringLiteral("Pas d'absence");
        texte += p.debut + QStringLiteral("&nbsp;&nbsp;dates absence = <strong>") + lues.dates
            + QStringLiteral("</strong><br>&nbsp;&nbsp;heures totales d'absence = <strong>")
            + lues.total + QStringLiteral("</strong> heures<br/><br/><hr/>");
    }
    return texte;
}

} // namespace

void Entreprise::employeCher()
{
    if (!connexionEmploye())
        return;
    const QString texte = employeRechercheEdit->text();
    const QString qui = typeCombo->currentIndex() != 0 ? QStringLiteral(" de stagiaires ")
                                                       : QStringLiteral(" d'employés ");

    // The typed text is matched literally in the name and the first name, and
    // exactly against the combined name. The query stays open while the page
    // is shown: the page writes its persons out slice by slice.
    auto personnes = std::make_shared<QSqlQuery>(db);
    personnes->setForwardOnly(true);
    // A text holding a character the registers cannot store matches no stored
    // name: it is not sent, and the search finds nobody.
    const bool cherchable = caractereHorsBase(texte).isNull();
    personnes->prepare(QStringLiteral(
        "SELECT employes.id, type, nom, prenom, sexe, date_naissance, "
        "date_embouche, duree, date_fin, commentaire FROM employes LEFT "
        "JOIN absence ON employes.id=absence.employe_id WHERE type=:type AND :cherchable "
        "AND (nom LIKE :motif OR prenom LIKE :motif OR nom_prenom = :texte) GROUP "
        "BY employes.id"));
    personnes->bindValue(QStringLiteral(":type"), typeCourant());
    personnes->bindValue(QStringLiteral(":cherchable"), int(cherchable));
    personnes->bindValue(QStringLiteral(":motif"),
                         cherchable ? motifContient(texte) : QString(QLatin1String("")));
    personnes->bindValue(QStringLiteral(":texte"), cherchable ? texte : QString(QLatin1String("")));
    if (!lire(*personnes, this))
        return;

    QDialog *page = ouvrirDialogue(QStringLiteral("Recherche ") + qui, 400, 500);
    if (personnes->size() < 1) {
        QMessageBox::information(page, QStringLiteral("Pas de données"),
                                 QStringLiteral("Vous n'avez pas") + qui
                                     + QStringLiteral("enregistrés sous ce nom"));
        delete page;
        return;
    }

    const QString titre =
        QStringLiteral("recherche sur <strong>") + html(texte) + QStringLiteral("</strong>");
    const QString styleTitre = QStringLiteral("color:orange;font-size:14px;");
    QLabel *entete = etiquette(page, titre, styleTitre, QRect(0, 10, 400, 30));
    entete->setTextFormat(Qt::RichText);

    auto contenu = std::make_shared<Contenu>();
    contenu->setEnTete(blocStyle(styleTitre + QStringLiteral("text-align:center;"), titre));
    // A slice the server refuses is told, over the page once it is shown, and
    // the page ends there.
    const QSqlDatabase connexion = db;
    auto parentDesRefus = std::make_shared<QPointer<QWidget>>(this);
    contenu->ajouter([connexion, personnes, parentDesRefus] {
        QString refus;
        const QString blocs = blocsSuivants(connexion, *personnes, &refus);
        if (!refus.isEmpty()) {
            personnes->finish();
            lectureRefusee(*parentDesRefus, refus);
        }
        return blocs.isEmpty() ? blocs
                               : blocStyle(QStringLiteral("color:green;font-color:13px;"), blocs);
    });
    // The first persons are read now: a refused read shows no page.
    QString premiere;
    if (!contenu->tranche(0, &premiere)) {
        delete page;
        return;
    }
    *parentDesRefus = page;
    auto *resultats = new PageResultat(contenu, page);
    resultats->setGeometry(0, 40, 400, 420);

    rangeeDePage(page, { Couleurs::bleu(), true, 8.0, 16.0 }, QStringLiteral("Fermer"),
                 QRect(10, 470, 380, 25), contenu,
                 typeCombo->currentIndex() != 0 ? QStringLiteral("recherche-stagiaires")
                                                : QStringLiteral("recherche-employes"));
    page->exec();
}

void Entreprise::triggerType()
{
    rafraichirCompleteurEmployes();
}
