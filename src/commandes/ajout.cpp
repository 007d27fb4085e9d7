#include "app/entreprise.h"
#include "commandes/etat.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"
#include "commun/saisie.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTextEdit>

#include <memory>

namespace {

// A case-insensitive completer over the stored names; nothing (and a box over
// `parent`) when the server refuses to read them.
QCompleter *completeurDe(commandes::Noms quoi, const QSqlDatabase &db, QWidget *parent,
                         QObject *proprietaire)
{
    QStringList noms;
    if (!lectureReussie(parent, commandes::noms(db, quoi, &noms)))
        return nullptr;
    auto *completeur = new QCompleter(noms, proprietaire);
    completeur->setCaseSensitivity(Qt::CaseInsensitive);
    return completeur;
}

// A text field that takes at most what its column holds (0: no limit).
QLineEdit *champ(QWidget *parent, const QString &nom, const QRect &place, int largeur,
                 QCompleter *completeur = nullptr)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(nom);
    edit->setGeometry(place);
    if (largeur > 0)
        edit->setMaxLength(largeur);
    if (completeur)
        edit->setCompleter(completeur);
    return edit;
}

// The product's fields of the add dialog.
void groupeProduit(QDialog *fenetre, EtatCommandes &etat, QCompleter *produits)
{
    auto *produit =
        new QGroupBox(QStringLiteral("Informations sur le produit à commander"), fenetre);
    produit->setGeometry(10, 60, 380, 230);
    const QString styleProduit = QStringLiteral("color:blue;font-weight:bold;font-size:12px;");
    legende(produit, QStringLiteral("Nom du produit :  *"), styleProduit, 10, 25);
    legende(produit, QStringLiteral("Le poids  :"), styleProduit, 10, 55);
    legende(produit, QStringLiteral("La quantité :  *"), styleProduit, 10, 85);
    legende(produit, QStringLiteral("le prix unitaire :  *"), styleProduit, 10, 115);
    legende(produit, QStringLiteral("Commentaire :"), styleProduit, 10, 140);
    etat.produitEdit = champ(produit, QStringLiteral("produitEdit"), QRect(150, 20, 200, 25),
                             largeurs::nom, produits);
    etat.poidsBox = new QDoubleSpinBox(produit);
    etat.poidsBox->setObjectName(QStringLiteral("poidsBox"));
    etat.poidsBox->setGeometry(150, 50, 160, 25);
    etat.poidsBox->setRange(0.0, 1000.0);
    etat.poidsBox->setSingleStep(0.1);
    etat.uniteBox = new QComboBox(produit);
    etat.uniteBox->setObjectName(QStringLiteral("uniteBox"));
    etat.uniteBox->setGeometry(315, 50, 60, 25);
    etat.uniteBox->addItems({ QStringLiteral("g"), QStringLiteral("kg"), QStringLiteral("tonne") });
    etat.quantiteBox = new QSpinBox(produit);
    etat.quantiteBox->setObjectName(QStringLiteral("quantiteBox"));
    etat.quantiteBox->setGeometry(150, 80, 200, 25);
    etat.quantiteBox->setRange(1, 10000);
    etat.prixEdit = champ(produit, QStringLiteral("prixEdit"), QRect(150, 110, 200, 25), 0);
    etat.commandeCommentaireEdit = new QTextEdit(produit);
    etat.commandeCommentaireEdit->setObjectName(QStringLiteral("commandeCommentaireEdit"));
    etat.commandeCommentaireEdit->setGeometry(10, 160, 360, 60);
}

// The customer's fields of the add dialog.
void groupeClient(QDialog *fenetre, EtatCommandes &etat, QCompleter *clients,
                  QCompleter *entreprises)
{
    auto *client = new QGroupBox(QStringLiteral("Informations sur le client"), fenetre);
    client->setGeometry(10, 300, 380, 150);
    const QString styleClient = QStringLiteral("font-size:12px;color:#b000b7;font-weight:bold;");
    legende(client, QStringLiteral("Nom du client : *"), styleClient, 10, 25);
    legende(client, QStringLiteral("Nom de l'entreprise :"), styleClient, 10, 55);
    legende(client, QStringLiteral("Email : *"), styleClient, 10, 85);
    legende(client, QStringLiteral("Numero : *"), styleClient, 10, 115);
    etat.clientNomEdit = champ(client, QStringLiteral("clientNomEdit"), QRect(150, 20, 200, 25),
                               largeurs::nom, clients);
    etat.entrepriseEdit = champ(client, QStringLiteral("entrepriseEdit"), QRect(150, 50, 200, 25),
                                largeurs::nom, entreprises);
    etat.emailEdit =
        champ(client, QStringLiteral("emailEdit"), QRect(150, 80, 200, 25), largeurs::nom);
    etat.telEdit =
        champ(client, QStringLiteral("telEdit"), QRect(150, 110, 200, 25), largeurs::nom);
}

} // namespace

void Entreprise::commandAjout()
{
    if (!connexionCommande())
        return;

    // The names offered while typing are read first: a refused read shows no form.
    auto noms = std::make_unique<QObject>();
    QCompleter *clients = completeurDe(commandes::Noms::Clients, db, this, noms.get());
    QCompleter *produits =
        clients ? completeurDe(commandes::Noms::Produits, db, this, noms.get()) : nullptr;
    QCompleter *entreprises =
        produits ? completeurDe(commandes::Noms::Entreprises, db, this, noms.get()) : nullptr;
    if (!entreprises)
        return;

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Ajouter une commande"), 400, 500);
    noms->setParent(fenetre);
    noms.release();
    etiquette(fenetre, QStringLiteral("Ajouter une commande"),
              QStringLiteral("color:red;font-size:24px;font-weight:bold;"), QRect(0, 10, 400, 30));
    EtatCommandes &etat = *etatCommandes;

    groupeProduit(fenetre, etat, produits);
    groupeClient(fenetre, etat, clients, entreprises);

    const QList<Button *> boutons =
        rangee(fenetre, { Couleurs::bleu(), true, 8.0, 16.0 },
               { QStringLiteral("Enregistrer"), QStringLiteral("Fermer") }, QPoint(10, 465),
               QSize(175, 30));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::validerCommand);
    connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::validerCommand()
{
    const EtatCommandes &etat = *etatCommandes;
    commandes::Commande commande;
    commande.nom = etat.produitEdit->text();
    commande.poids = etat.poidsBox->value();
    commande.unite = etat.uniteBox->currentText();
    commande.quantite = etat.quantiteBox->value();
    commande.prixUnitaire = etat.prixEdit->text();
    commande.commentaire = etat.commandeCommentaireEdit->toPlainText();
    commande.client = { QVariant(), etat.clientNomEdit->text(), etat.entrepriseEdit->text(),
                        etat.emailEdit->text(), etat.telEdit->text() };

    const Issue issue = commandes::ajouter(db, commande);
    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    // Every refusal keeps the dialog open with what was typed; the second
    // line of a warning says why.
    if (issue == Issue::Refuse && issue.champ.isEmpty()) {
        QMessageBox::information(dialog, QStringLiteral("Champs mal remplis"), issue.raison);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (!issue.ok() && commandes::clientEnCause(issue)) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Le client n'a pas pu être enregistré sur la base "
                                            "de donnée. (Commande également)\n")
                                 + issue.raison);
        return;
    }
    if (!issue.ok()) {
        QMessageBox::warning(
            this, QStringLiteral("Erreur d'enregistrement"),
            QStringLiteral("La commande n'a pas pu être enregistré dans la base de donnée\n")
                + issue.raison);
        return;
    }

    clientComboChange();
    QMessageBox::information(this, QStringLiteral("Enregistrement reussie"),
                             QStringLiteral("Votre commande a été enregistrée avec succes"));
    dialog->accept();
}
