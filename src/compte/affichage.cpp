#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/grilles.h"
#include "compte/etat.h"
#include "compte/registre.h"
#include "compte/releve.h"

#include <QDialog>
#include <QMessageBox>
#include <QTableView>

void Entreprise::afficheDonne()
{
    if (!connexionCompte())
        return;

    // The rows are read before the dialog is built: a refused read shows no grid.
    Issue issue;
    std::unique_ptr<QSqlTableModel> modele = compte::grille(db, &issue);
    if (!lectureReussie(this, issue))
        return;
    const QList<QPair<QString, QString>> entetes = {
        { QStringLiteral("id"), QStringLiteral("sujet n°") },
        { QStringLiteral("sujet"), QStringLiteral("type") },
        { QStringLiteral("valeur"), QStringLiteral("valeur") },
        { QStringLiteral("commentaire"), QStringLiteral("commentaire") },
        { QStringLiteral("date_insert"), QStringLiteral("date d'ajout") },
    };
    for (const auto &[champ, entete] : entetes)
        modele->setHeaderData(modele->fieldIndex(champ), Qt::Horizontal, entete, Qt::EditRole);

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
    const QList<Button *> sorties =
        rangee(fenetre, style,
               { QStringLiteral("Exporter en CSV"), QStringLiteral("Importer un relevé"),
                 QStringLiteral("Fermer la fenêtre") },
               QPoint(10, 490), QSize(170, 25));
    for (Button *b : boutons)
        connect(b, &Button::clicked, this, &Entreprise::changementEtat);
    connect(sorties.at(0), &Button::clicked, fenetre,
            [fenetre, grille] { exporterCsv(fenetre, grille, QStringLiteral("compte")); });
    // The grid shows the imported entries, unless edits are pending in it.
    connect(sorties.at(1), &Button::clicked, fenetre, [this, fenetre] {
        QSqlTableModel *modele = etatCompte->tableModel;
        if (compte::importerReleve(fenetre, db) && modele && !modele->isDirty())
            lectureReussie(fenetre, chargerGrille(*modele));
    });
    connect(sorties.at(2), &Button::clicked, fenetre, &QDialog::accept);

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
        const Issue issue = compte::enregistrer(*modele);
        if (issue == Issue::Ecrit) {
            QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                                     QStringLiteral("Modifications reussies"));
        } else if (issue == Issue::Conflit) {
            conflitSignale(dialog, issue.raison);
        } else if (!issueIncertaineSignalee(dialog, issue)) {
            QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                                 QStringLiteral("Modifications échouées\nUn ou plusieurs des "
                                                "éléments ont été mal modifiées\n")
                                     + issue.raison);
        }
    } else if (bouton->text() == QLatin1String("Annuler")) {
        modele->revertAll();
    }
}
