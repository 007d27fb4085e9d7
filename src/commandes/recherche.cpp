#include "app/entreprise.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <memory>

namespace {

// A product found, as the page shows it: typed text escaped, numbers written
// as the program has always written them.
QString blocProduit(const commandes::Commande &c)
{
    const QString date =
        QLocale().toString(c.date, QStringLiteral("le dddd, dd MMMM yyyy à hh:mm:ss"));
    return QStringLiteral("Identifiant = <strong>") + c.id.toString()
        + QStringLiteral("</strong><br/>nom du produit = <strong>") + html(c.nom)
        + QStringLiteral("</strong><br/>poids = <strong>") + QString::number(float(c.poids), 'g', 6)
        + html(c.unite) + QStringLiteral("</strong><br/>quantité = <strong>")
        + QString::number(c.quantite) + QStringLiteral("</strong><br/>prix unitaire = <strong>")
        + html(c.prixUnitaire) + QStringLiteral("F</strong><br/>prix total = <strong>")
        + html(c.prixTotal) + QStringLiteral("F</strong><br/>commenaire sur le produit = <strong>")
        + html(c.commentaire) + QStringLiteral("</strong><br/>date de la commande = <strong>")
        + html(date) + QStringLiteral("</strong><br/><br/>nom du clients = <strong>")
        + html(c.client.nom) + QStringLiteral("</strong> de <strong>") + html(c.client.entreprise)
        + QStringLiteral("</strong><br/>E-mail = <strong>") + html(c.client.email)
        + QStringLiteral("</strong><br/>Téléphone = <strong>") + html(c.client.tel)
        + QStringLiteral("</strong><br/><br/><br/><hr/>");
}

QString blocClient(const commandes::ClientEtCommandes &trouve)
{
    const commandes::Client &c = trouve.client;
    return QStringLiteral("Nom = <strong>") + html(c.nom)
        + QStringLiteral("</strong><br/> Nom de l'entreprise = <strong>") + html(c.entreprise)
        + QStringLiteral("</strong><br/>Email = <strong>") + html(c.email)
        + QStringLiteral("</strong><br/> Téléphone = <strong>") + html(c.tel)
        + QStringLiteral("</strong><br/> Nombre de commandes effectuées = <strong>")
        + QString::number(trouve.commandes)
        + QStringLiteral("</strong> commandes<br/><br/><hr/><br/><br/>");
}

// A plain-text label: what it shows may hold the user's text.
QLabel *lignePlate(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                   Qt::Alignment alignement)
{
    QLabel *label = etiquette(parent, texte, style, place, alignement);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The rows found, written out slice by slice as the page shows them.
std::shared_ptr<Contenu> contenuDeRecherche(const QSqlDatabase &db, const QString &recherche,
                                            bool produits, Issue *issue)
{
    auto contenu = std::make_shared<Contenu>();
    if (produits) {
        auto trouves = std::make_shared<Curseur<commandes::Commande>>(
            commandes::rechercherProduits(db, recherche, issue));
        contenu->ajouter([trouves] {
            QString texte;
            for (const commandes::Commande &c : trouves->suivants(rangsParTranche))
                texte += blocProduit(c);
            return texte.isEmpty() ? texte
                                   : blocStyle(QStringLiteral("color:blue;font-size:12px;"), texte);
        });
    } else {
        auto trouves = std::make_shared<Curseur<commandes::ClientEtCommandes>>(
            commandes::rechercherClients(db, recherche, issue));
        contenu->ajouter([trouves] {
            QString texte;
            for (const commandes::ClientEtCommandes &c : trouves->suivants(rangsParTranche))
                texte += blocClient(c);
            return texte;
        });
    }
    return contenu;
}

} // namespace

void Entreprise::rechercheCommande()
{
    if (!connexionCommande())
        return;

    const QString recherche = rechercheEdit->text();
    const bool produits = clientCombo->currentIndex() == 0;
    // The statement is run before the page is built: a refused read shows no
    // page. It stays open while the page is shown, which writes its rows out
    // slice by slice.
    Issue issue;
    const std::shared_ptr<Contenu> contenu = contenuDeRecherche(db, recherche, produits, &issue);
    if (!lectureReussie(this, issue))
        return;

    const QString titre = QStringLiteral("recherche sur \"") + recherche + QLatin1Char('"');
    const QString styleTitre =
        QStringLiteral("color:orange;font-size:20px;text-decoration:underline;");
    contenu->setEnTete(blocStyle(styleTitre + QStringLiteral("text-align:center;"), html(titre)));

    QDialog *page = ouvrirDialogue(produits ? QStringLiteral("Recherche d'un produit")
                                            : QStringLiteral("Recherche d'un client"),
                                   500, 500);
    lignePlate(page, titre, styleTitre, QRect(0, 10, 400, 490), Qt::AlignHCenter)
        ->setWordWrap(true);
    QString premiere;
    if (produits && !contenu->tranche(0, &premiere)) {
        const QString rien = QStringLiteral("Il n'y a pas de produit commandé du nom de \"")
            + recherche + QLatin1Char('"');
        const QString styleRien = QStringLiteral("color:red;font-size:13px;");
        lignePlate(page, rien, styleRien, QRect(0, 50, 400, 40), Qt::AlignCenter);
        contenu->ajouter(blocStyle(styleRien + QStringLiteral("text-align:center;"), html(rien)));
    } else {
        // A customer search that finds nothing leaves the page empty below its heading.
        auto *resultats = new PageResultat(contenu, page);
        resultats->setGeometry(0, 50, 500, 400);
    }
    rangeeDePage(page, { Couleurs::bleuProfond(), false, 8.0, 8.0 },
                 QStringLiteral("Fermer la page"), QRect(10, 470, 480, 23), contenu,
                 produits ? QStringLiteral("recherche-produit")
                          : QStringLiteral("recherche-client"));
    page->exec();
}

void Entreprise::clientComboChange()
{
    // The search field completes product names or customer names, as the
    // search does. Without a connection there is nothing to offer yet: the
    // next command tells why.
    if (!db.isOpen())
        return;
    QStringList noms;
    if (!lectureReussie(this,
                        commandes::noms(db,
                                        clientCombo->currentIndex() == 0 ? commandes::Noms::Produits
                                                                         : commandes::Noms::Clients,
                                        &noms)))
        return;
    // Owned by the field.
    auto *completeur = new QCompleter(noms, rechercheEdit);
    completeur->setCaseSensitivity(Qt::CaseInsensitive);
    rechercheEdit->setCompleter(completeur);
}

void Entreprise::commandComboChange()
{
    // Orders and customers can be edited; the joined view can only be read.
    commandAfficheButton->setText(commandCombo->currentIndex() <= 1
                                      ? QStringLiteral("Afficher et/ou modifier")
                                      : QStringLiteral("Afficher"));
}
