#include "ApplicationSetup.h"

#include "platform/ScratchRoot.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/SymbolIcon.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

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

    // The stock dialogs (colour, folder) speak the interface's language,
    // whatever the system's locale is.
    auto *qtTranslation = new QTranslator(&app);
    if (qtTranslation->load(QStringLiteral("qtbase_ja"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTranslation);
    else
        delete qtTranslation;

    QIcon icon;
    for (int size : {16, 32, 64, 128, 256})
        icon.addPixmap(SymbolIcon::pixmap(QStringLiteral("square.grid.2x2.fill"),
                                          AccentColors::blue(), size, 1.0));
    app.setWindowIcon(icon);

    // Scratch folders that killed instances left behind go now.
    ScratchRoot::removeStaleFolders();
}
