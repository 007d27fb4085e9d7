#include "app/entreprise.h"

void Entreprise::employeInfo()
{
    if (!connexionEmploye())
        return;
}
