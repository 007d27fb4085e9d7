#include "app/entreprise.h"

void Entreprise::afficheDonne()
{
    if (!connexionCompte())
        return;
}

void Entreprise::changementEtat()
{
}
