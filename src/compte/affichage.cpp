#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/grilles.h"
#include "compte/etat.h"

#include <QDialog>
#include <QMessageBox>
#include <QTableView>

void Entreprise::afficheDonne()
{
    if (!connexionCompte())
        return;

    // The rows are read before the dialog is built: a refused read shows no grid.
    auto modele = std::make_unique<QSqlTableModel>(nullptr, db);
    modele->setTable(QStringLiteral("compte"));
    modele->setEditStrategy(QSqlTableModel::OnManualSubmit);
    modele->setSort(4, Qt::DescendingOrder);
    if (!lectureReussie(this, chargerGrille(*modele)))
        return;
    const QStringList entetes = { QStringLiteral("sujet n°"), QStringLiteral("type"),
                                  QStringLiteral("valeur"), QStringLiteral("commentaire"),
                                  QStringLiteral("date d'ajout") };
    for (int section = 0; section < entetes.size(); ++section)
        modele->setHeaderData(section, Qt::Horizontal, entetes.at(section), Qt::EditRole);

    QDialog *fenetre =
        ouvrirDialogue(QStringLiteral("Affichage et modification de vos données"), 550, 530);
    etiquette(fenetre, QStringLiteral("Affichage et modification"),
              QStringLiteral("color:green;font-size:25px;font-weight:bold;"),
              QRect(0, 10, 550, 30));

    modele->setParent(fenetre);
    etatCompte->tableModel = modele.release();
    auto *grille = new QTableView(fenetre);
    grille->setObjectName(QStringLiteral("grille"));
    triable(grille, etatCompte->tableModel);
    grille->setGeometry(10, 50, 530, 400);

    const StyleBouton style { Couleurs::bleu(), true, 10.0, 10.0 };
    const QList<Button *> boutons =
        rangee(fenetre, style, { QStringLiteral("Valider"), QStringLiteral("Annuler") },
               QPoint(10, 460), QSize(260, 25));
    const QList<Button *> sorties = rangee(
        fenetre, style, { QStringLiteral("Exporter en CSV"), QStringLiteral("Fermer la fenêtre") },
        QPoint(10, 490), QSize(260, 25));
    for (Button *b : boutons)
        connect(b, &Button::clicked, this, &Entreprise::changementEtat);
    connect(sorties.at(0), &Button::clicked, fenetre,
            [fenetre, grille] { exporterCsv(fenetre, grille, QStringLiteral("compte")); });
    connect(sorties.at(1), &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}

void Entreprise::changementEtat()
{
    auto *bouton = qobject_cast<Button *>(sender());
    QSqlTableModel *modele = etatCompte->tableModel;
    if (!bouton || !modele)
        return;

    if (bouton->text() == QLatin1String("Valider")) {
        // The edits are written together or not at all: a change the server
        // refuses leaves the book as it was, and every edit still pending in
        // the grid, to be corrected and sent again.
        QString raison;
        const Issue issue = enregistrerGrille(*modele);
        raison = issue.raison;
        if (issue == Issue::Conflit)
            conflitSignale(dialog, issue.raison);
        if (issue == Issue::Ecrit) {
            QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                                     QStringLiteral("Modifications reussies"));
        } else if (!issue.ok() && issue != Issue::Conflit) {
            QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                                 QStringLiteral("Modifications échouées\nUn ou plusieurs des "
                                                "éléments ont été mal modifiées\n")
                                     + raison);
        }
    } else if (bouton->text() == QLatin1String("Annuler")) {
        modele->revertAll();
    }
}
