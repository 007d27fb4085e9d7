#include "app/entreprise.h"

void Entreprise::supprimeSujet()
{
    if (!connexionCompte())
        return;
}

void Entreprise::supprimeValeur()
{
}

void Entreprise::viderTable()
{
    if (!connexionCompte())
        return;
}
