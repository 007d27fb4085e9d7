#include "app/entreprise.h"
#include "commandes/etat.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"

#include <QDialog>
#include <QMessageBox>

#include <memory>

namespace {

// Fills the list with each order as "n°7 lait de Martin", carrying its number;
// orders whose customer is gone are not listed. False, after the box over
// `parent`, when the server refused.
bool listerCommandes(const QSqlDatabase &db, QComboBox *liste, QWidget *parent)
{
    QList<commandes::Commande> lues;
    if (!lectureReussie(parent, commandes::commandesAvecClient(db, &lues)))
        return false;
    liste->clear();
    for (const commandes::Commande &c : lues) {
        liste->addItem(QStringLiteral("n°") + c.id.toString() + QLatin1Char(' ') + c.nom
                           + QStringLiteral(" de ") + c.client.nom,
                       c.id);
    }
    return true;
}

// Fills the list with each customer as "n°3 Martin de Beta", or "n°3 Martin"
// without a company, carrying its number. False when the server refused.
bool listerClients(const QSqlDatabase &db, QComboBox *liste, QWidget *parent)
{
    QList<commandes::Client> lus;
    if (!lectureReussie(parent, commandes::clients(db, &lus)))
        return false;
    liste->clear();
    for (const commandes::Client &c : lus) {
        QString element = QStringLiteral("n°") + c.id.toString() + QLatin1Char(' ') + c.nom;
        if (!c.entreprise.isEmpty())
            element += QStringLiteral(" de ") + c.entreprise;
        liste->addItem(element, c.id);
    }
    return true;
}

} // namespace

void Entreprise::commandSupprimeDialog()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    // The list is read before the dialog is shown: a refused read shows no dialog.
    int nombre = 0;
    if (!lectureReussie(this, commandes::nombreCommandes(db, &nombre)))
        return;
    auto elements = std::make_unique<QComboBox>();
    const bool avecCommandes = nombre > 0;
    if (!(avecCommandes ? listerCommandes(db, elements.get(), this)
                        : listerClients(db, elements.get(), this)))
        return;

    QDialog *fenetre =
        ouvrirDialogue(QStringLiteral("Supprimer une commande ou un client"), 400, 200);
    etiquette(fenetre, QStringLiteral("Suppression de commande ou client"),
              QStringLiteral("color:green;font-size:20px"), QRect(0, 10, 400, 25));
    legende(fenetre,
            QStringLiteral("Attention : Si vous supprimiez un client alors ses commandes seront\n"
                           "également supprimées. Mais si vous supprimiez une commande\nle client "
                           "ne sera pas supprimé"),
            QStringLiteral("color:red;font-size:12px"), 10, 50);

    EtatCommandes &etat = *etatCommandes;
    etat.produitBox = new QComboBox(fenetre);
    etat.produitBox->setObjectName(QStringLiteral("produitBox"));
    etat.produitBox->setGeometry(10, 100, 100, 25);
    if (avecCommandes)
        etat.produitBox->addItem(QStringLiteral("commande"));
    etat.produitBox->addItem(QStringLiteral("client"));
    etat.elementBox = elements.release();
    etat.elementBox->setParent(fenetre);
    etat.elementBox->setObjectName(QStringLiteral("elementBox"));
    etat.elementBox->setGeometry(120, 100, 270, 25);
    connect(etat.produitBox, &QComboBox::currentIndexChanged, this, &Entreprise::produitBoxChange);

    Button *supprimer = bouton(fenetre, { Couleurs::rouge(), true, 15.0, 10.0 },
                               QStringLiteral("Supprimer"), QRect(10, 165, 185, 25));
    Button *fermer =
        bouton(fenetre,
               { Couleurs::bleu().avecTexte(QColor(QStringLiteral("#d3d5ff"))), true, 15.0, 10.0 },
               QStringLiteral("Fermer la page"), QRect(205, 165, 185, 25));
    connect(supprimer, &Button::clicked, this, &Entreprise::supprimeProCl);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::produitBoxChange()
{
    const EtatCommandes &etat = *etatCommandes;
    if (etat.produitBox->currentText() == QLatin1String("commande"))
        listerCommandes(db, etat.elementBox, dialog);
    else
        listerClients(db, etat.elementBox, dialog);
}

void Entreprise::supprimeProCl()
{
    const EtatCommandes &etat = *etatCommandes;
    const QVariant id = etat.elementBox->currentData();

    // The kind chosen says what the number is: an order's number never
    // deletes a customer.
    const bool commande = etat.produitBox->currentText() == QLatin1String("commande");
    const Issue issue =
        commande ? commandes::supprimerCommande(db, id) : commandes::supprimerClient(db, id);

    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (issue == Issue::Refuse) {
        boite(dialog, QMessageBox::Warning, QStringLiteral("Suppression refusée"), issue.raison);
        return;
    }
    if (issue != Issue::Ecrit && issue != Issue::DejaSupprime) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Votre requête n'a pas pu être executée avec succes."));
        return;
    }
    clientComboChange();
    if (issue == Issue::DejaSupprime)
        dejaSupprimeSignale(dialog);
    else
        QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("Votre requête a été executée avec succes."));
    dialog->accept();
}
