// One editor must not include another.
#include "spreadsheet/editor/Grid.h"
