// A folder no layer names belongs to none, rather than to the main program.
#include <QtWidgets/QWidget>
#include "app/MainWindow.h"
