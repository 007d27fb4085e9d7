#include "app/entreprise.h"

void Entreprise::vidageProduit()
{
    if (!connexionCommande())
        return;
}

void Entreprise::produitVider()
{
}
