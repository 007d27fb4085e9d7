#include "app/entreprise.h"

void Entreprise::ajoutSujet()
{
    if (!connexionCompte())
        return;
}

void Entreprise::ajoutValeur()
{
}
