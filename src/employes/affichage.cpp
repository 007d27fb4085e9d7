#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSqlTableModel>
#include <QTableView>

void Entreprise::employeAff()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString mot = motType();

    QDialog *page = nouveauDialogue(
        QStringLiteral("Affichage et modification des ") + mot + QLatin1Char('s'), 500, 400);
    etiquette(page, QStringLiteral("Affichage et modifications des ") + mot + QLatin1Char('s'),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline;"),
              QRect(0, 10, 500, 30));

    // Edits are held until "Valider" writes them or "Annuler" drops them.
    tableModel = new QSqlTableModel(page, db);
    tableModel->setTable(QStringLiteral("employes"));
    tableModel->setFilter(stagiaire ? QStringLiteral("type = 2") : QStringLiteral("type = 1"));
    tableModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    tableModel->select();
    const QStringList entetes = {
        QStringLiteral("n° Id"),
        QStringLiteral("Type"),
        QStringLiteral("Nom"),
        QStringLiteral("Prenom"),
        QStringLiteral("nom et prenom"),
        QStringLiteral("Sexe"),
        QStringLiteral("Domaine"),
        QStringLiteral("Date de naissance"),
        QStringLiteral("Date d'embouche"),
        QStringLiteral("Durée (en mois)"),
        QStringLiteral("Date de fin"),
        QStringLiteral("Commentaire"),
    };
    for (int colonne = 0; colonne < entetes.size(); ++colonne)
        tableModel->setHeaderData(colonne, Qt::Horizontal, entetes.at(colonne), Qt::EditRole);

    auto *vue = new QTableView(page);
    vue->setGeometry(0, 50, 500, 310);
    vue->setModel(tableModel);
    vue->hideColumn(1);
    if (!stagiaire) {
        vue->hideColumn(9);
        vue->hideColumn(10);
    }

    auto *valider =
        new Button(Couleurs::bleu(), true, 12.0, 12.0, QStringLiteral("Valider"), 150, 25, page);
    valider->move(10, 370);
    auto *annuler =
        new Button(Couleurs::bleu(), true, 12.0, 12.0, QStringLiteral("Annuler"), 150, 25, page);
    annuler->move(170, 370);
    auto *fermer =
        new Button(Couleurs::bleu(), true, 12.0, 12.0, QStringLiteral("fermer"), 150, 25, page);
    fermer->move(340, 370);
    connect(valider, &Button::clicked, this, &Entreprise::employeModValide);
    connect(annuler, &Button::clicked, tableModel, &QSqlTableModel::revertAll);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeModValide()
{
    if (!tableModel)
        return;
    if (!tableModel->submitAll()) {
        QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                             QStringLiteral("Vos avez mal modifié les données"));
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                             QStringLiteral("Vos modifications ont été enregistrées avec succes"));
}
