#include "commun/base.h"
#include "commun/completeurs.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSqlQuery>

#include <memory>

namespace {

// A value of a result row as the page shows it: typed text escaped, numbers
// written as the program has always written them.
QString valeurPage(const QVariant &valeur)
{
    if (valeur.typeId() == QMetaType::Float)
        return QString::number(valeur.toFloat(), 'g', 6);
    return html(texteNombre(valeur));
}

// A plain-text label: what it shows may hold the user's text.
QLabel *lignePlate(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                   Qt::Alignment alignement)
{
    QLabel *label = etiquette(parent, texte, style, place, alignement);
    label->setTextFormat(Qt::PlainText);
    return label;
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
    // A text holding a character the registers cannot store matches no stored
    // name: it is not sent, and the search finds nothing.
    const bool cherchable = caractereHorsBase(recherche).isNull();
    const QString motif = cherchable ? motifContient(recherche) : QString(QLatin1String(""));
    auto q = std::make_shared<QSqlQuery>(db);
    q->setForwardOnly(true);
    if (produits) {
        q->prepare(QStringLiteral(
            "SELECT commandes.id, commandes.nom, poids, poids_unite, quantite, prix_unitaire, "
            "prix_total, commentaire, date_command, clients.nom, entreprise, email, tel FROM "
            "commandes INNER JOIN clients ON commandes.client_id = clients.id WHERE :cherchable "
            "AND commandes.nom LIKE :motif"));
    } else {
        // Each customer comes with the number of its orders, counted by the
        // same statement.
        q->prepare(QStringLiteral("SELECT id, nom, entreprise, email, tel, (SELECT COUNT(*) FROM "
                                  "commandes WHERE client_id = clients.id) FROM clients WHERE "
                                  ":cherchable AND nom LIKE :motif"));
    }
    q->bindValue(QStringLiteral(":cherchable"), int(cherchable));
    q->bindValue(QStringLiteral(":motif"), motif);
    if (!lire(*q, this))
        return;

    auto contenu = std::make_shared<Contenu>();
    const QString titre = QStringLiteral("recherche sur \"") + recherche + QLatin1Char('"');
    const QString styleTitre =
        QStringLiteral("color:orange;font-size:20px;text-decoration:underline;");
    contenu->setEnTete(blocStyle(styleTitre + QStringLiteral("text-align:center;"), html(titre)));
    if (produits) {
        contenu->ajouter([q] {
            QString texte;
            for (int n = 0; n < rangsParTranche && q->next(); ++n) {
                auto v = [&q](int colonne) { return valeurPage(q->value(colonne)); };
                const QString date = QLocale().toString(
                    q->value(8).toDateTime(), QStringLiteral("le dddd, dd MMMM yyyy à hh:mm:ss"));
                texte += QStringLiteral("Identifiant = <strong>") + v(0)
                    + QStringLiteral("</strong><br/>nom du produit = <strong>") + v(1)
                    + QStringLiteral("</strong><br/>poids = <strong>") + v(2) + v(3)
                    + QStringLiteral("</strong><br/>quantité = <strong>") + v(4)
                    + QStringLiteral("</strong><br/>prix unitaire = <strong>") + v(5)
                    + QStringLiteral("F</strong><br/>prix total = <strong>") + v(6)
                    + QStringLiteral("F</strong><br/>commenaire sur le produit = <strong>") + v(7)
                    + QStringLiteral("</strong><br/>date de la commande = <strong>") + html(date)
                    + QStringLiteral("</strong><br/><br/>nom du clients = <strong>") + v(9)
                    + QStringLiteral("</strong> de <strong>") + v(10)
                    + QStringLiteral("</strong><br/>E-mail = <strong>") + v(11)
                    + QStringLiteral("</strong><br/>Téléphone = <strong>") + v(12)
                    + QStringLiteral("</strong><br/><br/><br/><hr/>");
            }
            return texte.isEmpty() ? texte
                                   : blocStyle(QStringLiteral("color:blue;font-size:12px;"), texte);
        });
    } else {
        contenu->ajouter([q] {
            QString texte;
            for (int n = 0; n < rangsParTranche && q->next(); ++n) {
                texte += QStringLiteral("Nom = <strong>") + valeurPage(q->value(1))
                    + QStringLiteral("</strong><br/> Nom de l'entreprise = <strong>")
                    + valeurPage(q->value(2)) + QStringLiteral("</strong><br/>Email = <strong>")
                    + valeurPage(q->value(3))
                    + QStringLiteral("</strong><br/> Téléphone = <strong>")
                    + valeurPage(q->value(4))
                    + QStringLiteral("</strong><br/> Nombre de commandes effectuées = <strong>")
                    + q->value(5).toString()
                    + QStringLiteral("</strong> commandes<br/><br/><hr/><br/><br/>");
            }
            return texte;
        });
    }

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
    QSqlQuery noms(db);
    noms.setForwardOnly(true);
    if (lire(noms,
             clientCombo->currentIndex() == 0 ? QStringLiteral("SELECT nom FROM commandes")
                                              : QStringLiteral("SELECT nom FROM clients"),
             this))
        remplacerCompleteur(rechercheEdit, noms);
}

void Entreprise::commandComboChange()
{
    // Orders and customers can be edited; the joined view can only be read.
    commandAfficheButton->setText(commandCombo->currentIndex() <= 1
                                      ? QStringLiteral("Afficher et/ou modifier")
                                      : QStringLiteral("Afficher"));
}
