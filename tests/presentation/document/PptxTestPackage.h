#pragma once

// Helpers shared by the presentation package tests: packages as maps of part
// name to bytes, and slide parts in the editor's vocabulary.

#include "support/TestPackageParts.h"

namespace PptxTestPackage {

using namespace TestPackageParts;

// ppt/presentation.xml listing `entries` slides.
inline QByteArray presentationXml(int entries)
{
    QByteArray list;
    for (int i = 0; i < entries; ++i)
        list += "<p:sldId id=\"" + QByteArray::number(256 + i) + "\" r:id=\"rId" + QByteArray::number(i + 1) + "\"/>";
    return "<p:presentation xmlns:p=\"p\" xmlns:r=\"r\"><p:sldIdLst>" + list + "</p:sldIdLst></p:presentation>";
}

// A slide part whose root holds `content`.
inline QByteArray slideXml(const QByteArray &content)
{
    return "<?xml version=\"1.0\"?><p:sld xmlns:p=\"p\">" + content + "</p:sld>";
}

// A slide part with one `p:sp` holding `shapeContent`.
inline QByteArray shapeSlideXml(const QByteArray &shapeContent)
{
    return slideXml("<p:cSld><p:spTree><p:sp>" + shapeContent + "</p:sp></p:spTree></p:cSld>");
}

} // namespace PptxTestPackage
