#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/grilles.h"
#include "employes/etat.h"
#include "employes/registre.h"

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
    std::unique_ptr<QSqlTableModel> modele = employes::grille(db, typeCourant());
    if (!lectureReussie(this, chargerGrille(*modele)))
        return;
    const QList<std::pair<QString, QString>> entetes = {
        { QStringLiteral("id"), QStringLiteral("n° Id") },
        { QStringLiteral("type"), QStringLiteral("Type") },
        { QStringLiteral("nom"), QStringLiteral("Nom") },
        { QStringLiteral("prenom"), QStringLiteral("Prenom") },
        { QStringLiteral("nom_prenom"), QStringLiteral("nom et prenom") },
        { QStringLiteral("sexe"), QStringLiteral("Sexe") },
        { QStringLiteral("domaine"), QStringLiteral("Domaine") },
        { QStringLiteral("date_naissance"), QStringLiteral("Date de naissance") },
        { QStringLiteral("date_embouche"), QStringLiteral("Date d'embouche") },
        { QStringLiteral("duree"), QStringLiteral("Durée (en mois)") },
        { QStringLiteral("date_fin"), QStringLiteral("Date de fin") },
        { QStringLiteral("commentaire"), QStringLiteral("Commentaire") },
    };
    for (const auto &[colonne, entete] : entetes)
        modele->setHeaderData(modele->fieldIndex(colonne), Qt::Horizontal, entete, Qt::EditRole);

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
    vue->hideColumn(grille->fieldIndex(QStringLiteral("type")));
    if (!stagiaire) {
        vue->hideColumn(grille->fieldIndex(QStringLiteral("duree")));
        vue->hideColumn(grille->fieldIndex(QStringLiteral("date_fin")));
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
    const Issue issue = employes::enregistrer(*grille);
    if (issue == Issue::Conflit) {
        conflitSignale(dialog, issue.raison);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (!issue.ok()) {
        QMessageBox::warning(dialog, QStringLiteral("Modifications échouées"),
                             QStringLiteral("Vos avez mal modifié les données\n") + issue.raison);
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(dialog, QStringLiteral("Modifications reussies"),
                             QStringLiteral("Vos modifications ont été enregistrées avec succes"));
}
