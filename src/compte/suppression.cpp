#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QListView>
#include <QMessageBox>
#include <QSqlQuery>

namespace {

// One entry of the delete list: "sujet n°7 - Il s'agit d'un gain - valeur = 150F".
QString entreeCompte(const QString &id, const QString &sujet, const QString &valeur)
{
    const QString article =
        sujet == QLatin1String("Gain") ? QStringLiteral("d'un") : QStringLiteral("d'une");
    return QStringLiteral("sujet n°") + id + QStringLiteral(" - Il s'agit ") + article
        + QLatin1Char(' ') + sujet.toLower() + QStringLiteral(" - valeur = ") + valeur
        + QLatin1Char('F');
}

} // namespace

void Entreprise::supprimeSujet()
{
    if (!connexionCompte())
        return;

    QSqlQuery requete(db);
    requete.exec(QStringLiteral("SELECT id FROM compte"));
    if (requete.size() < 1) {
        QMessageBox::information(this, QStringLiteral("table vide"),
                                 QStringLiteral("Vous n'avez pas données stockées"));
        return;
    }

    QDialog *fenetre = nouveauDialogue(
        QStringLiteral("Supprimer des données dans la base de mes comptes"), 300, 130);

    QStringList entrees;
    requete.exec(QStringLiteral("SELECT id, sujet, valeur FROM compte"));
    if (requete.size() > 0)
        entrees.reserve(requete.size());
    while (requete.next()) {
        entrees << entreeCompte(requete.value(0).toString(), requete.value(1).toString(),
                                requete.value(2).toString());
    }

    sujetListe = new QComboBox(fenetre);
    sujetListe->setGeometry(10, 20, 280, 30);
    // A full book holds tens of thousands of entries: the list must open at once.
    if (auto *vue = qobject_cast<QListView *>(sujetListe->view()))
        vue->setUniformItemSizes(true);
    sujetListe->addItems(entrees);
    sujetListe->setCurrentIndex(0);
    sujetListe->setStyleSheet(QStringLiteral("color:red;font-size:11px;"));

    auto *supprimer = new Button(Couleurs::rouge(), true, 10.0, 5.0, QStringLiteral("Supprimer"),
                                 280, 25, fenetre);
    supprimer->move(10, 60);
    auto *annuler = new Button(Couleurs::bleu().avecTexte(Qt::red), true, 10.0, 5.0,
                               QStringLiteral("Annuler"), 280, 25, fenetre);
    annuler->move(10, 95);
    connect(supprimer, &Button::clicked, this, &Entreprise::supprimeValeur);
    connect(annuler, &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}

void Entreprise::supprimeValeur()
{
    const int id = idDepuisEntree(sujetListe->currentText(), QStringLiteral("sujet n°"));
    const QMessageBox::StandardButton reponse = QMessageBox::question(
        dialog, QStringLiteral("Confirmation"),
        QStringLiteral("Voulez vous vraiment supprimer le sujet n°") + QString::number(id),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (reponse != QMessageBox::Yes)
        return;

    QSqlQuery requete(db);
    if (requete.exec(QStringLiteral("DELETE FROM compte WHERE id = ") + QString::number(id))) {
        QMessageBox::information(this, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("La suppression a été effectuée avec succes"));
        dialog->accept();
    } else {
        QMessageBox::warning(this, QStringLiteral("Requête échouée"),
                             QStringLiteral("La suppression de l'élément n'a pas été effectuée "
                                            "avec succes "));
    }
}

void Entreprise::viderTable()
{
    if (!connexionCompte())
        return;

    const QMessageBox::StandardButton reponse =
        QMessageBox::question(this, QStringLiteral("Confirmation"),
                              QStringLiteral("Voulez vous vraiment vider vos données ?"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (reponse != QMessageBox::Yes)
        return;

    QSqlQuery requete(db);
    if (requete.exec(QStringLiteral("DELETE FROM compte"))) {
        // Numbering starts again at 1: the key stops at 65,535, and a book
        // emptied after that many entries must still take new ones.
        requete.exec(QStringLiteral("ALTER TABLE compte AUTO_INCREMENT = 1"));
        QMessageBox::information(this, QStringLiteral("Vidage reussi"),
                                 QStringLiteral("Vos données ont été vidé avec succes"));
    } else {
        QMessageBox::warning(this, QStringLiteral("Vidage échoué"),
                             QStringLiteral("La tentative de vidage de vos données a échoué"));
    }
}
