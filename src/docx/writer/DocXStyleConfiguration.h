#pragma once

#include "platform/XmlElement.h"

#include <QString>
#include <QStringList>
#include <optional>

// A caller's own styles part for the package, and whether text runs name
// their font family or take it from those styles.
class DocXStyleConfiguration
{
public:
    enum class FontFamily { Written, FromStyles };

    DocXStyleConfiguration() = default;
    // `styles` is the root element of a styles part (w:styles); nothing for none.
    explicit DocXStyleConfiguration(std::optional<XmlElement> styles, FontFamily fontFamily = FontFamily::Written);

    // Reads the styles part from the file at `path` (an empty path: no
    // document). Nothing, with *error set, when the file cannot be read or
    // is not well-formed XML.
    static std::optional<DocXStyleConfiguration> fromFile(const QString &path, FontFamily fontFamily,
                                                          QString *error);
    // The same from text; an empty (null) text gives no document.
    static std::optional<DocXStyleConfiguration> fromText(const QString &xml, FontFamily fontFamily,
                                                          QString *error);

    const std::optional<XmlElement> &stylesDocument() const { return m_styles; }
    bool outputFontFamily() const { return m_fontFamily == FontFamily::Written; }

    // The w:styleId of each w:style of that w:type under the root, in document
    // order (repeats kept); nothing when no document is held.
    std::optional<QStringList> paragraphStyleIds() const { return styleIds(QStringLiteral("paragraph")); }
    std::optional<QStringList> characterStyleIds() const { return styleIds(QStringLiteral("character")); }

private:
    std::optional<QStringList> styleIds(const QString &type) const;

    std::optional<XmlElement> m_styles;
    FontFamily m_fontFamily = FontFamily::Written;
};
