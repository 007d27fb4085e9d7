#include "app/entreprise.h"
#include "commandes/etat.h"
#include "commandes/factures.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"

#include <QDialog>
#include <QMessageBox>

void Entreprise::vidageProduit()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    QDialog *fenetre =
        ouvrirDialogue(QStringLiteral("Supprimer une commande ou un client"), 400, 130);
    etiquette(fenetre, QStringLiteral("Vidage des données"),
              QStringLiteral("color:green;font-size:20px"), QRect(0, 10, 400, 25));
    EtatCommandes &etat = *etatCommandes;
    etat.videBox = new QComboBox(fenetre);
    etat.videBox->setObjectName(QStringLiteral("videBox"));
    etat.videBox->setGeometry(10, 50, 120, 25);
    etat.videBox->addItems({ QStringLiteral("commandes"), QStringLiteral("clients") });

    const StyleBouton style { Couleurs::bleu(), true, 5.0, 10.0 };
    Button *vider = bouton(fenetre, { Couleurs::rouge(), true, 5.0, 10.0 }, QStringLiteral("Vider"),
                           QRect(140, 50, 250, 25));
    Button *fermer =
        bouton(fenetre, style, QStringLiteral("Fermer la page"), QRect(10, 90, 380, 25));
    connect(vider, &Button::clicked, this, &Entreprise::produitVider);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::produitVider()
{
    const bool commandesSeules = etatCommandes->videBox->currentIndex() == 0;
    const QString mot =
        commandesSeules ? QStringLiteral("commandes") : QStringLiteral("clients et vos commandes");

    // Orders that issued invoices hold stay: said before anything is asked.
    const Issue gel = commandes::refusVidage(db);
    if (gel == Issue::Refuse) {
        boite(dialog, QMessageBox::Warning, QStringLiteral("Vidage refusé"), gel.raison);
        return;
    }
    if (!confirmer(dialog, QStringLiteral("Confirmation du vidage"),
                   QStringLiteral("Voulez vous vraiment vider vos ") + mot + QStringLiteral(" ?")))
        return;
    schema::Bornes bornes;
    if (!sauvegardeAvantVider(dialog,
                              commandesSeules ? QStringList { QStringLiteral("commandes") }
                                              : QStringList { QStringLiteral("clients"),
                                                              QStringLiteral("commandes") },
                              &bornes))
        return;

    // Emptying the customers empties the orders too, in one go: either both
    // tables are emptied or neither is.
    const Issue issue = commandesSeules ? commandes::viderCommandes(db, bornes)
                                        : commandes::viderClients(db, bornes);

    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
    } else if (issue == Issue::Refuse) {
        boite(dialog, QMessageBox::Warning, QStringLiteral("Vidage refusé"), issue.raison);
    } else if (issue == Issue::Ecrit) {
        clientComboChange();
        QMessageBox::information(dialog, QStringLiteral("Opération reussie"),
                                 QStringLiteral("Vos ") + mot
                                     + QStringLiteral(" ont été vidés avec succes"));
    } else if (!issueIncertaineSignalee(dialog, issue)) {
        QMessageBox::information(dialog, QStringLiteral("Opération échouée"),
                                 QStringLiteral("Vos ") + mot
                                     + QStringLiteral(" n'ont pas pu être vidés"));
    }
    dialog->accept();
}
