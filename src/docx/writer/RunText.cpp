#include "RunText.h"

namespace RunText {

namespace {

enum class CharacterKind { Text, Tab, LineBreak, PageBreak, Dropped };

CharacterKind kindOf(char16_t c)
{
    switch (c) {
    case u'\t': return CharacterKind::Tab;
    case 0x0B: case 0x0A: case 0x0D: case 0x85: case 0x2028: case 0x2029: return CharacterKind::LineBreak;
    case 0x0C: return CharacterKind::PageBreak;
    case 0xFFFC: return CharacterKind::Dropped;
    default: break;
    }
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return CharacterKind::Dropped;
    return CharacterKind::Text;
}

void flush(XmlElement &run, QString &pending)
{
    if (pending.isEmpty())
        return;
    run.addChild(QStringLiteral("w:t"), pending, {{QStringLiteral("xml:space"), QStringLiteral("preserve")}});
    pending.clear();
}

} // namespace

void append(XmlElement &run, const QString &text)
{
    QString pending;
    for (const QChar ch : text) {
        switch (kindOf(ch.unicode())) {
        case CharacterKind::Text:
            pending += ch;
            break;
        case CharacterKind::Tab:
            flush(run, pending);
            run.addChild(QStringLiteral("w:tab"));
            break;
        case CharacterKind::LineBreak:
            flush(run, pending);
            run.addChild(QStringLiteral("w:br"));
            break;
        case CharacterKind::PageBreak:
            flush(run, pending);
            run.addChild(QStringLiteral("w:br"), std::nullopt, {{QStringLiteral("w:type"), QStringLiteral("page")}});
            break;
        case CharacterKind::Dropped:
            break;
        }
    }
    flush(run, pending);
}

bool isBlank(const QString &text)
{
    for (const QChar ch : text)
        if (kindOf(ch.unicode()) != CharacterKind::Dropped)
            return false;
    return true;
}

} // namespace RunText
