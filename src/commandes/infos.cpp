#include "app/entreprise.h"
#include "commandes/registre.h"
#include "commun/base.h"
#include "commun/dialogues.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>

#include <memory>

void Entreprise::commandeInfo()
{
    if (!connexionCommande())
        return;

    // Everything the page shows is read first: a refused read shows no page.
    int nombreCommandes = 0, nombreClients = 0;
    if (!lectureReussie(this, commandes::nombreCommandes(db, &nombreCommandes))
        || !lectureReussie(this, commandes::nombreClients(db, &nombreClients)))
        return;
    Issue issue;
    auto parClient = std::make_shared<Curseur<commandes::ClientEtCommandes>>(
        commandes::commandesParClient(db, &issue));
    if (!lectureReussie(this, issue))
        return;

    QDialog *page =
        ouvrirDialogue(QStringLiteral("Informations sur les commandes et clients"), 450, 500);
    QPalette fond = page->palette();
    fond.setBrush(QPalette::All, QPalette::Window, QColor(QStringLiteral("#a1ffb7")));
    page->setPalette(fond);

    etiquette(page, QStringLiteral("Informations"),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline;"),
              QRect(0, 10, 400, 30), Qt::AlignHCenter)
        ->setWordWrap(true);

    const QString comptes = QStringLiteral("Commandes : Vous avez en tout : <strong>")
        + QString::number(nombreCommandes)
        + QStringLiteral("</strong> commandes<br/>Clients  : Vous avez en tout : <strong>")
        + QString::number(nombreClients) + QStringLiteral("</strong> clients");
    const QString styleComptes = QStringLiteral("font-size:12px;font-weight:bold;color:#002c71;");
    etiquette(page, comptes, styleComptes, QRect(10, 50, 430, 30), Qt::AlignLeft | Qt::AlignVCenter)
        ->setWordWrap(true);

    // The heading and the counts stand above the page; printed, they head it.
    auto contenu = std::make_shared<Contenu>();
    contenu->setEnTete(
        blocStyle(QStringLiteral("color:orange;font-size:24px;text-decoration:underline;"
                                 "text-align:center;"),
                  QStringLiteral("Informations"))
        + blocStyle(styleComptes, comptes));
    contenu->ajouter([parClient] {
        QString texte;
        for (const commandes::ClientEtCommandes &ligne : parClient->suivants(rangsParTranche)) {
            texte += QStringLiteral("Le client <strong>") + html(ligne.client.nom)
                + QStringLiteral("</strong> de <strong>") + html(ligne.client.entreprise)
                + QStringLiteral("</strong> a fait <strong>") + QString::number(ligne.commandes)
                + QStringLiteral("</strong> commandes<br/><br/>");
        }
        return texte.isEmpty() ? texte : blocStyle(QStringLiteral("font-size:13px;"), texte);
    });
    auto *clientsParCommandes = new PageResultat(contenu, page);
    clientsParCommandes->setGeometry(0, 90, 450, 370);

    rangeeDePage(page, { Couleurs::bleuProfond(), false, 5.0, 8.0 },
                 QStringLiteral("Fermer la page"), QRect(10, 470, 430, 23), contenu,
                 QStringLiteral("informations-commandes"));
    page->exec();
}
