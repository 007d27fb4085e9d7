#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QLabel>
#include <QMessageBox>
#include <QSqlTableModel>
#include <QTableView>

namespace {

// An edit typed into the grid and not yet written, with the number of its
// entry as stored.
struct Modification
{
    int id;
    int colonne;
    QVariant valeur;
};

QList<Modification> modificationsEnAttente(const QSqlTableModel &modele)
{
    QList<Modification> modifications;
    if (!modele.isDirty())
        return modifications;
    for (int ligne = 0; ligne < modele.rowCount(); ++ligne) {
        int id = -1;
        for (int colonne = 0; colonne < modele.columnCount(); ++colonne) {
            const QModelIndex index = modele.index(ligne, colonne);
            if (!modele.isDirty(index))
                continue;
            // The stored number, not the grid's: the number itself may have been edited.
            if (id < 0)
                id = modele.QSqlQueryModel::data(modele.index(ligne, 0)).toInt();
            modifications.append({ id, colonne, modele.data(index, Qt::EditRole) });
        }
    }
    return modifications;
}

// Reloads the stored rows and types the edits into them again.
void reprendre(QSqlTableModel &modele, const QList<Modification> &modifications)
{
    modele.select();
    QMultiHash<int, Modification> restantes;
    for (const Modification &m : modifications)
        restantes.insert(m.id, m);
    for (int ligne = 0; !restantes.isEmpty(); ++ligne) {
        while (ligne >= modele.rowCount() && modele.canFetchMore())
            modele.fetchMore();
        if (ligne >= modele.rowCount())
            break;
        const int id = modele.index(ligne, 0).data().toInt();
        for (const Modification &m : restantes.values(id))
            modele.setData(modele.index(ligne, m.colonne), m.valeur, Qt::EditRole);
        restantes.remove(id);
    }
}

} // namespace

void Entreprise::afficheDonne()
{
    if (!connexionCompte())
        return;

    QDialog *fenetre =
        nouveauDialogue(QStringLiteral("Affichage et modification de vos données"), 550, 530);
    etiquette(fenetre, QStringLiteral("Affichage et modification"),
              QStringLiteral("color:green;font-size:25px;font-weight:bold;"),
              QRect(0, 10, 550, 30));

    tableModel = new QSqlTableModel(fenetre, db);
    tableModel->setTable(QStringLiteral("compte"));
    tableModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    tableModel->setSort(4, Qt::DescendingOrder);
    tableModel->select();
    const QStringList entetes = { QStringLiteral("sujet n°"), QStringLiteral("type"),
                                  QStringLiteral("valeur"), QStringLiteral("commentaire"),
                                  QStringLiteral("date d'ajout") };
    for (int section = 0; section < entetes.size(); ++section)
        tableModel->setHeaderData(section, Qt::Horizontal, entetes.at(section), Qt::EditRole);

    auto *grille = new QTableView(fenetre);
    grille->setModel(tableModel);
    grille->show();
    grille->setGeometry(10, 50, 530, 400);

    auto *valider =
        new Button(Couleurs::bleu(), true, 10.0, 10.0, QStringLiteral("Valider"), 260, 25, fenetre);
    valider->move(10, 460);
    auto *annuler =
        new Button(Couleurs::bleu(), true, 10.0, 10.0, QStringLiteral("Annuler"), 260, 25, fenetre);
    annuler->move(280, 460);
    auto *fermer = new Button(Couleurs::bleu(), true, 10.0, 10.0,
                              QStringLiteral("Fermer la fenêtre"), 530, 25, fenetre);
    fermer->move(10, 490);
    connect(valider, &Button::clicked, this, &Entreprise::changementEtat);
    connect(annuler, &Button::clicked, this, &Entreprise::changementEtat);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}

void Entreprise::changementEtat()
{
    auto *bouton = qobject_cast<Button *>(sender());
    if (!bouton || !tableModel)
        return;

    if (bouton->text() == QLatin1String("Valider")) {
        // The edits are written together or not at all: a change the server
        // refuses leaves the book as it was, and every edit still pending in
        // the grid, to be corrected and sent again.
        const QList<Modification> modifications = modificationsEnAttente(*tableModel);
        db.transaction();
        const bool ecrites = tableModel->submitAll();
        if (ecrites && db.commit()) {
            QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                                     QStringLiteral("Modifications reussies"));
            return;
        }
        db.rollback();
        // The model counts the rows it sent before the failure as written:
        // they are reloaded as stored and the edits made pending again.
        reprendre(*tableModel, modifications);
        QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                             QStringLiteral("Modifications échouées\nUn ou plusieurs des éléments "
                                            "ont été mal modifiées"));
    } else if (bouton->text() == QLatin1String("Annuler")) {
        tableModel->revertAll();
    }
}
