// Two units that include each other.
#include "textsystem/Chain.h"
