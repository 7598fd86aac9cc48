// Sources of every C++ extension are read, and every form of include.
#include <QPushButton>
#include_next <QtGui/QPainter>
