#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "compte/etat.h"

#include <QDialog>
#include <QListView>
#include <QMessageBox>
#include <QSqlQuery>

namespace {

// One entry of the delete list: "sujet n°7 - Il s'agit d'un gain - valeur = 150F".
QString entreeCompte(const QString &id, const QString &sujet, const QString &valeur)
{
    const QString article =
        sujet == QLatin1String("Gain") ? QStringLiteral("d'un") : QStringLiteral("d'une");
    return QStringLiteral("sujet n°") + id + QStringLiteral(" - Il s'agit ") + article
        + QLatin1Char(' ') + sujet.toLower() + QStringLiteral(" - valeur = ") + valeur
        + QLatin1Char('F');
}

} // namespace

void Entreprise::supprimeSujet()
{
    if (!connexionCompte())
        return;

    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    if (!lire(requete, QStringLiteral("SELECT id, sujet, valeur FROM compte"), this))
        return;
    if (requete.size() < 1) {
        QMessageBox::information(this, QStringLiteral("table vide"),
                                 QStringLiteral("Vous n'avez pas données stockées"));
        return;
    }

    QDialog *fenetre = ouvrirDialogue(
        QStringLiteral("Supprimer des données dans la base de mes comptes"), 360, 130);
    EtatCompte &etat = *etatCompte;
    etat.sujetListe = new QComboBox(fenetre);
    etat.sujetListe->setObjectName(QStringLiteral("sujetListe"));
    // Wider than first drawn: an entry ("sujet n°12 - Il s'agit d'une dépense -
    // valeur = 1250.75F") must read whole in the closed list.
    etat.sujetListe->setGeometry(10, 20, 340, 30);
    // A full book holds tens of thousands of entries: the list must open at once.
    if (auto *vue = qobject_cast<QListView *>(etat.sujetListe->view()))
        vue->setUniformItemSizes(true);
    while (requete.next()) {
        etat.sujetListe->addItem(entreeCompte(requete.value(0).toString(),
                                              requete.value(1).toString(),
                                              requete.value(2).toString()),
                                 requete.value(0));
    }
    etat.sujetListe->setCurrentIndex(0);
    etat.sujetListe->setStyleSheet(QStringLiteral("color:red;font-size:11px;"));

    Button *supprimer = bouton(fenetre, { Couleurs::rouge(), true, 10.0, 5.0 },
                               QStringLiteral("Supprimer"), QRect(10, 60, 340, 25));
    Button *annuler = bouton(fenetre, { Couleurs::bleu().avecTexte(Qt::red), true, 10.0, 5.0 },
                             QStringLiteral("Annuler"), QRect(10, 95, 340, 25));
    connect(supprimer, &Button::clicked, this, &Entreprise::supprimeValeur);
    connect(annuler, &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}

void Entreprise::supprimeValeur()
{
    const QVariant id = etatCompte->sujetListe->currentData();
    if (!confirmer(dialog, QStringLiteral("Confirmation"),
                   QStringLiteral("Voulez vous vraiment supprimer le sujet n°") + id.toString()))
        return;

    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("DELETE FROM compte WHERE id = :id"));
    requete.bindValue(QStringLiteral(":id"), id);
    if (executer(requete)) {
        QMessageBox::information(this, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("La suppression a été effectuée avec succes"));
        dialog->accept();
    } else {
        QMessageBox::warning(this, QStringLiteral("Requête échouée"),
                             QStringLiteral("La suppression de l'élément n'a pas été effectuée "
                                            "avec succes "));
    }
}

void Entreprise::viderTable()
{
    if (!connexionCompte())
        return;

    if (!confirmer(this, QStringLiteral("Confirmation"),
                   QStringLiteral("Voulez vous vraiment vider vos données ?")))
        return;
    if (!sauvegardeAvantVider(this, { QStringLiteral("compte") }))
        return;

    QSqlQuery requete(db);
    if (executer(requete, QStringLiteral("DELETE FROM compte"))) {
        // Numbering starts again at 1: the key stops at 65,535, and a book
        // emptied after that many entries must still take new ones. Should the
        // server refuse, the book is empty all the same; only the numbering
        // goes on from where it was (the refusal is logged).
        executer(requete, QStringLiteral("ALTER TABLE compte AUTO_INCREMENT = 1"));
        QMessageBox::information(this, QStringLiteral("Vidage reussi"),
                                 QStringLiteral("Vos données ont été vidé avec succes"));
    } else {
        QMessageBox::warning(this, QStringLiteral("Vidage échoué"),
                             QStringLiteral("La tentative de vidage de vos données a échoué"));
    }
}
