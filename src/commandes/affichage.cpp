#include "app/entreprise.h"
#include "commandes/etat.h"
#include "commandes/facturation.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"
#include "commun/grilles.h"

#include <QDialog>
#include <QMessageBox>
#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QTableView>

#include <memory>

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

// What a view shows above and in its grid: the headers of its columns, its
// heading, its columns' widths, its size.
void presentation(QSqlQueryModel *modele, int choix, QString *titre, QList<int> *colonnes,
                  QSize *taille)
{
    if (choix == 0) {
        entetes(modele,
                { "n° identifiant", "client_id", "Nom de produit", "Poids", "unité", "Quantité",
                  "Prix unitaire", "Prix total", "commentaire", "date du commande" });
        *titre = QStringLiteral("Affichage et modifications des commandes");
        *colonnes = { 40, 0, 200, 60, 40, 50, 100, 100, 350, 130 };
    } else if (choix == 1) {
        entetes(modele, { "n°id", "Nom du client", "Entreprise", "Email", "Numero" });
        *titre = QStringLiteral("Affichage et modifications des clients");
        *colonnes = { 40, 150, 150, 200 };
        *taille = QSize(670, 600);
    } else {
        entetes(modele,
                { "nom du produit", "poids", "unite", "quantite", "prix_unitaire", "prix_total",
                  "commentaire", "date de la command", "nom du client", "entreprise du client",
                  "email du client", "telephone du client" });
        *titre = QStringLiteral("Affichage des commandes et leur client");
        *colonnes = { 200, 60, 40, 60, 100, 100, 250, 120, 150, 150, 180 };
    }
}

// The grid of a view, with its columns' widths; the orders' grid does not
// show the customer's number.
QTableView *grilleDe(QDialog *fenetre, QSqlQueryModel *modele, const QList<int> &colonnes)
{
    auto *vue = new QTableView(fenetre);
    vue->setObjectName(QStringLiteral("grille"));
    triable(vue, modele);
    largeurs(vue, colonnes);
    auto *table = qobject_cast<QSqlTableModel *>(modele);
    if (table && table->tableName() == QLatin1String("commandes"))
        vue->hideColumn(table->fieldIndex(QStringLiteral("client_id")));
    vue->setGeometry(0, 50, 800, 500);
    return vue;
}

// The numbers of the orders chosen in the grid (rows without an order left out).
QList<QVariant> commandesChoisies(QTableView *vue, int colonne)
{
    QList<QVariant> ids;
    const QModelIndexList indexes = vue->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : indexes) {
        const QVariant id = index.siblingAtColumn(colonne).data();
        if (!id.isNull() && !ids.contains(id))
            ids << id;
    }
    return ids;
}

// "Facturer": the chosen orders in a new invoice.
void facturerChoisies(QDialog *fenetre, const QSqlDatabase &db, QTableView *vue, int colonne)
{
    const QList<QVariant> ids = commandesChoisies(vue, colonne);
    if (ids.isEmpty()) {
        boite(fenetre, QMessageBox::Information, QStringLiteral("Aucune commande choisie"),
              QStringLiteral("Choisissez dans la liste les commandes d'un client à facturer."));
        return;
    }
    facturation::nouvelleFacture(fenetre, db, ids);
}

// Orders are invoiced from the orders' grid and from the joined view, where
// the order's number is the last column, hidden.
void boutonFacturer(QDialog *fenetre, const QSqlDatabase &db, QTableView *vue, int colonne)
{
    Button *facturer = bouton(fenetre, { Couleurs::bleu(), true, 5.0, 5.0 },
                              QStringLiteral("Facturer"), QRect(634, 560, 146, 30));
    if (colonne > 0)
        vue->hideColumn(colonne);
    QObject::connect(facturer, &Button::clicked, fenetre,
                     [fenetre, db, vue, colonne] { facturerChoisies(fenetre, db, vue, colonne); });
}

} // namespace

bool Entreprise::clientsEnregistres()
{
    // The display, delete and empty commands all start from the customers.
    int clients = 0;
    if (!lectureReussie(this, commandes::nombreClients(db, &clients)))
        return false;
    if (clients > 0)
        return true;
    QMessageBox::information(this, QStringLiteral("Pas de données"),
                             QStringLiteral("Il n'y as pas de données enregistrées"));
    return false;
}

void Entreprise::commandAfficheClick()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    // The rows are read before the dialog is built: a refused read shows no grid.
    const int choix = commandCombo->currentIndex();
    // The list's entries come in the order of the views.
    const auto affichee = commandes::Vue(qBound(0, choix, 2));
    std::unique_ptr<QSqlQueryModel> modele;
    if (!lectureReussie(this, commandes::charger(db, affichee, &modele)))
        return;
    QString titre;
    QList<int> colonnes;
    QSize taille(800, 600);
    presentation(modele.get(), choix, &titre, &colonnes, &taille);

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Affichage et modification des ")
                                      + commandCombo->currentText());
    // Only the orders view has a fixed size; the others can be widened.
    if (choix == 0)
        fenetre->setFixedSize(taille);
    else
        fenetre->resize(taille);
    etiquette(fenetre, titre,
              QStringLiteral("color:green;font-size:25px;text-decoration:underline;"),
              QRect(0, 10, 800, 30));

    // The customers' dialog opens narrower: its row of buttons fits it.
    const QList<Button *> boutons =
        rangee(fenetre, { Couleurs::bleu(), true, 5.0, 5.0 },
               { QStringLiteral("Valider"), QStringLiteral("Annuler"),
                 QStringLiteral("Exporter en CSV"), QStringLiteral("Fermer la page") },
               QPoint(10, 560), QSize(choix == 1 ? 155 : 146, 30));
    modele->setParent(fenetre);
    QSqlQueryModel *vueModele = modele.release();
    etatCommandes->commandModel = qobject_cast<QSqlTableModel *>(vueModele);

    QTableView *vue = grilleDe(fenetre, vueModele, colonnes);
    if (choix != 1)
        boutonFacturer(fenetre, db, vue, choix == 0 ? 0 : vueModele->columnCount() - 1);
    if (choix == 2) {
        // The joined view can only be read.
        boutons.at(0)->hide();
        boutons.at(1)->hide();
        boutons.at(2)->setGeometry(10, 560, 300, 30);
        boutons.at(3)->setGeometry(320, 560, 300, 30);
    }

    const QString fichier = QStringList { QStringLiteral("commandes"), QStringLiteral("clients"),
                                          QStringLiteral("commandes-et-clients") }
                                .value(choix);
    connect(boutons.at(2), &Button::clicked, fenetre,
            [fenetre, vue, fichier] { exporterCsv(fenetre, vue, fichier); });
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::modifierCommand);
    connect(boutons.at(1), &Button::clicked, this, &Entreprise::annulerCommand);
    connect(boutons.at(3), &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::modifierCommand()
{
    QSqlTableModel *modele = etatCommandes->commandModel;
    if (!modele)
        return;
    // All the edits are written, or none: a refused one leaves every edit
    // pending, to be corrected and sent again.
    const Issue issue = commandes::enregistrer(*modele);
    if (issue == Issue::Conflit)
        conflitSignale(dialog, issue.raison);
    if (issue == Issue::Ecrit) {
        QMessageBox::information(
            dialog, QStringLiteral("Modification reussie"),
            QStringLiteral("Vos modifications ont été effectuées avec succes"));
    } else if (!issue.ok() && issue != Issue::Conflit && !issueIncertaineSignalee(dialog, issue)) {
        QMessageBox::warning(dialog, QStringLiteral("Modification échouée"),
                             QStringLiteral("Vos modifications n'ont pas pu être effectuées avec "
                                            "succes\nVérifier si vos modifications sont "
                                            "valides\n")
                                 + issue.raison);
    }
    clientComboChange();
}

void Entreprise::annulerCommand()
{
    if (QSqlTableModel *modele = etatCommandes->commandModel)
        modele->revertAll();
}
