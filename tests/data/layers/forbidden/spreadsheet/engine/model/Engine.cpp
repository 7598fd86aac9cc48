// An engine must not use Widgets.
#include <QWidget>
#include <QString>
