#include "textsystem/rtf/RtfWriter.h"

#include "textsystem/TextListMarker.h"

#include <QBuffer>
#include <QHash>
#include <QImage>

#include <cmath>

namespace {

constexpr const char *defaultFontName = "Helvetica";

bool isUsable(const std::optional<QColor> &color)
{
    return color && color->isValid() && color->alpha() > 0;
}

bool isFinite(double value) { return std::isfinite(value); }

int twips(double points) { return isFinite(points) ? int(qBound(-1.0e8, points * 20.0, 1.0e8)) : 0; }

QByteArray number(qint64 value) { return QByteArray::number(value); }

QString toRoman(qint64 value, bool upper)
{
    if (value <= 0 || value >= 4000)
        return QString::number(value);
    static const std::pair<int, const char *> numerals[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                            {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                            {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                            {1, "i"}};
    QString text;
    for (const auto &[amount, letters] : numerals) {
        while (value >= amount) {
            text += QLatin1String(letters);
            value -= amount;
        }
    }
    return upper ? text.toUpper() : text;
}

QString toLetters(qint64 value, bool upper)
{
    if (value <= 0)
        return QString::number(value);
    QString text;
    for (; value > 0; value = (value - 1) / 26)
        text.prepend(QChar(char16_t((upper ? u'A' : u'a') + (value - 1) % 26)));
    return text;
}

// The marker a reader without list support shows, e.g. "3." or "•".
QString markerText(const TextList &list, qint64 item)
{
    const TextListMarker parts = TextListMarker::of(list.markerFormat);
    QString number;
    switch (parts.wordNumberFormat()) {
    case 0: number = QString::number(item); break;
    case 1: number = toRoman(item, true); break;
    case 2: number = toRoman(item, false); break;
    case 3: number = toLetters(item, true); break;
    case 4: number = toLetters(item, false); break;
    case TextListMarker::wordNone: return QString();
    default: return QString(parts.bulletCharacter());
    }
    return parts.prefix + number + parts.suffix;
}

class RtfDocumentWriter
{
public:
    RtfDocumentWriter(const StyledText &text, const RtfWriter::AttachmentNamer &namer)
        : m_text(text), m_namer(namer)
    {
    }

    QByteArray write();

private:
    void collectTables();
    int fontIndex(const TextAttributes &attributes) const;
    int colorIndex(const std::optional<QColor> &color) const;
    QByteArray header() const;
    QByteArray listTables() const;
    void writeParagraph(const TextParagraph &paragraph);
    void writeParagraphProperties(const ParagraphStyle &style);
    void writeListMarker(const ParagraphStyle &style);
    void writeRun(const TextAttributes &attributes, TextRange range);
    QByteArray characterProperties(const TextAttributes &attributes) const;
    void writeText(QStringView text);
    void writeAttachment(const TextAttachment &attachment);

    const StyledText &m_text;
    const RtfWriter::AttachmentNamer &m_namer;
    QByteArray m_out;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndices;
    QList<QColor> m_colors;
    QHash<QRgb, int> m_colorIndices;
    QList<QList<TextList>> m_lists;
    // Item counters of the list being written, per level.
    int m_currentList = -1;
    QList<qint64> m_itemCounters;
};

QByteArray RtfDocumentWriter::write()
{
    collectTables();
    m_out = header();
    m_out += "\\uc1\\pard\\plain\n";
    for (const TextParagraph &paragraph : m_text.paragraphs())
        writeParagraph(paragraph);
    m_out += "}\n";
    return m_out;
}

void RtfDocumentWriter::collectTables()
{
    m_fonts.append(QLatin1String(defaultFontName));
    m_fontIndices.insert(m_fonts.first(), 0);
    auto addColor = [this](const std::optional<QColor> &color) {
        if (!isUsable(color))
            return;
        const QRgb rgb = color->rgb();
        if (!m_colorIndices.contains(rgb)) {
            m_colors.append(QColor(rgb));
            m_colorIndices.insert(rgb, int(m_colors.size()));
        }
    };
    m_text.forEachRun(TextRange::everything(), [&](const TextAttributes &a, TextRange) {
        if (a.font) {
            const QString name = a.font->family.isEmpty() ? a.font->faceName : a.font->family;
            if (!name.isEmpty() && !m_fontIndices.contains(name)) {
                m_fontIndices.insert(name, int(m_fonts.size()));
                m_fonts.append(name);
            }
        }
        addColor(a.foreground);
        addColor(a.background);
        addColor(a.underlineColor);
        addColor(a.strokeColor);
        if (a.shadow)
            addColor(a.shadow->color);
        if (a.paragraphStyle && !a.paragraphStyle->textLists.isEmpty()
            && !m_lists.contains(a.paragraphStyle->textLists))
            m_lists.append(a.paragraphStyle->textLists);
    });
}

int RtfDocumentWriter::fontIndex(const TextAttributes &attributes) const
{
    if (!attributes.font)
        return 0;
    const QString name = attributes.font->family.isEmpty() ? attributes.font->faceName : attributes.font->family;
    return m_fontIndices.value(name, 0);
}

int RtfDocumentWriter::colorIndex(const std::optional<QColor> &color) const
{
    return isUsable(color) ? m_colorIndices.value(color->rgb(), 0) : 0;
}

QByteArray RtfDocumentWriter::header() const
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < m_fonts.size(); ++i) {
        const QString &name = m_fonts.at(i);
        bool ascii = true;
        for (QChar c : name)
            ascii = ascii && c.unicode() < 0x80;
        out += "{\\f" + number(i) + "\\fnil\\fcharset" + (ascii ? "0 " : "128 ");
        for (QChar c : name) {
            if (c.unicode() >= 0x80)
                out += "\\u" + number(qint16(c.unicode())) + "?";
            else if (c != QLatin1Char(';') && c != QLatin1Char('{') && c != QLatin1Char('}') && c != QLatin1Char('\\'))
                out += char(c.unicode());
        }
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (const QColor &color : m_colors)
        out += "\\red" + number(color.red()) + "\\green" + number(color.green()) + "\\blue" + number(color.blue()) + ";";
    out += "}\n";
    out += listTables();
    return out;
}

QByteArray RtfDocumentWriter::listTables() const
{
    if (m_lists.isEmpty())
        return QByteArray();
    QByteArray out = "{\\*\\listtable";
    for (int i = 0; i < m_lists.size(); ++i) {
        out += "{\\list\\listtemplateid" + number(i + 1) + "\\listhybrid";
        const QList<TextList> &levels = m_lists.at(i);
        for (int level = 0; level < levels.size(); ++level) {
            const TextListMarker parts = TextListMarker::of(levels.at(level).markerFormat);
            const int nfc = parts.wordNumberFormat();
            out += "{\\listlevel\\levelnfc" + number(nfc) + "\\levelnfcn" + number(nfc)
                + "\\leveljc0\\levelfollow0\\levelstartat" + number(levels.at(level).startingItemNumber);
            if (nfc == TextListMarker::wordBullet) {
                out += "{\\leveltext\\'01\\u" + number(parts.bulletCharacter().unicode()) + "?;}{\\levelnumbers;}";
            } else if (nfc == TextListMarker::wordNone) {
                out += "{\\leveltext\\'00;}{\\levelnumbers;}";
            } else {
                const QString literal = parts.prefix + QChar(char16_t(level)) + parts.suffix;
                out += "{\\leveltext\\'" + QByteArray::number(literal.size(), 16).rightJustified(2, '0');
                for (QChar c : literal) {
                    if (c.unicode() < 9)
                        out += "\\'" + QByteArray::number(c.unicode(), 16).rightJustified(2, '0');
                    else if (c.unicode() < 0x80 && c != QLatin1Char(';') && c != QLatin1Char('\\')
                             && c != QLatin1Char('{') && c != QLatin1Char('}'))
                        out += char(c.unicode());
                    else
                        out += "\\u" + number(qint16(c.unicode())) + "?";
                }
                out += ";}{\\levelnumbers\\'" + QByteArray::number(parts.prefix.size() + 1, 16).rightJustified(2, '0')
                    + ";}";
            }
            out += "\\fi-360\\li" + number(720 + 360 * level) + "}";
        }
        out += "\\listid" + number(i + 1) + "}";
    }
    out += "}\n{\\*\\listoverridetable";
    for (int i = 0; i < m_lists.size(); ++i)
        out += "{\\listoverride\\listid" + number(i + 1) + "\\listoverridecount0\\ls" + number(i + 1) + "}";
    out += "}\n";
    return out;
}

void RtfDocumentWriter::writeParagraph(const TextParagraph &paragraph)
{
    const TextAttributes first = m_text.attributesAt(paragraph.enclosing.location);
    m_out += "\\pard";
    if (first.paragraphStyle)
        writeParagraphProperties(*first.paragraphStyle);
    m_out += ' ';
    if (first.paragraphStyle)
        writeListMarker(*first.paragraphStyle);
    else
        m_currentList = -1;
    m_text.forEachValue(paragraph.content, &TextAttributes::link, [&](const std::optional<QUrl> &link, TextRange range) {
        const bool linked = link && link->isValid() && !link->isEmpty();
        if (linked) {
            QByteArray target = link->toString(QUrl::FullyEncoded).toLatin1();
            target.replace('\\', "\\\\").replace('"', "%22").replace('{', "%7B").replace('}', "%7D");
            m_out += "{\\field{\\*\\fldinst{HYPERLINK \"" + target + "\"}}{\\fldrslt ";
        }
        m_text.forEachRun(range, [&](const TextAttributes &attributes, TextRange run) { writeRun(attributes, run); });
        if (linked)
            m_out += "}}";
    });
    if (paragraph.enclosing.length == paragraph.content.length)
        return; // the last paragraph has no terminator
    const TextAttributes terminator = m_text.attributesAt(paragraph.content.end());
    m_out += "{" + characterProperties(terminator);
    if (terminator.breakType == BreakType::Page)
        m_out += "\\page}\n";
    else if (terminator.breakType == BreakType::Column)
        m_out += "\\column}\n";
    else
        m_out += "\\par}\n";
}

void RtfDocumentWriter::writeParagraphProperties(const ParagraphStyle &style)
{
    switch (style.alignment) {
    case TextAlignment::Left: m_out += "\\ql"; break;
    case TextAlignment::Right: m_out += "\\qr"; break;
    case TextAlignment::Center: m_out += "\\qc"; break;
    case TextAlignment::Justified: m_out += "\\qj"; break;
    case TextAlignment::Natural: break;
    }
    const int head = twips(style.headIndent);
    const int first = twips(style.firstLineHeadIndent);
    if (head != 0)
        m_out += "\\li" + number(head);
    if (first != head)
        m_out += "\\fi" + number(first - head);
    if (style.tailIndent < 0 && twips(-style.tailIndent) > 0)
        m_out += "\\ri" + number(twips(-style.tailIndent));
    if (style.spacingBefore > 0)
        m_out += "\\sb" + number(twips(style.spacingBefore));
    if (style.spacingAfter > 0)
        m_out += "\\sa" + number(twips(style.spacingAfter));
    if (style.lineSpacing > 0 && isFinite(style.lineSpacing))
        m_out += "\\sl-" + number(twips(style.lineSpacing)) + "\\slmult0";
    else if (style.lineHeightMultiple > 0 && isFinite(style.lineHeightMultiple))
        m_out += "\\sl" + number(qint64(qMin(style.lineHeightMultiple, 1000.0) * 240)) + "\\slmult1";
    if (const int list = int(m_lists.indexOf(style.textLists)); list >= 0)
        m_out += "\\ls" + number(list + 1) + "\\ilvl" + number(style.textLists.size() - 1);
}

void RtfDocumentWriter::writeListMarker(const ParagraphStyle &style)
{
    const int list = int(m_lists.indexOf(style.textLists));
    if (list < 0) {
        m_currentList = -1;
        return;
    }
    const int level = int(style.textLists.size()) - 1;
    if (list != m_currentList) {
        m_currentList = list;
        m_itemCounters.clear();
    }
    m_itemCounters.resize(level + 1, 0);
    const qint64 item = m_itemCounters[level]++ + style.textLists.at(level).startingItemNumber;
    m_out += "{\\listtext\\pard\\plain ";
    writeText(markerText(style.textLists.at(level), item));
    m_out += "\\tab}";
}

void RtfDocumentWriter::writeRun(const TextAttributes &attributes, TextRange range)
{
    m_out += "{" + characterProperties(attributes) + " ";
    const QStringView text = QStringView(m_text.string()).sliced(range.location, range.length);
    if (attributes.attachment) {
        for (QChar c : text) {
            if (c.unicode() == 0xFFFC)
                writeAttachment(*attributes.attachment);
            else
                writeText(QStringView(&c, 1));
        }
    } else {
        writeText(text);
    }
    m_out += "}";
}

QByteArray RtfDocumentWriter::characterProperties(const TextAttributes &a) const
{
    QByteArray out = "\\f" + number(fontIndex(a));
    double size = 12;
    if (a.font && isFinite(a.font->pointSize) && a.font->pointSize > 0)
        size = qMin(a.font->pointSize, 1600.0);
    out += "\\fs" + number(qRound(size * 2));
    const int intent = a.inlinePresentationIntent.value_or(0);
    if ((a.font && a.font->bold) || (intent & InlinePresentationIntent::stronglyEmphasized))
        out += "\\b";
    if ((a.font && a.font->italic) || (intent & InlinePresentationIntent::emphasized))
        out += "\\i";
    if (const int style = a.underlineStyle.value_or(0)) {
        const int pattern = style & 0x700;
        if (TextLineStyle::isDouble(style))
            out += "\\uldb";
        else if (style & TextLineStyle::byWord)
            out += "\\ulw";
        else if (pattern == TextLineStyle::patternDot)
            out += (style & TextLineStyle::thick) ? "\\ulthd" : "\\uld";
        else if (pattern == TextLineStyle::patternDash)
            out += (style & TextLineStyle::thick) ? "\\ulthdash" : "\\uldash";
        else if (pattern == TextLineStyle::patternDashDot)
            out += (style & TextLineStyle::thick) ? "\\ulthdashd" : "\\uldashd";
        else if (pattern == TextLineStyle::patternDashDotDot)
            out += (style & TextLineStyle::thick) ? "\\ulthdashdd" : "\\uldashdd";
        else if (style & TextLineStyle::thick)
            out += "\\ulth";
        else
            out += "\\ul";
        if (const int color = colorIndex(a.underlineColor))
            out += "\\ulc" + number(color);
    }
    const int strike = a.strikethroughStyle.value_or(intent & InlinePresentationIntent::strikethrough ? 1 : 0);
    if (strike)
        out += TextLineStyle::isDouble(strike) ? "\\striked1" : "\\strike";
    if (const int color = colorIndex(a.foreground))
        out += "\\cf" + number(color);
    if (const int color = colorIndex(a.background))
        out += "\\cb" + number(color) + "\\chcbpat" + number(color);
    if (a.baselineOffset && isFinite(*a.baselineOffset) && *a.baselineOffset != 0) {
        const int halfPoints = int(qBound(-3200.0, *a.baselineOffset * 2, 3200.0));
        out += halfPoints > 0 ? "\\up" + number(halfPoints) : "\\dn" + number(-halfPoints);
    }
    if (a.strokeWidth && isFinite(*a.strokeWidth) && *a.strokeWidth != 0) {
        out += "\\outl\\strokewidth" + number(twips(*a.strokeWidth));
        if (const int color = colorIndex(a.strokeColor))
            out += "\\strokec" + number(color);
    }
    if (a.shadow && isUsable(a.shadow->color)) {
        const TextShadow &shadow = *a.shadow;
        out += "\\shad\\shadx" + number(twips(shadow.offset.x())) + "\\shady" + number(twips(shadow.offset.y()))
            + "\\shadr" + number(twips(shadow.blurRadius)) + "\\shado" + number(qRound(shadow.color.alphaF() * 100))
            + "\\shadc" + number(colorIndex(shadow.color));
    }
    return out;
}

void RtfDocumentWriter::writeText(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            m_out += '\\';
            m_out += char(u);
        } else if (u == '\t') {
            m_out += "\\tab ";
        } else if (u == 0x2028 || u == 0x0B) {
            m_out += "\\line ";
        } else if (u == 0x00A0) {
            m_out += "\\~";
        } else if (u < 0x20 || u == 0x7F || u == 0xFFFC) {
            continue; // control characters and stray attachment characters have no text form
        } else if (u < 0x80) {
            m_out += char(u);
        } else {
            m_out += "\\u" + number(qint16(u)) + "?";
        }
    }
}

void RtfDocumentWriter::writeAttachment(const TextAttachment &attachment)
{
    if (m_namer) {
        const QString name = m_namer(attachment);
        if (name.isEmpty())
            return;
        const QSizeF size = attachment.bounds.isEmpty() ? attachment.naturalSize() : attachment.bounds.size();
        m_out += "{{\\NeXTGraphic ";
        writeText(name);
        m_out += " \\width" + number(twips(size.width())) + " \\height" + number(twips(size.height())) + "}\\uc0\\u65532 }";
        return;
    }
    QByteArray bytes;
    QByteArray kind;
    if (attachment.contents.startsWith("\x89PNG")) {
        bytes = attachment.contents;
        kind = "\\pngblip";
    } else if (attachment.contents.startsWith("\xFF\xD8\xFF")) {
        bytes = attachment.contents;
        kind = "\\jpegblip";
    }
    const QImage image = bytes.isEmpty() ? attachment.picture() : attachment.image;
    if (bytes.isEmpty()) {
        if (image.isNull())
            return; // a file that is no picture has no RTF form
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        kind = "\\pngblip";
    }
    QSizeF size = attachment.bounds.isEmpty() ? attachment.naturalSize() : attachment.bounds.size();
    QSize pixels = image.isNull() ? size.toSize() : image.size();
    if (size.isEmpty())
        size = QSizeF(pixels);
    m_out += "{\\pict" + kind + "\\picw" + number(pixels.width()) + "\\pich" + number(pixels.height()) + "\\picwgoal"
        + number(twips(size.width())) + "\\pichgoal" + number(twips(size.height())) + "\n";
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        m_out += hex.mid(i, 128);
        m_out += '\n';
    }
    m_out += "}";
}

} // namespace

QByteArray RtfWriter::write(const StyledText &text, const AttachmentNamer &attachmentFiles)
{
    return RtfDocumentWriter(text, attachmentFiles).write();
}
