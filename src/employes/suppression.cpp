#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "employes/etat.h"
#include "employes/listes.h"

#include <QDialog>
#include <QMessageBox>

void Entreprise::employeSupp()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString pluriel =
        stagiaire ? QStringLiteral("de stagiaires") : QStringLiteral("d'employés");
    const QString singulier = stagiaire ? QStringLiteral("stagiaire") : QStringLiteral("employé");

    QList<employes::Personne> personnes;
    if (!lectureReussie(this, employes::personnes(db, typeCourant(), &personnes)))
        return;
    QDialog *page = ouvrirDialogue(QStringLiteral("Supprimer un ") + singulier, 350, 140);
    if (personnes.isEmpty()) {
        employes::aucuneDonnee(
            page, QStringLiteral("Vous n'avez pas ") + pluriel + QStringLiteral(" à supprimer"));
        return;
    }

    etiquette(page, QStringLiteral("Supprimer un ") + singulier,
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    etatEmployes->personneBox = employes::listePersonnes(page, personnes, QRect(10, 70, 150, 25));

    Button *supprimer = bouton(page, { Couleurs::rouge(), true, 0.0, 0.0 },
                               QStringLiteral("Supprimer"), QRect(170, 70, 170, 25));
    Button *fermer = bouton(page, { Couleurs::bleu(), true, 2.0, 10.0 }, QStringLiteral("Fermer"),
                            QRect(10, 100, 330, 30));
    connect(supprimer, &Button::clicked, this, &Entreprise::employeSuppValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeSuppValide()
{
    const QVariant id = etatEmployes->personneBox->currentData();
    if (!confirmer(dialog, QStringLiteral("confirmation"),
                   QStringLiteral("Voulez vous vraiment supprimé l'élément <strong>n°")
                       + id.toString() + QStringLiteral("</strong>")))
        return;

    const Issue issue = employes::supprimerPersonne(db, id);
    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (!issue.ok() && issue != Issue::DejaSupprime) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Impossible de supprimer l'élément choisi"));
        return;
    }
    rafraichirCompleteurEmployes();
    if (issue == Issue::DejaSupprime)
        dejaSupprimeSignale(dialog);
    else
        QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("L'élément a été supprimé avec succes"));
    dialog->accept();
}

void Entreprise::employeVide()
{
    if (!connexionEmploye())
        return;
    if (!confirmer(this, QStringLiteral("confirmation"),
                   QStringLiteral("Voulez vous vraiment supprimé les <strong>") + motType()
                       + QStringLiteral("s</strong>")))
        return;
    schema::Bornes bornes;
    if (!sauvegardeAvantVider(this, { QStringLiteral("employes"), QStringLiteral("absence") },
                              &bornes))
        return;

    const Issue issue = employes::viderType(db, typeCourant(), bornes);
    if (issue == Issue::Conflit) {
        conflitSignale(this);
        return;
    }
    if (issueIncertaineSignalee(this, issue))
        return;
    if (!issue.ok()) {
        QMessageBox::warning(this, QStringLiteral("Vidage échoué"),
                             QStringLiteral("La resuête n'a pas été effectuée avec succes"));
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(this, QStringLiteral("Vidage reussi reussie"),
                             QStringLiteral("Votre requête a été effectuée avec succes"));
}
