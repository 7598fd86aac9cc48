#pragma once

#include <QHash>
#include <QString>
#include <pugixml.hpp>

// The major and minor fonts of a document's theme, by the names runs use
// for them ("minorHAnsi", "majorEastAsia", ...).
class DocXThemeFonts
{
public:
    DocXThemeFonts() = default;
    // Reads the <a:theme> root of a theme part; an empty node gives no fonts.
    explicit DocXThemeFonts(pugi::xml_node theme);

    // The typeface for a w:asciiTheme / w:eastAsiaTheme value; "" when unknown.
    QString font(const QString &themeName) const;

private:
    QHash<QString, QString> m_fonts;
};
