#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QSqlQuery>

#include <memory>

void Entreprise::commandeInfo()
{
    if (!connexionCommande())
        return;

    // Everything the page shows is read first: a refused read shows no page.
    QSqlQuery comptage(db);
    if (!lire(comptage, QStringLiteral("SELECT id FROM commandes"), this))
        return;
    const int commandes = qMax(comptage.size(), 0);
    if (!lire(comptage, QStringLiteral("SELECT id FROM clients"), this))
        return;
    const int clients = qMax(comptage.size(), 0);
    auto q = std::make_shared<QSqlQuery>(db);
    q->setForwardOnly(true);
    if (!lire(*q,
              QStringLiteral(
                  "SELECT commandes.nom, clients.nom, clients.entreprise, COUNT(*) AS nbre FROM "
                  "commandes INNER JOIN clients ON clients.id=commandes.client_id GROUP BY "
                  "commandes.client_id, clients.nom, clients.entreprise ORDER BY nbre DESC"),
              this))
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
        + QString::number(commandes)
        + QStringLiteral("</strong> commandes<br/>Clients  : Vous avez en tout : <strong>")
        + QString::number(clients) + QStringLiteral("</strong> clients");
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
    contenu->ajouter([q] {
        QString texte;
        for (int n = 0; n < rangsParTranche && q->next(); ++n) {
            texte += QStringLiteral("Le client <strong>") + html(q->value(1).toString())
                + QStringLiteral("</strong> de <strong>") + html(q->value(2).toString())
                + QStringLiteral("</strong> a fait <strong>") + q->value(3).toString()
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
