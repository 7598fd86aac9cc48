#include "spreadsheet/engine/xlsx/XmlPieces.h"

#include "platform/XmlRead.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace {

bool isNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

class Scanner
{
public:
    explicit Scanner(QByteArrayView part) : m_data(part.data()), m_size(part.size()) {}

    std::optional<XmlPieces> scan(XmlPieces::Container where, const char *container, const char *item,
                                  qsizetype pieceSize)
    {
        XmlPieces pieces;
        const int depth = where == XmlPieces::Container::Root ? 0 : 1;
        if (!skipProlog() || !findContentBegin(container, depth, &pieces.contentBegin))
            return std::nullopt;
        const QByteArray containerEnd = QByteArray("</") + container;
        const QByteArray itemEnd = QByteArray("</") + item + '>';
        const qsizetype end = find(containerEnd, pieces.contentBegin);
        if (end < 0 || !isEndTag(end + containerEnd.size()))
            return std::nullopt;
        pieces.contentEnd = end;
        for (qsizetype from = pieces.contentBegin + pieceSize; from < end;) {
            const qsizetype found = find(itemEnd, from);
            const qsizetype cut = found + itemEnd.size();
            if (found < 0 || cut >= end)
                break;
            pieces.cuts.push_back(cut);
            from = cut + pieceSize;
        }
        return pieces;
    }

private:
    bool startsWith(qsizetype at, const char *text) const
    {
        const size_t length = strlen(text);
        return at + qsizetype(length) <= m_size && memcmp(m_data + at, text, length) == 0;
    }

    bool namedAt(qsizetype at, const char *name) const
    {
        const qsizetype end = at + qsizetype(strlen(name));
        return startsWith(at, name) && end < m_size && isNameEnd(m_data[end]);
    }

    // A BOM and an XML declaration naming UTF-8 (or none) may come first.
    bool skipProlog()
    {
        if (startsWith(0, "\xEF\xBB\xBF"))
            m_pos = 3;
        if (!startsWith(m_pos, "<?xml") || m_pos + 5 >= m_size || !isNameEnd(m_data[m_pos + 5]))
            return true;
        const char *end = static_cast<const char *>(memmem(m_data + m_pos, size_t(m_size - m_pos), "?>", 2));
        if (!end)
            return false;
        const QByteArrayView declaration(m_data + m_pos, end - (m_data + m_pos));
        m_pos = end + 2 - m_data;
        const qsizetype encoding = declaration.indexOf("encoding");
        if (encoding < 0)
            return true;
        QByteArrayView value = declaration.sliced(encoding + 8).trimmed();
        if (!value.startsWith('='))
            return false;
        value = value.sliced(1).trimmed();
        if (value.size() < 2 || (value[0] != '"' && value[0] != '\''))
            return false;
        const qsizetype quote = value.indexOf(value[0], 1);
        if (quote < 0)
            return false;
        const QByteArrayView name = value.sliced(1, quote - 1);
        return name.compare("UTF-8", Qt::CaseInsensitive) == 0 || name.compare("UTF8", Qt::CaseInsensitive) == 0;
    }

    const char *nextTagOpen() const
    {
        if (m_pos >= m_size)
            return nullptr;
        return static_cast<const char *>(memchr(m_data + m_pos, '<', size_t(m_size - m_pos)));
    }

    // The position of the '>' that ends the tag opened at `start`; a start
    // tag's quoted attribute values may hold '>'. -1 when there is none.
    qsizetype tagEnd(qsizetype start, bool quoted) const
    {
        char quote = 0;
        for (qsizetype i = start + 1; i < m_size; ++i) {
            const char c = m_data[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '>') {
                return i;
            } else if (c == '<') {
                return -1;
            } else if (quoted && (c == '"' || c == '\'')) {
                quote = c;
            }
        }
        return -1;
    }

    // Follows the tags to the first element named `name` at `depth` (0 for
    // the root, 1 for its children).
    bool findContentBegin(const char *name, int depth, qsizetype *contentBegin)
    {
        int open = 0; // elements open around m_pos
        while (const char *tag = nextTagOpen()) {
            const qsizetype start = tag - m_data;
            if (start + 1 >= m_size)
                return false;
            const char kind = m_data[start + 1];
            if (kind == '!' || kind == '?')
                return false;
            const qsizetype close = tagEnd(start, kind != '/');
            if (close < 0)
                return false;
            m_pos = close + 1;
            if (kind == '/') {
                if (--open <= 0)
                    return false;
                continue;
            }
            const bool selfClosing = m_data[close - 1] == '/';
            if (open == depth && namedAt(start + 1, name)) {
                *contentBegin = m_pos;
                return !selfClosing;
            }
            if (depth == 0)
                return false; // the root has another name
            if (!selfClosing)
                ++open;
        }
        return false;
    }

    qsizetype find(QByteArrayView text, qsizetype from) const
    {
        const void *at = memmem(m_data + from, size_t(m_size - from), text.data(), size_t(text.size()));
        return at ? static_cast<const char *>(at) - m_data : -1;
    }

    // Only white space between a closing tag's name, ending at `nameEnd`, and its '>'.
    bool isEndTag(qsizetype nameEnd) const
    {
        qsizetype i = nameEnd;
        while (i < m_size && (m_data[i] == ' ' || m_data[i] == '\t' || m_data[i] == '\r' || m_data[i] == '\n'))
            ++i;
        return i < m_size && m_data[i] == '>';
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<XmlPieces> XmlPieces::find(QByteArrayView part, Container where, const char *container,
                                         const char *item, qsizetype pieceSize)
{
    return Scanner(part).scan(where, container, item, pieceSize);
}

qint64 XmlPieces::parseBytes(QByteArrayView part) const
{
    const qint64 around = contentBegin + (part.size() - contentEnd);
    qint64 largest = 0;
    qsizetype begin = contentBegin;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const qsizetype end = i < cuts.size() ? cuts[i] : contentEnd;
        largest = std::max(largest, XmlRead::treeBytes(part.data() + begin, size_t(end - begin)));
        begin = end;
    }
    return around + XmlRead::treeBytes(part.data(), size_t(contentBegin))
           + XmlRead::treeBytes(part.data() + contentEnd, size_t(part.size() - contentEnd)) + largest;
}

bool XmlPieces::parse(QByteArray &part, pugi::xml_document &outline,
                      const std::function<void(pugi::xml_node piece)> &eachPiece) const
{
    {
        // A copy the parser copies again: dropped once the outline is read.
        QByteArray around = part.left(contentBegin);
        around.append(QByteArrayView(part).sliced(contentEnd));
        if (!XmlRead::loadBytes(outline, around, nullptr))
            return false;
    }
    qsizetype begin = contentBegin;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const qsizetype end = i < cuts.size() ? cuts[i] : contentEnd;
        pugi::xml_document piece;
        if (end > begin && !XmlRead::loadFragmentInPlace(piece, part.data() + begin, size_t(end - begin)))
            return false;
        eachPiece(piece);
        begin = end;
    }
    return true;
}
