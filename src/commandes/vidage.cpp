#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSqlQuery>

void Entreprise::vidageProduit()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    QDialog *fenetre =
        nouveauDialogue(QStringLiteral("Supprimer une commande ou un client"), 400, 130);
    etiquette(fenetre, QStringLiteral("Vidage des données"),
              QStringLiteral("color:green;font-size:20px"), QRect(0, 10, 400, 25));
    produitBox = new QComboBox(fenetre);
    produitBox->setGeometry(10, 50, 120, 25);
    produitBox->addItems({ QStringLiteral("commandes"), QStringLiteral("clients") });

    auto *vider =
        new Button(Couleurs::rouge(), true, 5.0, 10.0, QStringLiteral("Vider"), 250, 25, fenetre);
    vider->move(140, 50);
    auto *fermer = new Button(Couleurs::bleu(), true, 5.0, 10.0, QStringLiteral("Fermer la page"),
                              380, 25, fenetre);
    fermer->move(10, 90);
    connect(vider, &Button::clicked, this, &Entreprise::produitVider);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::produitVider()
{
    const bool commandesSeules = produitBox->currentIndex() == 0;
    const QString mot =
        commandesSeules ? QStringLiteral("commandes") : QStringLiteral("clients et vos commandes");

    if (QMessageBox::question(dialog, QStringLiteral("Confirmation du vidage"),
                              QStringLiteral("Voulez vous vraiment vider vos ") + mot
                                  + QStringLiteral(" ?"),
                              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;

    // Emptying the customers empties the orders too, in one go: either both
    // tables are emptied or neither is.
    QSqlQuery q(db);
    bool reussi = db.transaction();
    if (reussi && !commandesSeules)
        reussi = q.exec(QStringLiteral("DELETE FROM clients"));
    reussi = reussi && q.exec(QStringLiteral("DELETE FROM commandes")) && db.commit();
    if (!reussi)
        db.rollback();

    if (reussi) {
        clientComboChange();
        QMessageBox::information(dialog, QStringLiteral("Opération reussie"),
                                 QStringLiteral("Vos ") + mot
                                     + QStringLiteral(" ont été vidés avec succes"));
    } else {
        QMessageBox::information(dialog, QStringLiteral("Opération échouée"),
                                 QStringLiteral("Vos ") + mot
                                     + QStringLiteral(" n'ont pas pu être vidés"));
    }
    dialog->accept();
}
