#include "app/entreprise.h"

void Entreprise::employeAff()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::employeModValide()
{
}
