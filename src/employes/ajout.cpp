#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/saisie.h"
#include "employes/etat.h"
#include "employes/listes.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>

namespace {

// The form's fields, from the name to the start date, as the user fills them.
void champsDuFormulaire(QDialog *page, EtatEmployes &etat)
{
    const QStringList jours = employes::jours();
    const QStringList mois = employes::mois();
    const QStringList annees = employes::annees(1950);
    // Each field takes at most what its column holds.
    auto champ = [page](const QString &nom, const QRect &place, int largeur) {
        auto *edit = new QLineEdit(page);
        edit->setObjectName(nom);
        edit->setGeometry(place);
        edit->setMaxLength(largeur);
        return edit;
    };
    etat.nomEdit = champ(QStringLiteral("nomEdit"), QRect(70, 60, 150, 25), largeurs::nom);
    etat.prenomEdit = champ(QStringLiteral("prenomEdit"), QRect(70, 90, 150, 25), largeurs::nom);
    etat.domaineEdit =
        champ(QStringLiteral("domaineEdit"), QRect(70, 150, 150, 25), largeurs::domaine);
    etat.masculinButton = new QRadioButton(QStringLiteral("Masculin"), page);
    etat.masculinButton->setObjectName(QStringLiteral("masculinButton"));
    etat.masculinButton->setGeometry(60, 120, 100, 25);
    etat.masculinButton->setChecked(true);
    auto *femininButton = new QRadioButton(QStringLiteral("Feminin"), page);
    femininButton->setObjectName(QStringLiteral("femininButton"));
    femininButton->setGeometry(170, 120, 100, 25);
    auto *sexes = new QButtonGroup(page);
    sexes->addButton(etat.masculinButton);
    sexes->addButton(femininButton);

    etat.jourNaissanceBox =
        employes::liste(page, QStringLiteral("jourNaissanceBox"), jours, QRect(120, 180, 50, 25));
    etat.moisNaissanceBox =
        employes::liste(page, QStringLiteral("moisNaissanceBox"), mois, QRect(180, 180, 120, 25));
    etat.anneeNaissanceBox =
        employes::liste(page, QStringLiteral("anneeNaissanceBox"), annees, QRect(310, 180, 80, 25));
    etat.jourDebutBox =
        employes::liste(page, QStringLiteral("jourDebutBox"), jours, QRect(10, 235, 50, 25));
    etat.moisDebutBox =
        employes::liste(page, QStringLiteral("moisDebutBox"), mois, QRect(70, 235, 120, 25));
    etat.anneeDebutBox =
        employes::liste(page, QStringLiteral("anneeDebutBox"), annees, QRect(200, 235, 80, 25));
    etat.anneeDebutBox->setCurrentIndex(etat.anneeDebutBox->count() - 1);
}

} // namespace

void Entreprise::employeAjout()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() == 1;
    const QString titre = QStringLiteral("Ajouter un ") + motType();

    QDialog *page = ouvrirDialogue(titre, 400, 440);
    etiquette(page, titre, QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 400, 30));

    EtatEmployes &etat = *etatEmployes;
    const QString style = QStringLiteral("color:blue;font-size:12px");
    legende(page, QStringLiteral("Nom :"), style, 10, 65);
    legende(page, QStringLiteral("Prenom :"), style, 10, 95);
    legende(page, QStringLiteral("Sexe :"), style, 10, 125);
    legende(page, QStringLiteral("Domaine :"), style, 10, 155);
    legende(page, QStringLiteral("Date de naissance :"), style, 10, 185);
    legende(page, QStringLiteral("Date d'embouche ou debut de stage:"), style, 10, 215);
    // Only an intern has a duration; for an employee this label stays empty.
    QLabel *duree = legende(page, QString(), style, 0, 0);
    if (stagiaire) {
        duree->setText(QStringLiteral("Durée (en mois) :"));
        duree->adjustSize();
        duree->move(240, 155);
    }
    legende(page, QStringLiteral("Commentaire :"), style, 10, 320);

    champsDuFormulaire(page, etat);

    etat.employeCommentaireEdit = new QTextEdit(page);

    etat.employeCommentaireEdit->setObjectName(QStringLiteral("employeCommentaireEdit"));
    etat.employeCommentaireEdit->setGeometry(95, 280, 270, 100);
    if (stagiaire) {
        etat.dureeBox = new QSpinBox(page);
        etat.dureeBox->setObjectName(QStringLiteral("dureeBox"));
        etat.dureeBox->setGeometry(340, 150, 50, 25);
        etat.dureeBox->setRange(1, 100);
        etat.dureeBox->setValue(1);
    }

    const QList<Button *> boutons =
        rangee(page, { Couleurs::bleu(), true, 3.0, 13.0 },
               { QStringLiteral("Enregistrer"), QStringLiteral("Fermer") }, QPoint(10, 400),
               QSize(185, 25));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::employeAjoutValide);
    connect(boutons.at(1), &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeAjoutValide()
{
    const EtatEmployes &etat = *etatEmployes;
    employes::Personne personne;
    personne.type = typeCourant();
    personne.nom = etat.nomEdit->text();
    personne.prenom = etat.prenomEdit->text();
    personne.domaine = etat.domaineEdit->text();
    personne.commentaire = etat.employeCommentaireEdit->toPlainText();
    personne.sexe = etat.masculinButton->isChecked() ? QStringLiteral("M") : QStringLiteral("F");
    if (personne.type == employes::stagiaire && etat.dureeBox)
        personne.duree = etat.dureeBox->value();

    const Issue issue = employes::ajouterPersonne(
        db, personne,
        employes::jourChoisi(etat.jourNaissanceBox, etat.moisNaissanceBox, etat.anneeNaissanceBox),
        employes::jourChoisi(etat.jourDebutBox, etat.moisDebutBox, etat.anneeDebutBox));
    if (issue == Issue::Refuse && issue.raison == employes::champsObligatoires) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur de remplissage"), issue.raison);
        return;
    }
    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    if (issueIncertaineSignalee(dialog, issue))
        return;
    if (!issue.ok()) {
        QMessageBox::warning(dialog, QStringLiteral("Ajout échoué"),
                             QStringLiteral("La tentative d'enregistrement des données a "
                                            "échouée\n")
                                 + issue.raison);
        return;
    }
    rafraichirCompleteurEmployes();
    QMessageBox::information(dialog, QStringLiteral("Ajout reussi"),
                             QStringLiteral("Vos données ont été enregistrées avec succes"));
    dialog->accept();
}

void Entreprise::rafraichirCompleteurEmployes()
{
    // The staff search field offers every name, first name and combined name of
    // the current type. Without a connection there is nothing to offer yet:
    // the next command tells why.
    if (!db.isOpen())
        return;
    QStringList noms;
    if (lectureReussie(this, employes::nomsProposes(db, typeCourant(), &noms)))
        employes::proposer(employeRechercheEdit, noms);
}
