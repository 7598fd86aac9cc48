// A quoted Qt header, found outside the source tree, is still a Qt header.
#include "QtWidgets/QPushButton"
