#include "app/entreprise.h"

void Entreprise::commandeInfo()
{
    if (!connexionCommande())
        return;
}
