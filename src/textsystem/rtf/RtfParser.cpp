#include "textsystem/rtf/RtfParser.h"

#include "textsystem/SymbolFont.h"

#include <QUrl>

namespace {

int slotIndex(RtfFontSlot slot) { return int(slot); }

} // namespace

RtfParser::RtfParser(const QByteArray &rtf, const RtfAttachmentLoader &attachments, int maximumDepth,
                     PictureCache &pictures)
    : m_tokenizer(rtf), m_attachments(attachments), m_maximumDepth(maximumDepth), m_pictures(pictures)
{
}

bool RtfParser::parse(QString *error)
{
    m_groups.reserve(64);
    for (RtfToken token = m_tokenizer.next(); token.type != RtfToken::Type::End; token = m_tokenizer.next()) {
        const bool isByteToken = token.type == RtfToken::Type::Text || token.type == RtfToken::Type::HexByte;
        if (!isByteToken)
            flushBytes();
        if (m_groups.empty() && token.type != RtfToken::Type::GroupStart)
            continue; // nothing outside the outer group counts
        switch (token.type) {
        case RtfToken::Type::GroupStart:
            if (!handleGroupStart(error))
                return false;
            break;
        case RtfToken::Type::GroupEnd:
            handleGroupEnd();
            if (m_groups.empty())
                goto done; // what follows the document's group is not read
            break;
        case RtfToken::Type::ControlWord:
            if (m_skipCount > 0) {
                --m_skipCount;
                break;
            }
            handleControlWord(token);
            break;
        case RtfToken::Type::ControlSymbol:
            if (m_skipCount > 0) {
                --m_skipCount;
                break;
            }
            handleControlSymbol(token.symbol);
            break;
        case RtfToken::Type::Text:
            handleBytes(token.bytes);
            break;
        case RtfToken::Type::HexByte: {
            const char byte = char(token.byte);
            handleBytes(QByteArrayView(&byte, 1));
            break;
        }
        case RtfToken::Type::Binary:
            if (m_skipCount > 0)
                --m_skipCount;
            else if (m_picture && inDestination(RtfDestination::Picture))
                m_picture->binary += token.bytes.toByteArray();
            break;
        case RtfToken::Type::End:
            break;
        }
    }
done:
    flushBytes();
    while (!m_groups.empty())
        handleGroupEnd(); // a truncated file keeps what it holds
    if (m_cellParagraphEnd) {
        // A table whose last row never ended: its last \par ends the line after all.
        const CellParagraphEnd end = *std::exchange(m_cellParagraphEnd, std::nullopt);
        m_text.append(QStringLiteral("\n"), end.terminator);
        m_lastParagraph = end.paragraph;
    }
    finishParagraphStyle(m_text.length(), m_lastParagraph);
    return true;
}

bool RtfParser::handleGroupStart(QString *error)
{
    m_skipCount = 0;
    if (depth() >= m_maximumDepth) {
        *error = QStringLiteral("The RTF file nests groups more than %1 deep.").arg(m_maximumDepth);
        return false;
    }
    m_groups.push_back(m_groups.empty() ? GroupState() : m_groups.back());
    m_groups.back().listGroup = ListGroup::None;
    m_sawDestinationMarker = false;
    return true;
}

void RtfParser::handleGroupEnd()
{
    m_skipCount = 0;
    const int closing = depth();
    if (inDestination(RtfDestination::FontTable) && closing > 1
        && m_groups[closing - 2].destination == RtfDestination::FontTable)
        finishFontEntry();
    if (m_picture && m_picture->depth == closing)
        finishPicture();
    if (m_destinationDepth == closing)
        endDestination(closing);
    switch (state().listGroup) {
    case ListGroup::List: m_lists.listEnded(); break;
    case ListGroup::Level: m_lists.listLevelEnded(); break;
    case ListGroup::Override: m_lists.overrideEnded(); break;
    case ListGroup::None: break;
    }
    if (!m_fields.empty() && m_fields.back().depth == closing)
        m_fields.pop_back();
    if (m_shape && m_shape->depth == closing)
        m_shape.reset();
    // A group that ends with its attachment still due shows it at its end,
    // in its own formatting, before the group is gone.
    if (m_graphic && m_graphic->closed && m_graphic->depth == closing)
        appendGraphic();
    m_groups.pop_back();
}

void RtfParser::endDestination(int closing)
{
    m_destinationDepth = 0;
    switch (state().destination) {
    case RtfDestination::LevelText:
        m_lists.levelText(m_destinationText);
        break;
    case RtfDestination::FieldInstruction:
        if (!m_fields.empty())
            m_fields.back().instruction += m_destinationText;
        break;
    case RtfDestination::NeXTGraphic:
        if (m_graphic) {
            m_graphic->name = m_destinationText.trimmed();
            m_graphic->closed = true;
            m_graphic->depth = closing - 1;
        }
        break;
    case RtfDestination::ShapePropertyName:
        if (m_shape)
            m_shape->propertyName = m_destinationText.trimmed();
        break;
    default:
        break;
    }
    m_destinationText.clear();
}

void RtfParser::handleControlWord(const RtfToken &token)
{
    const bool ignorable = std::exchange(m_sawDestinationMarker, false);
    const RtfDestination destination = state().destination;
    if (destination == RtfDestination::Skip)
        return;
    const ControlWord *word = controlWord(token.name);
    if (word && word->kind == ControlWord::Kind::Destination) {
        (this->*word->handler)(ignorable ? 1 : 0);
        return;
    }
    if (destination == RtfDestination::ListTable || destination == RtfDestination::ListOverrideTable) {
        listTableWord(token.name, token.parameter.value_or(0));
        return;
    }
    if (!word) {
        if (ignorable)
            enter(RtfDestination::Skip);
        return;
    }
    switch (word->kind) {
    case ControlWord::Kind::Symbol:
        if (destination == RtfDestination::Text)
            appendText(QString(QChar(word->symbol)));
        return;
    case ControlWord::Kind::Flag:
        if (word->appliesIn(destination))
            (this->*word->handler)(token.parameter.value_or(1) != 0 ? word->parameter : 0);
        return;
    case ControlWord::Kind::Value:
        if (word->appliesIn(destination))
            (this->*word->handler)(token.parameter.value_or(word->parameter));
        return;
    case ControlWord::Kind::Destination:
        return;
    }
}

void RtfParser::listTableWord(QByteArrayView word, int parameter)
{
    if (word == "list")
        state().listGroup = ListGroup::List;
    else if (word == "listlevel")
        state().listGroup = ListGroup::Level;
    else if (word == "listoverride")
        state().listGroup = ListGroup::Override;
    m_lists.controlWord(inDestination(RtfDestination::ListTable) ? RtfListTable::Table::Lists
                                                                 : RtfListTable::Table::Overrides,
                        word, parameter);
}

void RtfParser::handleControlSymbol(char symbol)
{
    if (symbol == '*') {
        m_sawDestinationMarker = true;
        return;
    }
    const RtfDestination destination = state().destination;
    if (destination != RtfDestination::Text) {
        if (destination == RtfDestination::FieldInstruction && symbol == '\\')
            m_destinationText += QLatin1Char('\\');
        return;
    }
    switch (symbol) {
    case '~': appendText(QString(QChar(0x00A0))); break;
    case '_': appendText(QString(QChar(0x2011))); break;
    case '-': appendText(QString(QChar(0x00AD))); break;
    case '\n': paragraphEnd(0); break;
    default: break;
    }
}

void RtfParser::handleBytes(QByteArrayView bytes)
{
    if (m_skipCount > 0) {
        const qsizetype skipped = qMin<qsizetype>(m_skipCount, bytes.size());
        m_skipCount -= int(skipped);
        bytes = bytes.sliced(skipped);
    }
    if (bytes.isEmpty())
        return;
    switch (state().destination) {
    case RtfDestination::Skip:
    case RtfDestination::ListTable:
    case RtfDestination::ListOverrideTable:
    case RtfDestination::ShapeInstruction:
    case RtfDestination::ShapePicture:
        return;
    case RtfDestination::ColorTable:
        for (qsizetype i = bytes.count(';'); i > 0; --i) {
            m_colors.append(m_red || m_green || m_blue
                                ? std::optional<QColor>(QColor(m_red.value_or(0), m_green.value_or(0), m_blue.value_or(0)))
                                : std::nullopt);
            m_red.reset();
            m_green.reset();
            m_blue.reset();
        }
        return;
    case RtfDestination::Picture:
        if (m_picture)
            m_picture->hex += bytes.toByteArray();
        return;
    case RtfDestination::FontTable:
        m_pendingCodePage = currentCodePage();
        for (char byte : bytes) {
            if (byte == ';')
                finishFontEntry();
            else
                m_pendingBytes += byte;
        }
        return;
    default:
        break;
    }
    if (inDestination(RtfDestination::Text)) {
        if (const FontEntry *symbolFont = shownSymbolFont()) {
            flushBytes();
            appendSymbolText(QString::fromLatin1(bytes), *symbolFont);
            return;
        }
    }
    const int codePage = currentCodePage();
    if (!m_pendingBytes.isEmpty() && codePage != m_pendingCodePage)
        flushBytes();
    m_pendingCodePage = codePage;
    m_pendingBytes += bytes.toByteArray();
}

void RtfParser::enter(RtfDestination destination)
{
    state().destination = destination;
}

void RtfParser::enterCollecting(RtfDestination destination)
{
    m_destinationText.clear();
    m_destinationDepth = depth();
    enter(destination);
}

// ---- text ----

int RtfParser::shownFont(const RtfCharacterState &c) const
{
    // A slot naming no font of the table (LibreOffice's files do) shows the
    // Latin font, then the document's default.
    for (const int font : {c.fonts[slotIndex(c.textSlot)], c.fonts[slotIndex(RtfFontSlot::Latin)], m_defaultFont}) {
        if (font >= 0 && m_fonts.contains(font))
            return font;
    }
    return -1;
}

int RtfParser::currentCodePage() const
{
    const GroupState &group = state();
    if (group.destination == RtfDestination::FontTable) {
        const int fromCharset = m_fontEntryCharset >= 0 ? WindowsCodePage::fromCharset(m_fontEntryCharset) : 0;
        return fromCharset ? fromCharset : m_documentCodePage;
    }
    const auto font = m_fonts.constFind(shownFont(group.characters));
    if (font != m_fonts.cend() && font->codePage)
        return font->codePage;
    return m_documentCodePage;
}

void RtfParser::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const QString text = WindowsCodePage::decode(m_pendingBytes, m_pendingCodePage);
    m_pendingBytes.clear();
    if (inDestination(RtfDestination::Text))
        appendText(text);
    else
        m_destinationText += text;
}

TextAttributes RtfParser::currentAttributes() const
{
    const RtfCharacterState &c = state().characters;
    TextAttributes attributes;
    const bool eastAsian = c.textSlot == RtfFontSlot::DoubleByte;
    const int halfPoints = eastAsian ? c.doubleByteHalfPoints.value_or(c.halfPoints) : c.halfPoints;
    const double pointSize = halfPoints / 2.0;
    const int fontNumber = shownFont(c);
    if (c.fontChosen || fontNumber >= 0) {
        FontDescriptor font;
        font.family = m_fonts.value(fontNumber).name;
        font.pointSize = pointSize;
        font.bold = eastAsian ? c.doubleByteBold.value_or(c.bold) : c.bold;
        font.italic = eastAsian ? c.doubleByteItalic.value_or(c.italic) : c.italic;
        attributes.font = font;
    }
    attributes.foreground = color(c.foreground);
    attributes.background = color(c.background);
    if (c.underline) {
        attributes.underlineStyle = c.underline;
        attributes.underlineColor = color(c.underlineColor);
    }
    if (c.strike)
        attributes.strikethroughStyle = c.strike;
    if (c.raise != 0)
        attributes.baselineOffset = c.raise / 2.0;
    else if (c.script != 0)
        attributes.baselineOffset = c.script * pointSize / 3.0;
    if (c.strokeWidth != 0) {
        attributes.strokeWidth = c.strokeWidth / 20.0;
        attributes.strokeColor = color(c.strokeColor);
    }
    if (c.shadow) {
        QColor shadowColor = color(c.shadowColor).value_or(QColor(Qt::black));
        shadowColor.setAlpha(qRound(qBound(0, c.shadowOpacity, 100) * 255 / 100.0));
        attributes.shadow = TextShadow{shadowColor, QPointF(c.shadowX / 20.0, c.shadowY / 20.0), c.shadowRadius / 20.0};
    }
    if (!c.link.isEmpty())
        attributes.link = QUrl(c.link);
    return attributes;
}

std::optional<QColor> RtfParser::color(int index) const
{
    if (index <= 0 || index >= m_colors.size())
        return std::nullopt;
    return m_colors.at(index);
}

bool RtfParser::FontEntry::isSymbolFont() const { return symbolCharset || SymbolFont::isSymbolFamily(name); }

// The symbol font the current text is set in; null for a font of characters.
const RtfParser::FontEntry *RtfParser::shownSymbolFont() const
{
    const auto font = m_fonts.constFind(shownFont(state().characters));
    return font != m_fonts.cend() && font->isSymbolFont() ? &*font : nullptr;
}

// Glyphs of a symbol font by their codes (0x00-0xFF, or the same at
// U+F000-U+F0FF). The Symbol font's glyphs become the characters they show,
// set in the document's font; another symbol font's glyphs, and codes where
// Symbol has none, stay in their font at the private-use code where such
// fonts put their glyphs: only the font knows what they show, and none reads
// as a control character.
void RtfParser::appendSymbolText(const QString &codes, const FontEntry &font)
{
    constexpr char16_t privateUseStart = 0xF000;
    const bool symbolFamily = SymbolFont::isSymbolFamily(font.name);
    QString run;
    bool runMapped = false;
    for (const QChar code : codes) {
        const std::optional<char16_t> shown = symbolFamily ? SymbolFont::unicodeFor(code.unicode()) : std::nullopt;
        if (!run.isEmpty() && shown.has_value() != runMapped)
            appendText(std::exchange(run, QString()), runMapped);
        runMapped = shown.has_value();
        run += QChar(shown ? *shown : char16_t(privateUseStart | (code.unicode() & 0xFF)));
    }
    appendText(run, runMapped);
}

void RtfParser::appendText(const QString &text, bool outOfSymbolFont)
{
    if (text.isEmpty())
        return;
    flushCellParagraphEnd();
    if (m_pendingCellTab) {
        m_pendingCellTab = false;
        appendText(QStringLiteral("\t"));
    }
    m_lastParagraph = paragraph();
    if (m_graphic && m_graphic->closed && depth() == m_graphic->depth) {
        // The character after a \NeXTGraphic group stands for the attachment.
        appendGraphic();
        if (text.size() > 1)
            appendText(text.mid(1), outOfSymbolFont);
        return;
    }
    TextAttributes attributes = currentAttributes();
    if (outOfSymbolFont && attributes.font) {
        const FontEntry documentFont = m_fonts.value(m_defaultFont);
        attributes.font->family = documentFont.isSymbolFont() ? QString() : documentFont.name;
    }
    m_text.append(text, attributes);
}

void RtfParser::appendAttachment(const TextAttachmentPointer &attachment)
{
    flushCellParagraphEnd();
    TextAttributes attributes = currentAttributes();
    attributes.attachment = attachment;
    m_lastParagraph = paragraph();
    m_text.append(QString(QChar(0xFFFC)), attributes);
}

void RtfParser::appendGraphic()
{
    const Graphic graphic = *std::exchange(m_graphic, std::nullopt);
    if (!m_attachments)
        return;
    const QSizeF size = graphic.width > 0 && graphic.height > 0 ? QSizeF(graphic.width / 20.0, graphic.height / 20.0)
                                                                : QSizeF();
    if (const TextAttachmentPointer attachment = graphicAttachment(graphic.name, size))
        appendAttachment(attachment);
}

// The attachment file `name`, read once however often the package names it:
// a picture, decoded through the document's cache, or any other file (a
// picture that does not decode included) with its bytes, so that a save can
// write it back. Null for a file the package lacks and for a picture left
// out for its size.
TextAttachmentPointer RtfParser::graphicAttachment(const QString &name, QSizeF size)
{
    if (const auto file = m_files.constFind(name); file != m_files.cend())
        return *file;
    std::optional<QByteArray> bytes;
    const auto read = [this, &name, &bytes] { return bytes = m_attachments(name); };
    const int leftOut = m_pictures.leftOutCount();
    if (TextAttachmentPointer picture = m_pictures.picture(name, read, size))
        return picture;
    if (!bytes || m_pictures.leftOutCount() != leftOut)
        return nullptr;
    auto file = std::make_shared<TextAttachment>();
    file->contents = std::move(*bytes);
    file->fileName = name; // shown as a placeholder of its own size
    m_files.insert(name, file);
    return file;
}

void RtfParser::endParagraph(std::optional<BreakType> breakType)
{
    flushCellParagraphEnd();
    m_pendingCellTab = false;
    TextAttributes attributes = currentAttributes();
    if (breakType)
        attributes.breakType = *breakType;
    m_lastParagraph = paragraph();
    if (m_lastParagraph.pageBreakBefore && m_paragraphStart > 0)
        m_text.modifyAttributes({m_paragraphStart - 1, 1}, [](TextAttributes &a) { a.breakType = BreakType::Page; });
    m_text.append(QStringLiteral("\n"), attributes);
    finishParagraphStyle(m_text.length(), m_lastParagraph);
}

void RtfParser::flushCellParagraphEnd()
{
    if (!m_cellParagraphEnd)
        return;
    // More of the cell follows its \par: the cell holds several paragraphs.
    const CellParagraphEnd end = *std::exchange(m_cellParagraphEnd, std::nullopt);
    m_text.append(QStringLiteral("\n"), end.terminator);
    finishParagraphStyle(m_text.length(), end.paragraph);
}

void RtfParser::finishParagraphStyle(qsizetype end, const RtfParagraphState &paragraph)
{
    if (end <= m_paragraphStart)
        return;
    if (const std::optional<ParagraphStyle> style = paragraphStyle(paragraph)) {
        m_text.modifyAttributes({m_paragraphStart, end - m_paragraphStart},
                                [&style](TextAttributes &a) { a.paragraphStyle = style; });
    }
    m_paragraphStart = end;
}

std::optional<ParagraphStyle> RtfParser::paragraphStyle(const RtfParagraphState &p) const
{
    ParagraphStyle style;
    style.alignment = p.alignment;
    style.spacingBefore = p.spaceBefore / 20.0;
    style.spacingAfter = p.spaceAfter / 20.0;
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0)
            style.lineHeightMultiple = p.lineSpacing / 240.0;
        else if (!p.lineMultiple)
            style.lineSpacing = qAbs(p.lineSpacing) / 20.0;
    }
    style.headIndent = p.leftIndent / 20.0;
    style.firstLineHeadIndent = (p.leftIndent + p.firstIndent) / 20.0;
    style.tailIndent = p.rightIndent > 0 ? -p.rightIndent / 20.0 : 0.0;
    if (p.listOverride > 0)
        style.textLists = m_lists.textLists(p.listOverride, p.listLevel);
    if (style == ParagraphStyle())
        return std::nullopt;
    return style;
}

void RtfParser::finishFontEntry()
{
    if (!m_pendingBytes.isEmpty()) {
        m_fontName += WindowsCodePage::decode(m_pendingBytes, currentCodePage());
        m_pendingBytes.clear();
    }
    m_fontName += std::exchange(m_destinationText, QString());
    if (m_fontEntry >= 0 && !m_fonts.contains(m_fontEntry)) {
        const int charsetPage = m_fontEntryCharset >= 0 ? WindowsCodePage::fromCharset(m_fontEntryCharset) : 0;
        m_fonts.insert(m_fontEntry, FontEntry{m_fontName.trimmed(), charsetPage, m_fontEntryCharset == symbolCharsetNumber});
    }
    m_fontName.clear();
    m_fontEntry = -1;
    m_fontEntryCharset = -1;
}

void RtfParser::finishPicture()
{
    PictureState picture = std::move(*m_picture);
    m_picture.reset();
    // The \pict group carries the formatting of the text around it.
    state().destination = RtfDestination::Text;
    if (!picture.readable)
        return;
    QByteArray bytes = picture.binary;
    if (bytes.isEmpty()) {
        picture.hex.removeIf([](char c) { return !std::isxdigit(uchar(c)); });
        bytes = QByteArray::fromHex(picture.hex);
    }
    QSizeF size;
    if (picture.goalWidth > 0 && picture.goalHeight > 0) {
        const double scaleX = picture.scaleX > 0 ? picture.scaleX / 100.0 : 1.0;
        const double scaleY = picture.scaleY > 0 ? picture.scaleY / 100.0 : 1.0;
        size = QSizeF(picture.goalWidth / 20.0 * scaleX, picture.goalHeight / 20.0 * scaleY);
    } else if (m_shape && m_shape->right > m_shape->left && m_shape->bottom > m_shape->top) {
        size = QSizeF((m_shape->right - m_shape->left) / 20.0, (m_shape->bottom - m_shape->top) / 20.0);
    }
    if (const TextAttachmentPointer attachment = m_pictures.picture(bytes, size)) {
        appendAttachment(attachment);
        if (m_shape)
            m_shape->hasPicture = true;
    }
}
