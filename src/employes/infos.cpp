#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QDialog>
#include <QSqlQuery>

#include <memory>

namespace {

// Reads the first column of the first row of each statement, in order, until
// the server refuses one (false, its message in `erreur`).
class Lecteur
{
public:
    explicit Lecteur(const QSqlDatabase &db)
        : requete(db)
    {
    }

    QVariant valeur(const QString &instruction)
    {
        if (!erreur.isEmpty())
            return QVariant();
        if (!executer(requete, instruction)) {
            erreur = messageServeur(requete);
            return QVariant();
        }
        return requete.next() ? requete.value(0) : QVariant();
    }

    // A count or a sum read as a number: a sum of no rows counts 0.
    int nombre(const QString &instruction) { return valeur(instruction).toInt(); }

    QString erreur;

private:
    QSqlQuery requete;
};

} // namespace

void Entreprise::employeInfo()
{
    if (!connexionEmploye())
        return;

    // Both types, whatever the home page shows. Everything is read first: a
    // refused read shows no page.
    Lecteur lecteur(db);
    const QString personnes =
        lecteur.valeur(QStringLiteral("SELECT COUNT(*) FROM employes")).toString();
    const int employesM =
        lecteur.nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='M'"));
    const int employesF =
        lecteur.nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='F'"));
    const int stagiairesM =
        lecteur.nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='M'"));
    const int stagiairesF =
        lecteur.nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='F'"));
    const int heuresEmployesM =
        lecteur.nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                      "employes.id=absence.employe_id WHERE type=1 AND sexe='M'"));
    const int heuresEmployesF =
        lecteur.nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                      "employes.id=absence.employe_id WHERE type=1 AND sexe='F'"));
    const int heuresStagiairesM =
        lecteur.nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                      "employes.id=absence.employe_id WHERE type=2 AND sexe='M'"));
    const int heuresStagiairesF =
        lecteur.nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                      "employes.id=absence.employe_id WHERE type=2 AND sexe='F'"));
    // A sum of no rows reads 0.
    const QVariant total =
        lecteur.valeur(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                      "employes.id=absence.employe_id"));
    const QString heures = total.isNull() ? QStringLiteral("0") : texteNombre(total);
    if (!lecteur.erreur.isEmpty()) {
        lectureRefusee(this, lecteur.erreur);
        return;
    }

    const QString retrait = QStringLiteral("&nbsp;").repeated(4);
    const QString sousRetrait = QStringLiteral("&nbsp;").repeated(7);
    auto n = [](int valeur) { return QString::number(valeur); };
    QString contenu;
    contenu += QStringLiteral("Nombre de personnel enregistré = <strong>") + personnes
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre d'employés = <strong>")
        + n(employesM + employesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(employesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(employesF)
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre de stagiaires = <strong>")
        + n(stagiairesM + stagiairesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(stagiairesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(stagiairesF)
        + QStringLiteral("</strong><br/><br/><br/>");
    contenu += QStringLiteral("Somme totale d'heure absence enregistrée = <strong>") + heures
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des employés = <strong>")
        + n(heuresEmployesM + heuresEmployesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(heuresEmployesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(heuresEmployesF)
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des stagiaires = <strong>")
        + n(heuresStagiairesM + heuresStagiairesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(heuresStagiairesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(heuresStagiairesF)
        + QStringLiteral("</strong> heures");

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
