#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSqlQuery>

namespace {

// Each order as "n°7 lait de Martin"; orders whose customer is gone are not listed.
QStringList listeCommandes(QSqlDatabase &db)
{
    QStringList liste;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT commandes.id, commandes.nom, clients.nom FROM commandes INNER "
                          "JOIN clients ON clients.id=commandes.client_id;"));
    while (q.next()) {
        liste << QStringLiteral("n°") + q.value(0).toString() + QLatin1Char(' ')
                + q.value(1).toString() + QStringLiteral(" de ") + q.value(2).toString();
    }
    return liste;
}

// Each customer as "n°3 Martin de Beta", or "n°3 Martin" without a company.
QStringList listeClients(QSqlDatabase &db)
{
    QStringList liste;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT id, nom, entreprise FROM clients"));
    while (q.next()) {
        QString element =
            QStringLiteral("n°") + q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
        const QString entreprise = q.value(2).toString();
        if (!entreprise.isEmpty())
            element += QStringLiteral(" de ") + entreprise;
        liste << element;
    }
    return liste;
}

bool executer(QSqlDatabase &db, const QString &requete)
{
    QSqlQuery q(db);
    return q.exec(requete);
}

} // namespace

void Entreprise::commandSupprimeDialog()
{
    if (!connexionCommande() || !clientsEnregistres())
        return;

    QDialog *fenetre =
        nouveauDialogue(QStringLiteral("Supprimer une commande ou un client"), 400, 200);
    etiquette(fenetre, QStringLiteral("Suppression de commande ou client"),
              QStringLiteral("color:green;font-size:20px"), QRect(0, 10, 400, 25));
    legende(fenetre,
            QStringLiteral("Attention : Si vous supprimiez un client alors ses commandes seront\n"
                           "également supprimées. Mais si vous supprimiez une commande\nle client "
                           "ne sera pas supprimé"),
            QStringLiteral("color:red;font-size:12px"), 10, 50);

    produitBox = new QComboBox(fenetre);
    produitBox->setGeometry(10, 100, 100, 25);
    produitBox->addItems({ QStringLiteral("commande"), QStringLiteral("client") });
    elementBox = new QComboBox(fenetre);
    elementBox->setGeometry(120, 100, 270, 25);

    QSqlQuery commandes(db);
    commandes.exec(QStringLiteral("SELECT id FROM commandes"));
    if (commandes.size() > 0) {
        elementBox->addItems(listeCommandes(db));
    } else {
        produitBox->removeItem(0);
        elementBox->addItems(listeClients(db));
    }
    connect(produitBox, &QComboBox::currentIndexChanged, this, &Entreprise::produitBoxChange);

    auto *supprimer = new Button(Couleurs::rouge(), true, 15.0, 10.0, QStringLiteral("Supprimer"),
                                 185, 25, fenetre);
    supprimer->move(10, 165);
    auto *fermer = new Button(Couleurs::bleu().avecTexte(QColor(QStringLiteral("#d3d5ff"))), true,
                              15.0, 10.0, QStringLiteral("Fermer la page"), 185, 25, fenetre);
    fermer->move(205, 165);
    connect(supprimer, &Button::clicked, this, &Entreprise::supprimeProCl);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::produitBoxChange()
{
    const QStringList liste = produitBox->currentText() == QLatin1String("commande")
        ? listeCommandes(db)
        : listeClients(db);
    elementBox->clear();
    elementBox->addItems(liste);
}

void Entreprise::supprimeProCl()
{
    const QString id = QString::number(idDepuisEntree(elementBox->currentText()));

    // The kind chosen says what the number is: an order's number never
    // deletes a customer.
    bool reussi;
    if (produitBox->currentText() == QLatin1String("commande")) {
        reussi = executer(db, QStringLiteral("DELETE FROM commandes WHERE id=") + id);
    } else {
        // A customer goes with all its orders, or not at all.
        reussi = db.transaction()
            && executer(db, QStringLiteral("DELETE FROM clients WHERE id=") + id)
            && executer(db, QStringLiteral("DELETE FROM commandes WHERE client_id=") + id)
            && db.commit();
        if (!reussi)
            db.rollback();
    }

    if (!reussi) {
        QMessageBox::warning(dialog, QStringLiteral("Suppression échouée"),
                             QStringLiteral("Votre requête n'a pas pu être executée avec succes."));
        return;
    }
    clientComboChange();
    QMessageBox::information(dialog, QStringLiteral("Suppression reussie"),
                             QStringLiteral("Votre requête a été executée avec succes."));
    dialog->accept();
}
