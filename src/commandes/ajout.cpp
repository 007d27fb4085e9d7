#include "app/base.h"
#include "app/completeurs.h"
#include "app/dialogues.h"
#include "app/entreprise.h"
#include "app/saisie.h"
#include "commandes/etat.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTextEdit>

#include <memory>

namespace {

// A case-insensitive completer over the first column of every row of a
// statement; nothing (and a box over `parent`) when the server refuses it.
QCompleter *completeurDe(const QString &requete, QSqlDatabase &db, QWidget *parent,
                         QObject *proprietaire)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!lire(q, requete, parent))
        return nullptr;
    return completeurDepuis(q, proprietaire);
}

QLineEdit *champ(QWidget *parent, const QString &nom, const QRect &place,
                 QCompleter *completeur = nullptr)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(nom);
    edit->setGeometry(place);
    if (completeur)
        edit->setCompleter(completeur);
    return edit;
}

// The unit price is the run of digits and points the text starts with, whatever
// currency mark follows it ("1500CFA" → "1500"); a null text when there is none.
QString prixUnitaire(const QString &texte)
{
    static const QRegularExpression debut(QStringLiteral("^([0-9.]+)"));
    const QRegularExpressionMatch trouve = debut.match(texte);
    return trouve.hasMatch() ? trouve.captured(1) : QString();
}

// The total, unit price times quantity, as the server computes it; a null text
// when the unit price is not a number ("1.2.3").
QString prixTotal(QSqlDatabase &db, const QString &prix, int quantite)
{
    // Only digits with at most one point reach the statement.
    static const QRegularExpression nombre(QStringLiteral("^([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!nombre.match(prix).hasMatch())
        return QString();
    QSqlQuery q(db);
    if (!executer(
            q, QStringLiteral("SELECT ") + prix + QStringLiteral(" * ") + QString::number(quantite))
        || !q.next())
        return QString();
    return texteNombre(q.value(0));
}

} // namespace

void Entreprise::commandAjout()
{
    if (!connexionCommande())
        return;

    // The names offered while typing are read first: a refused read shows no form.
    auto noms = std::make_unique<QObject>();
    QCompleter *clients =
        completeurDe(QStringLiteral("SELECT nom FROM clients"), db, this, noms.get());
    QCompleter *produits = clients
        ? completeurDe(QStringLiteral("SELECT nom FROM commandes"), db, this, noms.get())
        : nullptr;
    QCompleter *entreprises = produits
        ? completeurDe(QStringLiteral("SELECT entreprise FROM clients"), db, this, noms.get())
        : nullptr;
    if (!entreprises)
        return;

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Ajouter une commande"), 400, 500);
    noms->setParent(fenetre);
    noms.release();
    etiquette(fenetre, QStringLiteral("Ajouter une commande"),
              QStringLiteral("color:red;font-size:24px;font-weight:bold;"), QRect(0, 10, 400, 30));
    EtatCommandes &etat = *etatCommandes;

    auto *produit =
        new QGroupBox(QStringLiteral("Informations sur le produit à commander"), fenetre);
    produit->setGeometry(10, 60, 380, 230);
    const QString styleProduit = QStringLiteral("color:blue;font-weight:bold;font-size:12px;");
    legende(produit, QStringLiteral("Nom du produit :  *"), styleProduit, 10, 25);
    legende(produit, QStringLiteral("Le poids  :"), styleProduit, 10, 55);
    legende(produit, QStringLiteral("La quantité :  *"), styleProduit, 10, 85);
    legende(produit, QStringLiteral("le prix unitaire :  *"), styleProduit, 10, 115);
    legende(produit, QStringLiteral("Commentaire :"), styleProduit, 10, 140);
    etat.produitEdit =
        champ(produit, QStringLiteral("produitEdit"), QRect(150, 20, 200, 25), produits);
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
    etat.prixEdit = champ(produit, QStringLiteral("prixEdit"), QRect(150, 110, 200, 25));
    etat.commandeCommentaireEdit = new QTextEdit(produit);
    etat.commandeCommentaireEdit->setObjectName(QStringLiteral("commandeCommentaireEdit"));
    etat.commandeCommentaireEdit->setGeometry(10, 160, 360, 60);

    auto *client = new QGroupBox(QStringLiteral("Informations sur le client"), fenetre);
    client->setGeometry(10, 300, 380, 150);
    const QString styleClient = QStringLiteral("font-size:12px;color:#b000b7;font-weight:bold;");
    legende(client, QStringLiteral("Nom du client : *"), styleClient, 10, 25);
    legende(client, QStringLiteral("Nom de l'entreprise :"), styleClient, 10, 55);
    legende(client, QStringLiteral("Email : *"), styleClient, 10, 85);
    legende(client, QStringLiteral("Numero : *"), styleClient, 10, 115);
    etat.clientNomEdit =
        champ(client, QStringLiteral("clientNomEdit"), QRect(150, 20, 200, 25), clients);
    etat.entrepriseEdit =
        champ(client, QStringLiteral("entrepriseEdit"), QRect(150, 50, 200, 25), entreprises);
    etat.emailEdit = champ(client, QStringLiteral("emailEdit"), QRect(150, 80, 200, 25));
    etat.telEdit = champ(client, QStringLiteral("telEdit"), QRect(150, 110, 200, 25));

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
    const QString nomProduit = etat.produitEdit->text();
    const QString prixSaisi = etat.prixEdit->text();
    const QString nomClient = etat.clientNomEdit->text();
    const QString entreprise = etat.entrepriseEdit->text();
    const QString email = etat.emailEdit->text();
    const QString tel = etat.telEdit->text();

    if (nomProduit.isEmpty() || prixSaisi.isEmpty() || nomClient.isEmpty() || email.isEmpty()
        || tel.isEmpty()) {
        QMessageBox::information(
            dialog, QStringLiteral("Champs mal remplis"),
            QStringLiteral("Vous devez remplir tous les champs obligatoire (précédé de *)"));
        return;
    }

    const QString prix = prixUnitaire(prixSaisi);
    const QString total =
        prix.isNull() ? QString() : prixTotal(db, prix, etat.quantiteBox->value());

    const auto clientRefuse = [this] {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Le client n'a pas pu être enregistré sur la base "
                                            "de donnée. (Commande également)"));
    };
    // The customer and its order are stored together or not at all: a customer
    // created for an order that the database refuses goes with it.
    Transaction transaction(db);
    if (!transaction.ouverte()) {
        clientRefuse();
        return;
    }
    QSqlQuery q(db);

    // The order belongs to the customer of that very name whose company
    // contains the typed one (an empty company matches any); the first one
    // found when there are several, a new one when there is none.
    q.prepare(QStringLiteral("SELECT id, nom, entreprise FROM clients WHERE nom = :nom and "
                             "IFNULL(entreprise, '') LIKE :entreprise"));
    q.bindValue(QStringLiteral(":nom"), nomClient);
    q.bindValue(QStringLiteral(":entreprise"), motifContient(entreprise));
    if (!executer(q)) {
        clientRefuse();
        return;
    }
    QVariant clientId;
    if (q.next())
        clientId = q.value(0);

    if (!clientId.isValid()) {
        q.prepare(QStringLiteral(
            "INSERT INTO clients SET nom=:nom, entreprise=:entreprise, email=:email, tel=:tel"));
        q.bindValue(QStringLiteral(":nom"), nomClient);
        q.bindValue(QStringLiteral(":entreprise"), saisie(entreprise));
        q.bindValue(QStringLiteral(":email"), email);
        q.bindValue(QStringLiteral(":tel"), tel);
        if (!executer(q) || !q.lastInsertId().isValid()) {
            clientRefuse();
            return;
        }
        clientId = q.lastInsertId();
    }

    q.prepare(QStringLiteral(
        "INSERT INTO commandes SET client_id=:client_id, nom=:nom, poids=:poids, "
        "poids_unite=:poids_unite, quantite=:quantite, prix_unitaire=:prix_unitaire, "
        "prix_total=:prix_total, commentaire=:commentaire, date_command=NOW()"));
    q.bindValue(QStringLiteral(":client_id"), clientId.toInt());
    q.bindValue(QStringLiteral(":nom"), nomProduit);
    q.bindValue(QStringLiteral(":poids"), etat.poidsBox->value());
    q.bindValue(QStringLiteral(":poids_unite"), etat.uniteBox->currentText());
    q.bindValue(QStringLiteral(":quantite"), etat.quantiteBox->value());
    // A missing price is sent as NULL, which the table refuses.
    q.bindValue(QStringLiteral(":prix_unitaire"),
                prix.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(prix));
    q.bindValue(QStringLiteral(":prix_total"),
                total.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(total));
    q.bindValue(QStringLiteral(":commentaire"),
                saisie(etat.commandeCommentaireEdit->toPlainText()));
    if (!executer(q) || !transaction.valider()) {
        QMessageBox::warning(
            this, QStringLiteral("Erreur d'enregistrement"),
            QStringLiteral("La commande n'a pas pu être enregistré dans la base de donnée"));
        return;
    }

    clientComboChange();
    QMessageBox::information(this, QStringLiteral("Enregistrement reussie"),
                             QStringLiteral("Votre commande a été enregistrée avec succes"));
    dialog->accept();
}
