#include "app/entreprise.h"
#include "app/ui.h"
#include "employes/listes.h"
#include "widgets/button.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTextEdit>

void Entreprise::employeAjout()
{
    if (!connexionEmploye())
        return;
    const bool stagiaire = typeCombo->currentIndex() == 1;
    const QString titre = QStringLiteral("Ajouter un ") + motType();

    QDialog *page = nouveauDialogue(titre, 400, 440);
    etiquette(page, titre, QStringLiteral("color:orange;text-decoration:underline;font-size:25px;"),
              QRect(0, 10, 400, 30));

    const QStringList jours = employes::jours();
    const QStringList mois = employes::mois();
    const QStringList annees = employes::annees(1950);

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

    nomEdit = new QLineEdit(page);
    nomEdit->setGeometry(70, 60, 150, 25);
    prenomEdit = new QLineEdit(page);
    prenomEdit->setGeometry(70, 90, 150, 25);
    domaineEdit = new QLineEdit(page);
    domaineEdit->setGeometry(70, 150, 150, 25);
    masculinButton = new QRadioButton(QStringLiteral("Masculin"), page);
    masculinButton->setGeometry(60, 120, 100, 25);
    masculinButton->setChecked(true);
    auto *femininButton = new QRadioButton(QStringLiteral("Feminin"), page);
    femininButton->setGeometry(170, 120, 100, 25);
    auto *sexes = new QButtonGroup(page);
    sexes->addButton(masculinButton);
    sexes->addButton(femininButton);

    jourNaissanceBox = employes::liste(page, jours, QRect(120, 180, 50, 25));
    moisNaissanceBox = employes::liste(page, mois, QRect(180, 180, 120, 25));
    anneeNaissanceBox = employes::liste(page, annees, QRect(310, 180, 80, 25));
    jourDebutBox = employes::liste(page, jours, QRect(10, 235, 50, 25));
    moisDebutBox = employes::liste(page, mois, QRect(70, 235, 120, 25));
    anneeDebutBox = employes::liste(page, annees, QRect(200, 235, 80, 25));
    anneeDebutBox->setCurrentIndex(anneeDebutBox->count() - 1);

    employeCommentaireEdit = new QTextEdit(page);
    employeCommentaireEdit->setGeometry(95, 280, 270, 100);
    dureeBox = nullptr;
    if (stagiaire) {
        dureeBox = new QSpinBox(page);
        dureeBox->setGeometry(340, 150, 50, 25);
        dureeBox->setRange(1, 100);
        dureeBox->setValue(1);
    }

    auto *enregistrer =
        new Button(Couleurs::bleu(), true, 3.0, 13.0, QStringLiteral("Enregistrer"), 185, 25, page);
    enregistrer->move(10, 400);
    auto *fermer =
        new Button(Couleurs::bleu(), true, 3.0, 13.0, QStringLiteral("Fermer"), 185, 25, page);
    fermer->move(205, 400);
    connect(enregistrer, &Button::clicked, this, &Entreprise::employeAjoutValide);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::employeAjoutValide()
{
    const QString nom = nomEdit->text();
    const QString prenom = prenomEdit->text();
    const QString domaine = domaineEdit->text();
    const QString commentaire = saisie(employeCommentaireEdit->toPlainText());
    const QString sexe = masculinButton->isChecked() ? QStringLiteral("M") : QStringLiteral("F");

    if (nom.isEmpty() || prenom.isEmpty() || domaine.isEmpty()) {
        QMessageBox::critical(dialog, QStringLiteral("Erreur de remplissage"),
                              QStringLiteral("Vous devez remplir tous les champs obligatoires"));
        return;
    }

    const QDate naissance =
        employes::dateChoisie(jourNaissanceBox, moisNaissanceBox, anneeNaissanceBox);
    const QDate debut = employes::dateChoisie(jourDebutBox, moisDebutBox, anneeDebutBox);
    const bool stagiaire = typeCombo->currentIndex() == 1;

    QString texte = QStringLiteral(
        "INSERT INTO employes SET type=:type, nom=:nom, prenom=:prenom, nom_prenom=:nom_prenom, "
        "sexe=:sexe, date_naissance=:date_naissance, date_embouche=:date_embouche, ");
    texte += QStringLiteral("domaine=:domaine,");
    if (stagiaire)
        texte += QStringLiteral(" duree=:duree, date_fin=:date_fin, ");
    texte += QStringLiteral("commentaire=:commentaire");

    QSqlQuery requete(db);
    requete.prepare(texte);
    requete.bindValue(QStringLiteral(":type"), stagiaire ? 2 : 1);
    requete.bindValue(QStringLiteral(":nom"), nom);
    requete.bindValue(QStringLiteral(":prenom"), prenom);
    requete.bindValue(QStringLiteral(":domaine"), domaine);
    requete.bindValue(QStringLiteral(":nom_prenom"), nom + QLatin1Char(' ') + prenom);
    requete.bindValue(QStringLiteral(":sexe"), sexe);
    requete.bindValue(QStringLiteral(":date_naissance"), naissance);
    requete.bindValue(QStringLiteral(":date_embouche"), debut);
    requete.bindValue(QStringLiteral(":commentaire"), commentaire);
    if (stagiaire) {
        // Calendar months: the day is lowered to the last day of a shorter
        // month (31 January + 1 month gives 28 February).
        requete.bindValue(QStringLiteral(":date_fin"), debut.addMonths(dureeBox->value()));
        requete.bindValue(QStringLiteral(":duree"), dureeBox->value());
    }
    if (!requete.exec()) {
        QMessageBox::warning(dialog, QStringLiteral("Ajout échoué"),
                             QStringLiteral("La tentative d'enregistrement des données a échouée"));
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
    // the current type.
    QSqlQuery noms(db);
    noms.exec(QStringLiteral("SELECT nom, prenom, nom_prenom FROM employes WHERE type=")
              + QString::number(typeCourant()));
    remplacerCompleteur(employeRechercheEdit, noms, 3);
}
