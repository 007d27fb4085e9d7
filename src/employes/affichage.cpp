#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/grilles.h"
#include "employes/etat.h"

#include <QDialog>
#include <QMessageBox>
#include <QTableView>

#include <memory>

void Entreprise::employeAff()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() != 0;
    const QString mot = motType();

    // Edits are held until "Valider" writes them or "Annuler" drops them. The
    // rows are read before the dialog is built: a refused read shows no grid.
    auto modele = std::make_unique<QSqlTableModel>(nullptr, db);
    modele->setTable(QStringLiteral("employes"));
    modele->setFilter(stagiaire ? QStringLiteral("type = 2") : QStringLiteral("type = 1"));
    modele->setEditStrategy(QSqlTableModel::OnManualSubmit);
    if (!lectureReussie(this, chargerGrille(*modele)))
        return;
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
        modele->setHeaderData(colonne, Qt::Horizontal, entetes.at(colonne), Qt::EditRole);

    QDialog *page = ouvrirDialogue(
        QStringLiteral("Affichage et modification des ") + mot + QLatin1Char('s'), 500, 400);
    etiquette(page, QStringLiteral("Affichage et modifications des ") + mot + QLatin1Char('s'),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline;"),
              QRect(0, 10, 500, 30));
    modele->setParent(page);
    QSqlTableModel *grille = etatEmployes->tableModel = modele.release();

    auto *vue = new QTableView(page);
    vue->setObjectName(QStringLiteral("grille"));
    vue->setGeometry(0, 50, 500, 310);
    triable(vue, grille);
    vue->hideColumn(1);
    if (!stagiaire) {
        vue->hideColumn(9);
        vue->hideColumn(10);
    }

    const QList<Button *> boutons =
        rangee(page, { Couleurs::bleu(), true, 12.0, 12.0 },
               { QStringLiteral("Valider"), QStringLiteral("Annuler"),
                 QStringLiteral("Exporter en CSV"), QStringLiteral("fermer") },
               QPoint(10, 370), QSize(112, 25));
    const QString fichier = stagiaire ? QStringLiteral("stagiaires") : QStringLiteral("employes");
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::employeModValide);
    connect(boutons.at(1), &Button::clicked, grille, &QSqlTableModel::revertAll);
    connect(boutons.at(2), &Button::clicked, page,
            [page, vue, fichier] { exporterCsv(page, vue, fichier); });
    connect(boutons.at(3), &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeModValide()
{
    QSqlTableModel *grille = etatEmployes->tableModel;
    if (!grille)
        return;
    // All the edits are written, or none: a refused one leaves every edit
    // pending, to be corrected and sent again.
    QString raison;
    const Issue issue = enregistrerGrille(*grille);
    raison = issue.raison;
    if (issue == Issue::Conflit)
        conflitSignale(dialog, issue.raison);
    if (issue == Issue::Conflit)
        return;
    if (!issue.ok()) {
        QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                             QStringLiteral("Vos avez mal modifié les données\n") + raison);
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                             QStringLiteral("Vos modifications ont été enregistrées avec succes"));
}
