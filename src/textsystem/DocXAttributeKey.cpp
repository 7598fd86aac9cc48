#include "textsystem/DocXAttributeKey.h"

#include <array>

namespace {

constexpr std::array allKeys = {
    DocXAttributeKey::Break,          DocXAttributeKey::ParagraphStyleId,   DocXAttributeKey::CharacterStyleId,
    DocXAttributeKey::FootnoteReferenceId, DocXAttributeKey::EndnoteReferenceId, DocXAttributeKey::FootnoteBodyId,
    DocXAttributeKey::EndnoteBodyId,
};

const std::array<QString, allKeys.size()> &keyNames()
{
    static const std::array<QString, allKeys.size()> names = [] {
        const QString prefix = QStringLiteral("com.quenfold.docx.attributedstringkey.");
        return std::array<QString, allKeys.size()>{
            prefix + QStringLiteral("break"),
            prefix + QStringLiteral("paragraphStyleId"),
            prefix + QStringLiteral("characterStyleId"),
            prefix + QStringLiteral("footnoteReferenceId"),
            prefix + QStringLiteral("endnoteReferenceId"),
            prefix + QStringLiteral("footnoteBodyId"),
            prefix + QStringLiteral("endnoteBodyId"),
        };
    }();
    return names;
}

} // namespace

const QString &docXAttributeKeyName(DocXAttributeKey key)
{
    return keyNames()[static_cast<std::size_t>(key)];
}

std::optional<DocXAttributeKey> docXAttributeKeyFromName(QStringView name)
{
    for (const DocXAttributeKey key : allKeys) {
        if (name == docXAttributeKeyName(key))
            return key;
    }
    return std::nullopt;
}
