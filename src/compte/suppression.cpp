#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "compte/etat.h"
#include "compte/registre.h"

#include <QDialog>
#include <QListView>
#include <QMessageBox>

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

    QList<compte::Ecriture> liste;
    if (!lectureReussie(this, compte::entrees(db, &liste)))
        return;
    if (liste.isEmpty()) {
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
    for (const compte::Ecriture &e : std::as_const(liste))
        etat.sujetListe->addItem(entreeCompte(e.id.toString(), e.sujet, e.valeur), e.id);
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

    const Issue issue = compte::supprimer(db, id);
    if (issue == Issue::DejaSupprime) {
        dejaSupprimeSignale(this);
        dialog->accept();
    } else if (issue == Issue::Ecrit) {
        QMessageBox::information(this, QStringLiteral("Suppression reussie"),
                                 QStringLiteral("La suppression a été effectuée avec succes"));
        dialog->accept();
    } else if (issue == Issue::Conflit) {
        conflitSignale(dialog, issue.raison);
    } else if (!issueIncertaineSignalee(this, issue)) {
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
    schema::Bornes bornes;
    if (!sauvegardeAvantVider(this, { QStringLiteral("compte") }, &bornes))
        return;

    const Issue issue = compte::vider(db, bornes);
    if (issue == Issue::Ecrit) {
        QMessageBox::information(this, QStringLiteral("Vidage reussi"),
                                 QStringLiteral("Vos données ont été vidé avec succes"));
    } else if (issue == Issue::Conflit) {
        conflitSignale(this, issue.raison);
    } else if (!issueIncertaineSignalee(this, issue)) {
        QMessageBox::warning(this, QStringLiteral("Vidage échoué"),
                             QStringLiteral("La tentative de vidage de vos données a échoué"));
    }
}
