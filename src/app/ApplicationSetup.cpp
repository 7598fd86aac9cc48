#include "ApplicationSetup.h"

#include "AppIcons.h"
#include "platform/ScratchRoot.h"

#include <QApplication>
#include <QFont>

void setUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("MorvaneOffice"));
    QApplication::setApplicationDisplayName(QStringLiteral("MorvaneOffice"));
    QApplication::setApplicationVersion(QStringLiteral("1.3"));

    // Han characters need the Japanese glyph forms, which a generic
    // fallback font may not pick; Latin text reads well in it too.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    QApplication::setFont(font);

    QIcon icon;
    for (int size : {16, 32, 64, 128, 256})
        icon.addPixmap(AppIcons::pixmap(AppIcons::Symbol::SquareGrid2x2Fill,
                                        AppIcons::accentBlue(), size, 1.0));
    app.setWindowIcon(icon);

    // Scratch folders that killed instances left behind go now.
    ScratchRoot::removeStaleFolders();
}
