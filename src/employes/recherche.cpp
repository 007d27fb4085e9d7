#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/pages.h"
#include "commun/saisie.h"
#include "employes/registre.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace {

QString texteDate(const QDate &date)
{
    // Month names follow the system's language.
    return QLocale().toString(date, QStringLiteral("le dd MMMM yyyy"));
}

// A person's record as the page shows it, up to their absences.
QString debutDeBloc(const employes::Personne &p)
{
    const bool estStagiaire = p.type != employes::employe;
    QString bloc = QStringLiteral("&nbsp;&nbsp;n° identifiant = <strong>") + p.id.toString()
        + QStringLiteral("</strong><br/>&nbsp;&nbsp;Statut = <strong>")
        + (estStagiaire ? QStringLiteral("Stagiaire") : QStringLiteral("Employé"))
        + QStringLiteral("</strong><br/>");
    bloc += QStringLiteral("&nbsp;&nbsp;Nom = <strong>") + html(p.nom)
        + QStringLiteral("</strong><br/>&nbsp;&nbsp;Prenom = <strong>") + html(p.prenom)
        + QStringLiteral("</strong><br/>");
    bloc += QStringLiteral("&nbsp;&nbsp;sexe = <strong>") + html(p.sexe)
        + QStringLiteral("</strong><br/>&nbsp;&nbsp;date de naissance = <strong>")
        + texteDate(p.naissance) + QStringLiteral("</strong><br/>");
    bloc += QStringLiteral("&nbsp;&nbsp;date d'embouche ou debut de stage = <strong>")
        + texteDate(p.debut) + QStringLiteral("</strong><br/>");
    if (estStagiaire) {
        bloc += QStringLiteral("&nbsp;&nbsp;Durée de stage = <strong>") + QString::number(p.duree)
            + QStringLiteral(" mois</strong><br/>");
        bloc += QStringLiteral("&nbsp;&nbsp;Fin de stage = <strong>") + texteDate(p.fin)
            + QStringLiteral("</strong><br/>");
    }
    bloc += QStringLiteral("&nbsp;&nbsp;Commentaire = <strong>")
        + (p.commentaire.isEmpty() ? QStringLiteral("Pas de commentaire") : html(p.commentaire))
        + QStringLiteral("</strong><br/>");
    return bloc;
}

// The blocks of the next persons found, with their absences; empty once every
// person has been written, or when the server refused to give the absences
// (its message is then in `erreur`).
QString blocsSuivants(const QSqlDatabase &db, Curseur<employes::Personne> &trouves, QString *erreur)
{
    const QList<employes::Personne> tranche = trouves.suivants(rangsParTranche);
    if (tranche.isEmpty())
        return QString();
    QList<QVariant> ids;
    for (const employes::Personne &p : tranche)
        ids << p.id;
    QHash<int, employes::Releve> releves;
    const Issue issue = employes::releves(db, ids, &releves);
    if (!issue.ok()) {
        *erreur = issue.raison;
        return QString();
    }
    QString texte;
    for (const employes::Personne &p : tranche) {
        const employes::Releve r = releves.value(p.id.toInt());
        // Without absences the sum of no rows reads 0.
        const QString dates =
            r.total == QLatin1String("0") ? QStringLiteral("Pas d'absence") : r.dates;
        texte += debutDeBloc(p) + QStringLiteral("&nbsp;&nbsp;dates absence = <strong>") + dates
            + QStringLiteral("</strong><br>&nbsp;&nbsp;heures totales d'absence = <strong>")
            + r.total + QStringLiteral("</strong> heures<br/><br/><hr/>");
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

    // The page writes its persons out slice by slice, while the read stays open.
    auto trouves = std::make_shared<Curseur<employes::Personne>>();
    if (!lectureReussie(this, employes::chercher(db, typeCourant(), texte, trouves.get())))
        return;

    QDialog *page = ouvrirDialogue(QStringLiteral("Recherche ") + qui, 400, 500);
    if (trouves->taille() < 1) {
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
    contenu->ajouter([connexion, trouves, parentDesRefus] {
        QString refus;
        const QString blocs = blocsSuivants(connexion, *trouves, &refus);
        if (!refus.isEmpty()) {
            *trouves = Curseur<employes::Personne>();
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
