#include "commandes/registre.h"
