// A file beside the engine's wings belongs to no layer.
#include <QtWidgets/QWidget>
