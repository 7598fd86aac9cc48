// Headers of every C++ extension are read.
#include <QtWidgets/QLabel>
