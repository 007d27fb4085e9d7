#include "app/entreprise.h"

void Entreprise::commandAjout()
{
    if (!connexionCommande())
        return;
}

void Entreprise::validerCommand()
{
}
