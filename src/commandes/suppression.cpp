#include "app/entreprise.h"

void Entreprise::commandSupprimeDialog()
{
    if (!connexionCommande())
        return;
}

void Entreprise::produitBoxChange()
{
}

void Entreprise::supprimeProCl()
{
}
