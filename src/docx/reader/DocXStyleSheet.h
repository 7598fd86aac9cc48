#pragma once

#include "docx/reader/DocXParagraphFormat.h"
#include "docx/reader/DocXRunFormat.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <pugixml.hpp>

class DocXThemeFonts;

// The styles part of a document: the defaults and each style's properties
// with those of the styles it is based on, a chain that may be long or
// circular in a hostile file (a style is then based on what comes before
// the loop closes).
class DocXStyleSheet
{
public:
    DocXStyleSheet() = default;
    // Reads the <w:styles> root; an empty node gives no styles and no defaults.
    DocXStyleSheet(pugi::xml_node styles, const DocXThemeFonts &theme);

    const DocXRunFormat &defaultRunFormat() const { return m_defaultRun; }
    const DocXParagraphFormat &defaultParagraphFormat() const { return m_defaultParagraph; }

    // The paragraph style a paragraph naming `styleId` has: that style when
    // it exists, else the default paragraph style ("" when there is none).
    QString paragraphStyle(const QString &styleId) const;

    // The properties of a style with those of its bases, without the
    // defaults; empty for an unknown id.
    DocXRunFormat runFormat(const QString &styleId) const;
    DocXParagraphFormat paragraphFormat(const QString &styleId) const;

private:
    struct Style {
        QString basedOn;
        DocXRunFormat run;
        DocXParagraphFormat paragraph;
    };

    template <typename Format>
    Format resolved(const QString &styleId, Format Style::*field, QHash<QString, Format> &cache) const;

    DocXRunFormat m_defaultRun;
    DocXParagraphFormat m_defaultParagraph;
    QHash<QString, Style> m_styles;
    QString m_defaultParagraphStyle;
    mutable QHash<QString, DocXRunFormat> m_runCache;
    mutable QHash<QString, DocXParagraphFormat> m_paragraphCache;
};
