#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "compte/etat.h"
#include "compte/registre.h"

#include <QDialog>
#include <QMessageBox>

void Entreprise::ajoutSujet()
{
    if (!connexionCompte())
        return;

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Ajouter une dépense ou un gain"), 290, 200);
    const QString styleLegende = QStringLiteral("font-size:15px;");
    legende(fenetre, QStringLiteral("Dépense/Gain"), styleLegende, 30, 15);
    legende(fenetre, QStringLiteral("Valeur(en nombre)"), styleLegende, 150, 15);

    EtatCompte &etat = *etatCompte;
    etat.sujetCombo = new QComboBox(fenetre);
    etat.sujetCombo->setObjectName(QStringLiteral("sujetCombo"));
    etat.sujetCombo->setGeometry(20, 35, 120, 30);
    etat.sujetCombo->addItems(
        { QStringLiteral("Choisir"), QStringLiteral("Dépense"), QStringLiteral("Gain") });
    etat.sujetCombo->setStyleSheet(QStringLiteral("color:green;font-size:16px;"));

    etat.valeurEdit = new QLineEdit(fenetre);
    etat.valeurEdit->setObjectName(QStringLiteral("valeurEdit"));
    etat.valeurEdit->setGeometry(150, 35, 120, 30);
    etat.valeurEdit->setStyleSheet(
        QStringLiteral("color:white;font-size:16px;font-weight:bold;background-color:back;"));

    etat.commentaireEdit = new QTextEdit(fenetre);
    etat.commentaireEdit->setObjectName(QStringLiteral("commentaireEdit"));
    etat.commentaireEdit->setGeometry(20, 70, 250, 90);

    const QList<Button *> boutons = rangee(fenetre, { Couleurs::bleu(), true, 4.0, 4.0 },
                                           { QStringLiteral("Ajouter"), QStringLiteral("Annuler") },
                                           QPoint(20, 165), QSize(120, 25));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::ajoutValeur);
    connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}

void Entreprise::ajoutValeur()
{
    const EtatCompte &etat = *etatCompte;
    // "Choisir" is no kind: the register refuses it.
    compte::Ecriture ecriture;
    ecriture.sujet =
        etat.sujetCombo->currentIndex() == 0 ? QString() : etat.sujetCombo->currentText();
    ecriture.valeur = etat.valeurEdit->text();
    ecriture.commentaire = etat.commentaireEdit->toPlainText();

    const Issue issue = compte::ajouter(db, ecriture);
    if (issue == Issue::Ecrit) {
        QMessageBox::information(dialog, QStringLiteral("Ajout reussi avec succes"),
                                 QStringLiteral("L'enregistrement de votre requête a été "
                                                "effectué avec succes"));
        dialog->accept();
    } else if (issue == Issue::Conflit) {
        conflitSignale(dialog, issue.raison);
    } else if (issue.champ == compte::champSujet) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur de choix"), issue.raison);
    } else if (issue.champ == compte::champMontant) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur : Pas de valeur"),
                              QStringLiteral("Veuillez specifier la valeur numerique valide "
                                             "attribuée à votre élément\n")
                                  + issue.raison);
    } else if (!issueIncertaineSignalee(dialog, issue)) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Une erreur est survenue lors de l'enregistrement de "
                                            "votre requête.\nL'enregistrement n'a pas été "
                                            "effectué\n")
                                 + issue.raison);
    }
}
