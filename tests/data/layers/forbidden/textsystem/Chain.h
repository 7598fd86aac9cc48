// Two units that include each other.
#include "textsystem/Ring.h"
