#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/saisie.h"
#include "compte/etat.h"

#include <QDateTime>
#include <QDialog>
#include <QMessageBox>
#include <QSqlQuery>

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
    const QString sujet = etat.sujetCombo->currentText();
    const QString valeur = etat.valeurEdit->text();

    if (etat.sujetCombo->currentIndex() == 0) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur de choix"),
                              QStringLiteral("Veuillez specifier si il s'agit d'une dépense ou "
                                             "d'un gain"));
        return;
    }
    // The amount is stored as the number read, written the way the server sums
    // it: the balance report then counts what the user typed.
    QString raison;
    const QString montant = montantLu(valeur, QStringLiteral("Le montant"), false, &raison);
    if (montant.isNull()) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur : Pas de valeur"),
                              QStringLiteral("Veuillez specifier la valeur numerique valide "
                                             "attribuée à votre élément\n")
                                  + raison);
        return;
    }
    const QString commentaire = saisie(etat.commentaireEdit->toPlainText());
    const auto refuser = [this](const QString &pourquoi) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Une erreur est survenue lors de l'enregistrement de "
                                            "votre requête.\nL'enregistrement n'a pas été "
                                            "effectué\n")
                                 + pourquoi);
    };
    raison = premierRefus({ { QStringLiteral("Le commentaire"), commentaire, 0 } });
    if (!raison.isEmpty()) {
        refuser(raison);
        return;
    }

    // In a transaction: should the server stop answering, the entry it may
    // still write is undone with the lost connection.
    Transaction transaction(db);
    if (!transaction.ouverte()) {
        refuser(transaction.erreur());
        return;
    }
    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("INSERT INTO compte SET sujet = :sujet, valeur = :valeur, "
                                   "commentaire = :commentaire, date_insert = :date_insert;"));
    requete.bindValue(QStringLiteral(":sujet"), sujet);
    requete.bindValue(QStringLiteral(":valeur"), montant);
    // No comment is stored as an empty text, not as NULL.
    requete.bindValue(QStringLiteral(":commentaire"), commentaire);
    requete.bindValue(QStringLiteral(":date_insert"),
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));

    if (!executer(requete)) {
        refuser(raisonRefus(requete, QStringLiteral("compte")));
        return;
    }
    if (!transaction.valider()) {
        refuser(transaction.erreur());
        return;
    }
    QMessageBox::information(dialog, QStringLiteral("Ajout reussi avec succes"),
                             QStringLiteral("L'enregistrement de votre requête a été effectué "
                                            "avec succes"));
    dialog->accept();
}
