#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QLabel>
#include <QScrollArea>
#include <QSqlQuery>

namespace {

// The first column of the first row of a statement, or nothing when it failed.
QVariant premiereValeur(QSqlQuery &requete, const QString &instruction)
{
    if (requete.exec(instruction) && requete.next())
        return requete.value(0);
    return QVariant();
}

// A count or a sum read as a number: a sum of no rows, or a failure, counts 0.
int nombre(QSqlQuery &requete, const QString &instruction)
{
    return premiereValeur(requete, instruction).toInt();
}

} // namespace

void Entreprise::employeInfo()
{
    if (!connexionEmploye())
        return;
    QDialog *page =
        nouveauDialogue(QStringLiteral("Informations sur employés et les stagiaires"), 400, 500);
    etiquette(page, QStringLiteral("Informations"),
              QStringLiteral("color:orange;font-size:24px;text-decoration:underline"),
              QRect(0, 10, 400, 30));

    // Both types, whatever the home page shows.
    QSqlQuery requete(db);
    const QString personnes =
        premiereValeur(requete, QStringLiteral("SELECT COUNT(*) FROM employes")).toString();
    const int employesM =
        nombre(requete, QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='M'"));
    const int employesF =
        nombre(requete, QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='F'"));
    const int stagiairesM =
        nombre(requete, QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='M'"));
    const int stagiairesF =
        nombre(requete, QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='F'"));
    const int heuresEmployesM =
        nombre(requete,
               QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=1 AND sexe='M'"));
    const int heuresEmployesF =
        nombre(requete,
               QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=1 AND sexe='F'"));
    const int heuresStagiairesM =
        nombre(requete,
               QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=2 AND sexe='M'"));
    const int heuresStagiairesF =
        nombre(requete,
               QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=2 AND sexe='F'"));
    // A sum of no rows reads 0; a failed statement leaves the figure empty.
    QString heures;
    if (requete.exec(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                                    "employes.id=absence.employe_id"))
        && requete.next())
        heures = requete.isNull(0) ? QStringLiteral("0") : texteNombre(requete.value(0));

    const QString retrait = QStringLiteral("&nbsp;").repeated(4);
    const QString sousRetrait = QStringLiteral("&nbsp;").repeated(7);
    auto n = [](int valeur) { return QString::number(valeur); };
    QString contenu;
    contenu += QStringLiteral("Nombre de personnel enregistré = <strong>") + personnes
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre d'employés = <strong>")
        + n(employesM + employesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(employesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(employesF)
        + QStringLiteral("</strong><br/><br/>");
    contenu += retrait + QStringLiteral("Le nombre de stagiaires = <strong>")
        + n(stagiairesM + stagiairesF) + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(stagiairesM)
        + QStringLiteral("</strong><br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(stagiairesF)
        + QStringLiteral("</strong><br/><br/><br/>");
    contenu += QStringLiteral("Somme totale d'heure absence enregistrée = <strong>") + heures
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des employés = <strong>")
        + n(heuresEmployesM + heuresEmployesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(heuresEmployesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(heuresEmployesF)
        + QStringLiteral("</strong> heures<br/><br/>");
    contenu += retrait + QStringLiteral("Somme totale d'heure d'absence des stagiaires = <strong>")
        + n(heuresStagiairesM + heuresStagiairesF) + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe masculin = <strong>") + n(heuresStagiairesM)
        + QStringLiteral("</strong> heures<br/>");
    contenu += sousRetrait + QStringLiteral("Sexe feminin = <strong>") + n(heuresStagiairesF)
        + QStringLiteral("</strong> heures");

    auto *resultat = new QLabel(page);
    resultat->setTextFormat(Qt::RichText);
    resultat->setText(contenu);
    resultat->setStyleSheet(QStringLiteral("color:green;font-size:13px;"));
    auto *defilement = new QScrollArea(page);
    defilement->setGeometry(10, 50, 370, 400);
    defilement->setWidget(resultat);

    auto *fermer =
        new Button(Couleurs::bleu(), true, 15.0, 10.0, QStringLiteral("Fermer"), 370, 25, page);
    fermer->move(10, 470);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}
