#pragma once

#include <QString>

#include <optional>
#include <vector>

class QTextDocument;

// Qt's import keeps a block's margins in whole pixels and drops those (and
// text indents) in points, inches and the like. Made on a page, this notes
// the exact margins and indent each block's style attribute gives (side
// margins added to those of the elements around it, as Qt adds them),
// marks the blocks that would lose some through their user state, and
// after the import puts them back where Qt's lengths are the ones foreseen.
class HtmlExactMargins
{
public:
    explicit HtmlExactMargins(const QString &html);

    // The page to import: blocks that lose a margin marked, the rest unchanged.
    const QString &markedHtml() const { return m_markedHtml; }

    // Puts the noted margins back on the marked blocks of `document`
    // (imported from markedHtml()) and clears their user state.
    void restore(QTextDocument &document) const;

    // A margin as Qt's import keeps it, and as the page gives it (pixels).
    struct Margin
    {
        double kept = 0;
        double exact = 0;
    };

private:
    struct Noted
    {
        std::optional<Margin> indent;
        std::optional<Margin> top;
        std::optional<Margin> bottom;
        std::optional<Margin> left; // the block's and those of the elements around it
        std::optional<Margin> right;
    };
    class Marker;

    QString m_markedHtml;
    std::vector<Noted> m_noted;
};
