#include "app/entreprise.h"

void Entreprise::employeSupp()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::employeSuppValide()
{
}

void Entreprise::employeVide()
{
    if (!connexionEmploye())
        return;
}
