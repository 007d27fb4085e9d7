#include "app/entreprise.h"

void Entreprise::employeAbsc()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::employeAbscValide()
{
}

void Entreprise::employeSAbs()
{
    if (!connexionEmploye())
        return;
}

void Entreprise::employeSAbsValide()
{
}
