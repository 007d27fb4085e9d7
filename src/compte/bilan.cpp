#include "app/entreprise.h"

void Entreprise::bilan()
{
    if (!connexionCompte())
        return;
}
