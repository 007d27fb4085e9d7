#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "employes/etat.h"
#include "employes/listes.h"

#include <QDialog>
#include <QMessageBox>

void Entreprise::employeAbsc()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString pluriel =
        stagiaire ? QStringLiteral("de stagiaires") : QStringLiteral("d'employés");
    const QString singulier =
        stagiaire ? QStringLiteral("le stagiaire") : QStringLiteral("l'employé");

    QList<employes::Personne> personnes;
    if (!lectureReussie(this, employes::personnes(db, typeCourant(), &personnes)))
        return;
    QDialog *page =
        ouvrirDialogue(QStringLiteral("Ajouter une absence à un ") + motType(), 350, 190);
    if (personnes.isEmpty()) {
        employes::aucuneDonnee(
            page, QStringLiteral("Vous n'avez pas ") + pluriel + QStringLiteral(" enregistré"));
        return;
    }

    legende(page, QStringLiteral("Durée (nombre d'heure) :"), QString(), 10, 55);
    legende(page, QStringLiteral("Choisissez ") + singulier + QStringLiteral(" :"), QString(), 10,
            85);
    legende(page, QStringLiteral("La date :"), QString(), 10, 115);
    EtatEmployes &etat = *etatEmployes;
    etat.heureBox = new QSpinBox(page);
    etat.heureBox->setObjectName(QStringLiteral("heureBox"));
    etat.heureBox->setGeometry(140, 50, 80, 25);
    etat.heureBox->setRange(1, 1000);
    etat.heureBox->setValue(1);

    etiquette(page, QStringLiteral("Ajouter une absence"),
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    etat.personneBox = employes::listePersonnes(page, personnes, QRect(130, 80, 150, 25));
    etat.jourAbsenceBox = employes::liste(page, QStringLiteral("jourAbsenceBox"), employes::jours(),
                                          QRect(60, 110, 50, 25));
    etat.moisAbsenceBox = employes::liste(page, QStringLiteral("moisAbsenceBox"), employes::mois(),
                                          QRect(120, 110, 120, 25));
    // Wider than first drawn, so that a year reads whole beside the arrow.
    etat.anneeAbsenceBox = employes::liste(page, QStringLiteral("anneeAbsenceBox"),
                                           employes::annees(1990), QRect(250, 110, 55, 25));
    etat.anneeAbsenceBox->setCurrentIndex(etat.anneeAbsenceBox->count() - 1);

    Button *ajouter = bouton(page, { Couleurs::bleu(), true, 10.0, 5.0 },
                             QStringLiteral("Ajouter l'absence"), QRect(10, 150, 160, 25));
    Button *fermer = bouton(page, { Couleurs::bleu(), true, 5.0, 10.0 }, QStringLiteral("Fermer"),
                            QRect(180, 150, 160, 25));
    connect(ajouter, &Button::clicked, this, &Entreprise::employeAbscValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeAbscValide()
{
    const EtatEmployes &etat = *etatEmployes;
    employes::Absence absence;
    absence.personneId = etat.personneBox->currentData();
    absence.heures = etat.heureBox->value();
    const Issue issue = employes::ajouterAbsence(
        db, absence,
        employes::jourChoisi(etat.jourAbsenceBox, etat.moisAbsenceBox, etat.anneeAbsenceBox));
    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (!issue.ok()) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur"),
                             QStringLiteral("L'ajout de l'absence a été échoué\n") + issue.raison);
        return;
    }
    QMessageBox::information(dialog, QStringLiteral("Ajout reussi"),
                             QStringLiteral("L'absence a été ajouté avec succes"));
    dialog->accept();
}

void Entreprise::employeSAbs()
{
    if (!connexionEmploye())
        return;
    QList<employes::Absence> liste;
    if (!lectureReussie(this, employes::absences(db, typeCourant(), &liste)))
        return;
    QDialog *page = ouvrirDialogue(QStringLiteral("Supprimer une absence"), 350, 120);
    if (liste.isEmpty()) {
        employes::aucuneDonnee(
            page, QStringLiteral("Aucun ") + motType() + QStringLiteral(" n'a fait une absence"));
        return;
    }

    legende(page, QStringLiteral("Choisir :"), QString(), 10, 65);
    etiquette(page, QStringLiteral("Supprimer une absence"),
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    // "n°5 8 h du 05/03/2013 de Martin Anne", carrying the absence's number
    EtatEmployes &etat = *etatEmployes;
    etat.absenceBox =
        employes::liste(page, QStringLiteral("absenceBox"), {}, QRect(60, 60, 260, 25));
    for (const employes::Absence &a : std::as_const(liste)) {
        etat.absenceBox->addItem(QStringLiteral("n°") + a.id.toString() + QLatin1Char(' ')
                                     + QString::number(a.heures) + QStringLiteral(" h du ")
                                     + a.date.toString(QStringLiteral("dd/MM/yyyy"))
                                     + QStringLiteral(" de ") + a.nom + QLatin1Char(' ') + a.prenom,
                                 a.id);
    }

    Button *supprimer = bouton(page, { Couleurs::rouge(), true, 10.0, 5.0 },
                               QStringLiteral("Supprimer l'absence"), QRect(10, 90, 160, 25));
    Button *fermer = bouton(page, { Couleurs::bleu(), true, 5.0, 10.0 }, QStringLiteral("Fermer"),
                            QRect(180, 90, 160, 25));
    connect(supprimer, &Button::clicked, this, &Entreprise::employeSAbsValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeSAbsValide()
{
    if (!confirmer(dialog, QStringLiteral("Confirmation"),
                   QStringLiteral("Voulez vous vraiment supprimer ce élément")))
        return;
    const Issue issue = employes::supprimerAbsence(db, etatEmployes->absenceBox->currentData());
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
    if (issue == Issue::DejaSupprime)
        dejaSupprimeSignale(dialog);
    else
        QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("L'élément a été supprimé avec succes"));
    dialog->accept();
}
