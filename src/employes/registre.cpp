#include "employes/registre.h"
