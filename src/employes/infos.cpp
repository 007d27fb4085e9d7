#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/pages.h"
#include "employes/registre.h"

#include <QDialog>

#include <memory>

namespace {

// The summary's figures as the page shows them.
QString pageEffectifs(const employes::Effectifs &b)
{
    const QString retrait = QStringLiteral("&nbsp;").repeated(4);
    const QString sousRetrait = QStringLiteral("&nbsp;").repeated(7);
    auto n = [](int valeur) { return QString::number(valeur); };
    QString contenu;
    contenu += QStringLiteral("Nombre de personnel enregistré = <strong>") + n(b.personnes)
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre d'employés = <strong>")
        + n(b.employesM + b.employesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(b.employesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(b.employesF)
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre de stagiaires = <strong>")
        + n(b.stagiairesM + b.stagiairesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(b.stagiairesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(b.stagiairesF)
        + QStringLiteral("</strong><br/><br/><br/>");
    contenu += QStringLiteral("Somme totale d'heure absence enregistrée = <strong>") + b.heures
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des employés = <strong>")
        + n(b.heuresEmployesM + b.heuresEmployesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(b.heuresEmployesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(b.heuresEmployesF)
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des stagiaires = <strong>")
        + n(b.heuresStagiairesM + b.heuresStagiairesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(b.heuresStagiairesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(b.heuresStagiairesF)
        + QStringLiteral("</strong> heures");

    return contenu;
}

} // namespace

void Entreprise::employeInfo()
{
    if (!connexionEmploye())
        return;

    // Both types, whatever the home page shows. Everything is read first: a
    // refused read shows no page.
    employes::Effectifs b;
    if (!lectureReussie(this, employes::effectifs(db, &b)))
        return;

    const QString contenu = pageEffectifs(b);
    QDialog *page =
        ouvrirDialogue(QStringLiteral("Informations sur employés et les stagiaires"), 400, 500);
    etiquette(page, QStringLiteral("Informations"),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline"),
              QRect(0, 10, 400, 30));
    auto figures = std::make_shared<Contenu>();
    figures->setEnTete(blocStyle(QStringLiteral("color:orange;font-size:24px;text-decoration:"
                                                "underline;text-align:center;"),
                                 QStringLiteral("Informations")));
    figures->ajouter(blocStyle(QStringLiteral("color:green;font-size:13px;"), contenu));
    auto *resultat = new PageResultat(figures, page);
    resultat->setGeometry(10, 50, 370, 400);

    rangeeDePage(page, { Couleurs::bleu(), true, 15.0, 10.0 }, QStringLiteral("Fermer"),
                 QRect(10, 470, 370, 25), figures, QStringLiteral("informations-personnel"));
    page->exec();
}
