#pragma once

#include "textsystem/doc/DocCharacterProperties.h"
#include "textsystem/doc/DocParagraphProperties.h"

#include <QList>
#include <QString>

// The style sheet (STSH) of a Word document, each style resolved through its
// chain of base styles. A damaged sheet gives the defaults; a chain that
// loops is cut where it meets itself again.
class DocStyleSheet
{
public:
    static DocStyleSheet parse(DocByteView stsh);

    // The properties of paragraph style `istd` (the defaults for an unknown one).
    const DocParagraphProperties &paragraphProperties(quint16 istd) const;
    const DocCharacterProperties &characterProperties(quint16 istd) const;
    // Applies character style `istd` (its own and its bases' modifiers) to `chp`.
    void applyCharacterStyle(quint16 istd, DocCharacterProperties &chp) const;
    QString name(quint16 istd) const;
    const DocCharacterProperties &defaults() const { return m_defaults; }

    // Base chains longer than this are cut.
    static constexpr int maxChainLength = 64;

private:
    struct Style {
        bool present = false;
        bool isCharacterStyle = false;
        quint16 base = 0xFFF;
        QString name;
        DocByteView papx; // grpprl without the istd
        DocByteView chpx;
    };

    void resolve(qsizetype istd);
    QList<qsizetype> chainOf(qsizetype istd) const;

    QList<Style> m_styles;
    QList<DocParagraphProperties> m_paragraph;
    QList<DocCharacterProperties> m_character;
    QList<bool> m_resolved;
    DocParagraphProperties m_defaultParagraph;
    DocCharacterProperties m_defaults;
};
