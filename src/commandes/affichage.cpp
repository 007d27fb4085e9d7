#include "app/entreprise.h"

void Entreprise::commandAfficheClick()
{
    if (!connexionCommande())
        return;
}

void Entreprise::modifierCommand()
{
}

void Entreprise::annulerCommand()
{
}
