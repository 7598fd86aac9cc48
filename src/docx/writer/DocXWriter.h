#pragma once

#include "docx/writer/DocXOptions.h"
#include "docx/writer/DocXSavingError.h"
#include "textsystem/StyledText.h"

#include <QList>
#include <QString>

// Writes styled text as a WordprocessingML package (.docx, or .dotx with
// DocXPackageKind::Template). The package is built from a blank template in a
// scratch folder and zipped over the destination only when complete: on any
// failure the destination is untouched.
class DocXWriter
{
public:
    // One section per text; each section but the last ends with a section
    // break. An empty list writes nothing and succeeds. `templateFolder`
    // replaces the built-in blank template (tests pass broken ones).
    static DocXSavingError write(const QList<StyledText> &sections, const QString &path,
                                 const DocXOptions &options = {}, const QString &templateFolder = {});

    // The pages joined into one section, each after the first preceded by a
    // "\r" that carries a page break.
    static DocXSavingError writePages(const QList<StyledText> &pages, const QString &path,
                                      const DocXOptions &options = {}, const QString &templateFolder = {});

    // The text through the built-in Office Open XML converter instead of the
    // writer: the converter's package, with the writer's main part and
    // relationships when the text has ruby, which the converter cannot write
    // (see BuiltInConversion). Default options; the destination is replaced
    // only by the complete archive.
    static DocXSavingError writeDocXUsingBuiltIn(const StyledText &text, const QString &path);

    // writeDocXUsingBuiltIn() when `useBuiltIn`, else write() of the text as
    // the one section with default options. False on failure, with the reason
    // in *error when given.
    static bool writeDocXTo(const StyledText &text, const QString &path, bool useBuiltIn,
                            DocXSavingError *error = nullptr);

    // The sections joined into one text: a "\r" without attributes goes
    // between two sections unless the text before ends a paragraph (LF, CR,
    // U+2029). Where a CR and the LF starting the next section would make one
    // CRLF, the end before the section is a LF instead (the CR's attributes
    // kept), so every section keeps its paragraphs. `starts` receives where
    // each section begins.
    static StyledText joinSections(const QList<StyledText> &sections, QList<qsizetype> *starts = nullptr);
};
