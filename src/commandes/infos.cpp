#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QLabel>
#include <QPalette>
#include <QScrollArea>
#include <QSqlQuery>

#include <memory>

namespace {

int nombreDeLignes(QSqlDatabase &db, const QString &requete)
{
    QSqlQuery q(db);
    q.exec(requete);
    return qMax(q.size(), 0);
}

} // namespace

void Entreprise::commandeInfo()
{
    if (!connexionCommande())
        return;

    QDialog *page =
        nouveauDialogue(QStringLiteral("Informations sur les commandes et clients"), 450, 500);
    QPalette fond = page->palette();
    fond.setBrush(QPalette::All, QPalette::Window, QColor(QStringLiteral("#a1ffb7")));
    page->setPalette(fond);

    etiquette(page, QStringLiteral("Informations"),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline;"),
              QRect(0, 10, 400, 30), Qt::AlignHCenter)
        ->setWordWrap(true);

    const int commandes = nombreDeLignes(db, QStringLiteral("SELECT id FROM commandes"));
    const int clients = nombreDeLignes(db, QStringLiteral("SELECT id FROM clients"));
    QLabel *totaux = etiquette(
        page,
        QStringLiteral("Commandes : Vous avez en tout : <strong>") + QString::number(commandes)
            + QStringLiteral("</strong> commandes<br/>Clients  : Vous avez en tout : "
                             "<strong>")
            + QString::number(clients) + QStringLiteral("</strong> clients"),
        QStringLiteral("font-size:12px;font-weight:bold;color:#002c71;"), QRect(10, 50, 430, 30),
        Qt::AlignLeft | Qt::AlignVCenter);
    totaux->setWordWrap(true);

    auto q = std::make_shared<QSqlQuery>(db);
    q->setForwardOnly(true);
    q->exec(QStringLiteral(
        "SELECT commandes.nom, clients.nom, clients.entreprise, COUNT(*) AS nbre FROM "
        "commandes INNER JOIN clients ON clients.id=commandes.client_id GROUP BY "
        "commandes.client_id, clients.nom, clients.entreprise ORDER BY nbre DESC"));
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

    auto *fermer = new Button(Couleurs::bleuProfond(), false, 5.0, 8.0,
                              QStringLiteral("Fermer la page"), 430, 23, page);
    fermer->move(10, 470);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}
