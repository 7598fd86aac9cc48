#pragma once

#include "PresentationError.h"
#include "Slide.h"

#include <QList>
#include <QString>

class InMemoryPackage;

// Writes slides as a presentation package: content types, the package and
// presentation relationships, ppt/presentation.xml and one part per slide in
// the editor's own vocabulary, every entry stored. .pptx and .potx files are
// the same package.
class PptxWriter
{
public:
    // `slides` must outlive the writer.
    explicit PptxWriter(const QList<Slide> &slides);

    // Builds the package's parts in memory and zips them to `path`; the
    // file there is replaced only once the new archive is complete, and a
    // folder there is an error. Returns false and sets *error on failure.
    bool write(const QString &path, PresentationError *error) const;

private:
    bool writeParts(InMemoryPackage &package, QString *error) const;

    const QList<Slide> &m_slides;
};
