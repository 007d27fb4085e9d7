#include "app/entreprise.h"
#include "app/ui.h"
#include "employes/listes.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSqlQuery>

namespace {

// Runs the statements in one transaction: all of them take effect, or none.
bool toutOuRien(QSqlDatabase &db, const QStringList &instructions)
{
    if (!db.transaction())
        return false;
    QSqlQuery requete(db);
    for (const QString &instruction : instructions) {
        if (!requete.exec(instruction)) {
            db.rollback();
            return false;
        }
    }
    if (db.commit())
        return true;
    db.rollback();
    return false;
}

} // namespace

void Entreprise::employeSupp()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString pluriel =
        stagiaire ? QStringLiteral("de stagiaires") : QStringLiteral("d'employés");
    const QString singulier = stagiaire ? QStringLiteral("stagiaire") : QStringLiteral("employé");

    QDialog *page = nouveauDialogue(QStringLiteral("Supprimer un ") + singulier, 350, 140);
    QSqlQuery personnes(db);
    personnes.exec(QStringLiteral("SELECT id, nom, prenom FROM employes WHERE type=")
                   + QString::number(typeCourant()));
    if (personnes.size() < 1) {
        employes::aucuneDonnee(
            page, QStringLiteral("Vous n'avez pas ") + pluriel + QStringLiteral(" à supprimer"));
        return;
    }
    QStringList entrees;
    entrees.reserve(personnes.size());
    while (personnes.next())
        entrees << employes::entreePersonne(personnes.value(0), personnes.value(1),
                                            personnes.value(2));

    etiquette(page, QStringLiteral("Supprimer un ") + singulier,
              QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 350, 30));
    personneBox = new QComboBox(page);
    personneBox->setGeometry(10, 70, 150, 25);
    personneBox->addItems(entrees);

    auto *supprimer =
        new Button(Couleurs::rouge(), true, 0.0, 0.0, QStringLiteral("Supprimer"), 170, 25, page);
    supprimer->move(170, 70);
    auto *fermer =
        new Button(Couleurs::bleu(), true, 2.0, 10.0, QStringLiteral("Fermer"), 330, 30, page);
    fermer->move(10, 100);
    connect(supprimer, &Button::clicked, this, &Entreprise::employeSuppValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeSuppValide()
{
    const int numero = idDepuisEntree(personneBox->currentText());
    const QString id = QString::number(numero);
    if (QMessageBox::question(dialog, QStringLiteral("confirmation"),
                              QStringLiteral("Voulez vous vraiment supprimé l'élément <strong>n°")
                                  + id + QStringLiteral("</strong>"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
        != QMessageBox::Yes)
        return;

    // The person goes with their absences, or neither goes.
    if (!toutOuRien(db,
                    { QStringLiteral("DELETE FROM employes WHERE id=") + id,
                      QStringLiteral("DELETE FROM absence WHERE employe_id=") + id })) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Impossible de supprimer l'élément choisi"));
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                             QStringLiteral("L'élément a été supprimé avec succes"));
    dialog->accept();
}

void Entreprise::employeVide()
{
    if (!connexionEmploye())
        return;
    if (QMessageBox::question(this, QStringLiteral("confirmation"),
                              QStringLiteral("Voulez vous vraiment supprimé les <strong>")
                                  + motType() + QStringLiteral("s</strong>"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
        != QMessageBox::Yes)
        return;

    // The absences of the type's persons go first, and with the persons or not at all.
    const QString type = QString::number(typeCourant());
    if (!toutOuRien(db,
                    { QStringLiteral("DELETE absence FROM absence INNER JOIN employes ON "
                                     "employes.id=absence.employe_id WHERE type=")
                          + type,
                      QStringLiteral("DELETE FROM employes WHERE type=") + type })) {
        QMessageBox::warning(this, QStringLiteral("Vidage échoué"),
                             QStringLiteral("La resuête n'a pas été effectuée avec succes"));
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(this, QStringLiteral("Vidage reussi reussie"),
                             QStringLiteral("Votre requête a été effectuée avec succes"));
}
