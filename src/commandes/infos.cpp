#include "app/base.h"
#include "app/dialogues.h"
#include "app/entreprise.h"
#include "app/tranches.h"
#include "app/saisie.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QScrollArea>
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

    QLabel *totaux = etiquette(
        page,
        QStringLiteral("Commandes : Vous avez en tout : <strong>") + QString::number(commandes)
            + QStringLiteral("</strong> commandes<br/>Clients  : Vous avez en tout : "
                             "<strong>")
            + QString::number(clients) + QStringLiteral("</strong> clients"),
        QStringLiteral("font-size:12px;font-weight:bold;color:#002c71;"), QRect(10, 50, 430, 30),
        Qt::AlignLeft | Qt::AlignVCenter);
    totaux->setWordWrap(true);

    auto tranche = [q] {
        QString texte;
        for (int n = 0; n < rangsParTranche && q->next(); ++n) {
            texte += QStringLiteral("Le client <strong>") + html(q->value(1).toString())
                + QStringLiteral("</strong> de <strong>") + html(q->value(2).toString())
                + QStringLiteral("</strong> a fait <strong>") + q->value(3).toString()
                + QStringLiteral("</strong> commandes<br/><br/>");
        }
        return texte;
    };
    auto *defilement = new QScrollArea(page);
    defilement->setGeometry(0, 90, 450, 370);
    // 440 wide; as tall as the lines need, so that the page scrolls to the last one.
    pageParTranches(
        defilement, tranche(), tranche,
        [](const QString &texte) {
            auto *liste = new QLabel(texte);
            liste->setTextFormat(Qt::RichText);
            liste->setStyleSheet(QStringLiteral("font-size:13px;"));
            liste->setWordWrap(true);
            liste->setAlignment(Qt::AlignTop);
            liste->setFixedWidth(440);
            return liste;
        },
        QMargins());

    Button *fermer = bouton(page, { Couleurs::bleuProfond(), false, 5.0, 8.0 },
                            QStringLiteral("Fermer la page"), QRect(10, 470, 430, 23));
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}
