#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QTableView>

namespace {

void entetes(QSqlQueryModel *modele, const QStringList &libelles)
{
    for (int colonne = 0; colonne < libelles.size(); ++colonne)
        modele->setHeaderData(colonne, Qt::Horizontal, libelles.at(colonne), Qt::EditRole);
}

void largeurs(QTableView *vue, const QList<int> &pixels)
{
    for (int colonne = 0; colonne < pixels.size(); ++colonne) {
        if (pixels.at(colonne) > 0)
            vue->setColumnWidth(colonne, pixels.at(colonne));
    }
}

} // namespace

bool Entreprise::clientsEnregistres()
{
    // The display, delete and empty commands all start from the customers.
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT id FROM clients"));
    if (q.size() > 0)
        return true;
    QMessageBox::information(this, QStringLiteral("Pas de données"),
                             QStringLiteral("Il n'y as pas de données enregistrées"));
    return false;
}

void Entreprise::commandAfficheClick()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    QDialog *fenetre = nouveauDialogue(
        QStringLiteral("Affichage et modification des ") + commandCombo->currentText(), 0, 0);

    auto *valider =
        new Button(Couleurs::bleu(), true, 5.0, 5.0, QStringLiteral("Valider"), 200, 30, fenetre);
    valider->move(10, 560);
    auto *annuler =
        new Button(Couleurs::bleu(), true, 5.0, 5.0, QStringLiteral("Annuler"), 200, 30, fenetre);
    annuler->move(220, 560);
    auto *fermer = new Button(Couleurs::bleu(), true, 5.0, 5.0, QStringLiteral("Fermer la page"),
                              200, 30, fenetre);
    fermer->move(440, 560);

    queryModel = new QSqlQueryModel(fenetre);
    commandModel = new QSqlTableModel(fenetre, db);

    QString titre;
    QList<int> colonnes;
    const QString choix = commandCombo->currentText();
    if (choix == QLatin1String("Commandes")) {
        fenetre->setFixedSize(800, 600);
        commandModel->setTable(QStringLiteral("commandes"));
        commandModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
        commandModel->select();
        entetes(commandModel,
                { "n° identifiant", "client_id", "Nom de produit", "Poids", "unité", "Quantité",
                  "Prix unitaire", "Prix total", "commentaire", "date du commande" });
        titre = QStringLiteral("Affichage et modifications des commandes");
        colonnes = { 40, 0, 200, 60, 40, 50, 100, 100, 350, 130 };
    } else if (choix == QLatin1String("Clients")) {
        fenetre->resize(670, 600);
        commandModel->setTable(QStringLiteral("clients"));
        commandModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
        commandModel->select();
        entetes(commandModel, { "n°id", "Nom du client", "Entreprise", "Email", "Numero" });
        titre = QStringLiteral("Affichage et modifications des clients");
        colonnes = { 40, 150, 150, 200 };
    } else {
        fenetre->resize(800, 600);
        queryModel->setQuery(
            QStringLiteral("SELECT commandes.nom, poids, poids_unite, quantite, "
                           "prix_unitaire, prix_total, commentaire, date_command, clients.nom, "
                           "clients.entreprise, clients.email, clients.tel FROM commandes "
                           "RIGHT JOIN clients ON commandes.client_id = clients.id"),
            db);
        entetes(queryModel,
                { "nom du produit", "poids", "unite", "quantite", "prix_unitaire", "prix_total",
                  "commentaire", "date de la command", "nom du client", "entreprise du client",
                  "email du client", "telephone du client" });
        titre = QStringLiteral("Affichage des commandes et leur client");
        colonnes = { 200, 60, 40, 60, 100, 100, 250, 120, 150, 150, 180 };
    }

    etiquette(fenetre, titre,
              QStringLiteral("color:green;font-size:25px;text-decoration:underline;"),
              QRect(0, 10, 800, 30));

    auto *vue = new QTableView(fenetre);
    const int vueChoisie = commandCombo->currentIndex();
    if (vueChoisie == 0 || vueChoisie == 1) {
        vue->setModel(commandModel);
    } else {
        vue->setModel(queryModel);
        valider->hide();
        annuler->hide();
        fermer->setGeometry(10, 560, 780, 30);
    }
    largeurs(vue, colonnes);
    // The orders view does not show the customer number.
    if (vueChoisie == 0)
        vue->hideColumn(1);
    vue->setGeometry(0, 50, 800, 500);

    connect(valider, &Button::clicked, this, &Entreprise::modifierCommand);
    connect(annuler, &Button::clicked, this, &Entreprise::annulerCommand);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::modifierCommand()
{
    if (!commandModel)
        return;
    if (commandModel->submitAll()) {
        QMessageBox::information(
            dialog, QStringLiteral("Modification reussie"),
            QStringLiteral("Vos modifications ont été effectuées avec succes"));
    } else {
        QMessageBox::warning(dialog, QStringLiteral("Modification échouée"),
                             QStringLiteral("Vos modifications n'ont pas pu être effectuées avec "
                                            "succes\nVérifier si vos modifications sont valides"));
    }
    clientComboChange();
}

void Entreprise::annulerCommand()
{
    if (commandModel)
        commandModel->revertAll();
}
