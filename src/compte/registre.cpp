#include "compte/registre.h"
