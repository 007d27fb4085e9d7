#include "app/entreprise.h"

void Entreprise::employeCher()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::triggerType()
{
    rafraichirCompleteurEmployes();
}
