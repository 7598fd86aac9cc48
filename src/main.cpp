#include "app/ApplicationSetup.h"
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    MainWindow window;
    window.showWithinScreen();
    return app.exec();
}
