#include "app/entreprise.h"
#include "app/ui.h"
#include "employes/listes.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSpinBox>
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

    QDialog *page =
        nouveauDialogue(QStringLiteral("Ajouter une absence à un ") + motType(), 350, 190);
    QSqlQuery personnes(db);
    personnes.exec(QStringLiteral("SELECT id, nom, prenom FROM employes WHERE type=")
                   + QString::number(typeCourant()));
    if (personnes.size() < 1) {
        employes::aucuneDonnee(
            page, QStringLiteral("Vous n'avez pas ") + pluriel + QStringLiteral(" enregistré"));
        return;
    }

    legende(page, QStringLiteral("Durée (nombre d'heure) :"), QString(), 10, 55);
    legende(page, QStringLiteral("Choisissez ") + singulier + QStringLiteral(" :"), QString(), 10,
            85);
    legende(page, QStringLiteral("La date :"), QString(), 10, 115);
    heureBox = new QSpinBox(page);
    heureBox->setGeometry(140, 50, 80, 25);
    heureBox->setRange(1, 1000);
    heureBox->setValue(1);

    QStringList entrees;
    entrees.reserve(personnes.size());
    while (personnes.next())
        entrees << employes::entreePersonne(personnes.value(0), personnes.value(1),
                                            personnes.value(2));

    etiquette(page, QStringLiteral("Ajouter une absence"),
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    personneBox = employes::liste(page, entrees, QRect(130, 80, 150, 25));
    jourAbsenceBox = employes::liste(page, employes::jours(), QRect(60, 110, 50, 25));
    moisAbsenceBox = employes::liste(page, employes::mois(), QRect(120, 110, 120, 25));
    anneeAbsenceBox = employes::liste(page, employes::annees(1990), QRect(250, 110, 50, 25));
    anneeAbsenceBox->setCurrentIndex(anneeAbsenceBox->count() - 1);

    auto *ajouter = new Button(Couleurs::bleu(), true, 10.0, 5.0,
                               QStringLiteral("Ajouter l'absence"), 160, 25, page);
    ajouter->move(10, 150);
    auto *fermer =
        new Button(Couleurs::bleu(), true, 5.0, 10.0, QStringLiteral("Fermer"), 160, 25, page);
    fermer->move(180, 150);
    connect(ajouter, &Button::clicked, this, &Entreprise::employeAbscValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeAbscValide()
{
    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("INSERT INTO absence SET employe_id=:employe_id, "
                                   "date_absence=:date_absence, nbre_heure=:nbre_heure"));
    requete.bindValue(QStringLiteral(":employe_id"), idDepuisEntree(personneBox->currentText()));
    requete.bindValue(QStringLiteral(":date_absence"),
                      employes::dateChoisie(jourAbsenceBox, moisAbsenceBox, anneeAbsenceBox));
    requete.bindValue(QStringLiteral(":nbre_heure"), heureBox->value());
    if (!requete.exec()) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur"),
                             QStringLiteral("L'ajout de l'absence a été échoué"));
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
    QDialog *page = nouveauDialogue(QStringLiteral("Supprimer une absence"), 350, 120);
    QSqlQuery liste(db);
    liste.exec(QStringLiteral("SELECT nbre_heure, date_absence, absence.id, nom, prenom FROM "
                              "employes INNER JOIN absence ON absence.employe_id=employes.id WHERE "
                              "type=")
               + QString::number(typeCourant()));
    if (liste.size() < 1) {
        employes::aucuneDonnee(
            page, QStringLiteral("Aucun ") + motType() + QStringLiteral(" n'a fait une absence"));
        return;
    }

    legende(page, QStringLiteral("Choisir :"), QString(), 10, 65);
    // "n°5 8 h du 05/03/2013 de Martin Anne"
    QStringList entrees;
    entrees.reserve(liste.size());
    while (liste.next()) {
        entrees << QStringLiteral("n°") + liste.value(2).toString() + QLatin1Char(' ')
                + liste.value(0).toString() + QStringLiteral(" h du ")
                + liste.value(1).toDate().toString(QStringLiteral("dd/MM/yyyy"))
                + QStringLiteral(" de ") + liste.value(3).toString() + QLatin1Char(' ')
                + liste.value(4).toString();
    }
    etiquette(page, QStringLiteral("Supprimer une absence"),
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    absenceBox = employes::liste(page, entrees, QRect(60, 60, 260, 25));

    auto *supprimer = new Button(Couleurs::rouge(), true, 10.0, 5.0,
                                 QStringLiteral("Supprimer l'absence"), 160, 25, page);
    supprimer->move(10, 90);
    auto *fermer =
        new Button(Couleurs::bleu(), true, 5.0, 10.0, QStringLiteral("Fermer"), 160, 25, page);
    fermer->move(180, 90);
    connect(supprimer, &Button::clicked, this, &Entreprise::employeSAbsValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeSAbsValide()
{
    if (QMessageBox::question(dialog, QStringLiteral("Confirmation"),
                              QStringLiteral("Voulez vous vraiment supprimer ce élément"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
        != QMessageBox::Yes)
        return;
    QSqlQuery requete(db);
    if (!requete.exec(QStringLiteral("DELETE FROM absence WHERE id=")
                      + QString::number(idDepuisEntree(absenceBox->currentText())))) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Impossible de supprimer l'élément choisi"));
        return;
    }
    QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                             QStringLiteral("L'élément a été supprimé avec succes"));
    dialog->accept();
}
