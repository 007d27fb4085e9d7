#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QMessageBox>
#include <QSqlQuery>
#include <QTextEdit>

#include <cmath>

void Entreprise::ajoutSujet()
{
    if (!connexionCompte())
        return;

    QDialog *fenetre = nouveauDialogue(QStringLiteral("Ajouter une dépense ou un gain"), 290, 200);
    const QString styleLegende = QStringLiteral("font-size:15px;");
    legende(fenetre, QStringLiteral("Dépense/Gain"), styleLegende, 30, 15);
    legende(fenetre, QStringLiteral("Valeur(en nombre)"), styleLegende, 150, 15);

    sujetCombo = new QComboBox(fenetre);
    sujetCombo->setGeometry(20, 35, 120, 30);
    sujetCombo->addItems(
        { QStringLiteral("Choisir"), QStringLiteral("Dépense"), QStringLiteral("Gain") });
    sujetCombo->setStyleSheet(QStringLiteral("color:green;font-size:16px;"));

    valeurEdit = new QLineEdit(fenetre);
    valeurEdit->setGeometry(150, 35, 120, 30);
    valeurEdit->setStyleSheet(
        QStringLiteral("color:white;font-size:16px;font-weight:bold;background-color:back;"));

    commentaireEdit = new QTextEdit(fenetre);
    commentaireEdit->setGeometry(20, 70, 250, 90);

    auto *ajouter =
        new Button(Couleurs::bleu(), true, 4.0, 4.0, QStringLiteral("Ajouter"), 120, 25, fenetre);
    ajouter->move(20, 165);
    auto *annuler =
        new Button(Couleurs::bleu(), true, 4.0, 4.0, QStringLiteral("Annuler"), 120, 25, fenetre);
    annuler->move(150, 165);
    connect(annuler, &Button::clicked, fenetre, &QDialog::accept);
    connect(ajouter, &Button::clicked, this, &Entreprise::ajoutValeur);

    fenetre->exec();
}

void Entreprise::ajoutValeur()
{
    const QString sujet = sujetCombo->currentText();
    const QString valeur = valeurEdit->text();

    if (sujetCombo->currentIndex() == 0) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur de choix"),
                              QStringLiteral("Veuillez specifier si il s'agit d'une dépense ou "
                                             "d'un gain"));
        return;
    }
    // "inf" and "nan" read as numbers too, but are no amount.
    const double nombre = lireNombre(valeur);
    if (!std::isfinite(nombre) || nombre <= 0) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur : Pas de valeur"),
                              QStringLiteral("Veuillez specifier la valeur numerique valide "
                                             "attribuée à votre élément"));
        return;
    }

    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("INSERT INTO compte SET sujet = :sujet, valeur = :valeur, "
                                   "commentaire = :commentaire, date_insert = :date_insert;"));
    requete.bindValue(QStringLiteral(":sujet"), sujet);
    // The amount is kept as typed: 12.50 stays 12.50.
    requete.bindValue(QStringLiteral(":valeur"), valeur);
    // No comment is stored as an empty text, not as NULL.
    requete.bindValue(QStringLiteral(":commentaire"), saisie(commentaireEdit->toPlainText()));
    requete.bindValue(QStringLiteral(":date_insert"),
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));

    if (requete.exec()) {
        QMessageBox::information(dialog, QStringLiteral("Ajout reussi avec succes"),
                                 QStringLiteral("L'enregistrement de votre requête a été effectué "
                                                "avec succes"));
        dialog->accept();
    } else {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Une erreur est survenue lors de l'enregistrement de "
                                            "votre requête.\nL'enregistrement n'a pas été "
                                            "effectué"));
    }
}
