#include "DocumentFormat.h"

#include <QDir>
#include <QFileInfo>

namespace {

struct FormatRow {
    DocumentFormat format;
    const char *rawValue;
    const char16_t *displayName;
};

constexpr FormatRow formatRows[] = {
    {DocumentFormat::Rtf, "rtf", u"Rich Text (.rtf)"},
    {DocumentFormat::Rtfd, "rtfd", u"Rich Text with Attachments (.rtfd)"},
    {DocumentFormat::Doc, "doc", u"Word 97-2004 (.doc)"},
    {DocumentFormat::Docx, "docx", u"Word (.docx)"},
    {DocumentFormat::Dotx, "dotx", u"Word Template (.dotx)"},
    {DocumentFormat::Html, "html", u"HTML Web Page (.html)"},
    {DocumentFormat::Htm, "htm", u"HTML Web Page (.htm)"},
    {DocumentFormat::Jwd, "jwd", u"一太郎 5-6 (.jwd)"},
    {DocumentFormat::Jxw, "jxw", u"一太郎 8-以降 (.jxw)"},
    {DocumentFormat::Wpd, "wpd", u"WordPerfect (.wpd)"},
};

const FormatRow &row(DocumentFormat format)
{
    return formatRows[int(format)];
}

} // namespace

namespace DocumentFormats {

const QList<DocumentFormat> &all()
{
    static const QList<DocumentFormat> formats = [] {
        QList<DocumentFormat> list;
        for (const FormatRow &r : formatRows)
            list.append(r.format);
        return list;
    }();
    return formats;
}

QString rawValue(DocumentFormat format)
{
    return QString::fromLatin1(row(format).rawValue);
}

QString displayName(DocumentFormat format)
{
    return QString::fromUtf16(row(format).displayName);
}

std::optional<DocumentFormat> fromRawValue(const QString &value)
{
    for (const FormatRow &r : formatRows) {
        if (value == QLatin1String(r.rawValue))
            return r.format;
    }
    return std::nullopt;
}

std::optional<DocumentFormat> fromFileName(const QString &fileName)
{
    // cleanPath drops the trailing "/" of a folder package such as "a.rtfd/".
    return fromRawValue(QFileInfo(QDir::cleanPath(fileName)).suffix().toLower());
}

bool isPlainText(DocumentFormat format)
{
    return format == DocumentFormat::Jwd || format == DocumentFormat::Jxw || format == DocumentFormat::Wpd;
}

} // namespace DocumentFormats
