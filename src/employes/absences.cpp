#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "employes/etat.h"
#include "employes/listes.h"

#include <QDialog>
#include <QMessageBox>
#include <QSqlQuery>

void Entreprise::employeAbsc()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString pluriel =
        stagiaire ? QStringLiteral("de stagiaires") : QStringLiteral("d'employés");
    const QString singulier =
        stagiaire ? QStringLiteral("le stagiaire") : QStringLiteral("l'employé");

    QSqlQuery personnes(db);
    personnes.setForwardOnly(true);
    personnes.prepare(QStringLiteral("SELECT id, nom, prenom FROM employes WHERE type=:type"));
    personnes.bindValue(QStringLiteral(":type"), typeCourant());
    if (!lire(personnes, this))
        return;
    QDialog *page =
        ouvrirDialogue(QStringLiteral("Ajouter une absence à un ") + motType(), 350, 190);
    if (personnes.size() < 1) {
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
    const auto refuser = [this](const QString &raison) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur"),
                             QStringLiteral("L'ajout de l'absence a été échoué\n") + raison);
    };
    const QString dateImpossible =
        employes::refusDateChoisie(etat.jourAbsenceBox, etat.moisAbsenceBox, etat.anneeAbsenceBox,
                                   QStringLiteral("date de l'absence"));
    if (!dateImpossible.isEmpty()) {
        refuser(dateImpossible);
        return;
    }
    // In a transaction: should the server stop answering, the row it may still
    // write is undone with the lost connection.
    Transaction transaction(db);
    if (!transaction.ouverte()) {
        refuser(transaction.erreur());
        return;
    }
    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("INSERT INTO absence SET employe_id=:employe_id, "
                                   "date_absence=:date_absence, nbre_heure=:nbre_heure"));
    requete.bindValue(QStringLiteral(":employe_id"), etat.personneBox->currentData());
    requete.bindValue(
        QStringLiteral(":date_absence"),
        employes::dateChoisie(etat.jourAbsenceBox, etat.moisAbsenceBox, etat.anneeAbsenceBox));
    requete.bindValue(QStringLiteral(":nbre_heure"), etat.heureBox->value());
    if (!executer(requete)) {
        refuser(raisonRefus(requete, QStringLiteral("absence")));
        return;
    }
    if (!transaction.valider()) {
        refuser(transaction.erreur());
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
    QSqlQuery liste(db);
    liste.setForwardOnly(true);
    liste.prepare(QStringLiteral("SELECT nbre_heure, date_absence, absence.id, nom, prenom FROM "
                                 "employes INNER JOIN absence ON absence.employe_id=employes.id "
                                 "WHERE type=:type"));
    liste.bindValue(QStringLiteral(":type"), typeCourant());
    if (!lire(liste, this))
        return;
    QDialog *page = ouvrirDialogue(QStringLiteral("Supprimer une absence"), 350, 120);
    if (liste.size() < 1) {
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
    while (liste.next()) {
        etat.absenceBox->addItem(
            QStringLiteral("n°") + liste.value(2).toString() + QLatin1Char(' ')
                + liste.value(0).toString() + QStringLiteral(" h du ")
                + liste.value(1).toDate().toString(QStringLiteral("dd/MM/yyyy"))
                + QStringLiteral(" de ") + liste.value(3).toString() + QLatin1Char(' ')
                + liste.value(4).toString(),
            liste.value(2));
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
    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("DELETE FROM absence WHERE id=:id"));
    requete.bindValue(QStringLiteral(":id"), etatEmployes->absenceBox->currentData());
    if (!executer(requete)) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Impossible de supprimer l'élément choisi"));
        return;
    }
    QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                             QStringLiteral("L'élément a été supprimé avec succes"));
    dialog->accept();
}
