#include "app/entreprise.h"
#include "app/ui.h"

#include <QSqlQuery>

void Entreprise::employeAjout()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::employeAjoutValide()
{
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
