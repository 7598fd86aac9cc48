#pragma once

#include "textsystem/doc/DocByteView.h"

#include <QList>

// The character or paragraph property runs of a Word document: the formatted
// disk pages (FKPs) that its bin tables list, flattened into runs of stream
// offsets (FCs), each with its property modifiers. A run or page that points
// outside its bytes is skipped.
class DocFormattedRuns
{
public:
    struct Run {
        quint32 fcStart = 0;
        quint32 fcEnd = 0;
        quint16 istd = 0;    // paragraph runs only: the paragraph style
        DocByteView grpprl;  // into the WordDocument stream
    };

    static DocFormattedRuns readCharacterRuns(DocByteView wordDocument, DocByteView binTable);
    static DocFormattedRuns readParagraphRuns(DocByteView wordDocument, DocByteView binTable);

    const QList<Run> &runs() const { return m_runs; }
    // The run holding `fc`, or null. O(log runs).
    const Run *find(qint64 fc) const;
    // The index of the first run ending after `fc`.
    qsizetype firstEndingAfter(qint64 fc) const;

    static constexpr int pageSize = 512;

private:
    enum class Kind { Character, Paragraph };
    static DocFormattedRuns read(DocByteView wordDocument, DocByteView binTable, Kind kind);
    // Where one run's properties lie in its page: [start, end), and whether
    // the entries overwrote its first byte.
    struct Block {
        qint64 start;
        qint64 end;
        bool sizeLost;
    };
    void readPage(DocByteView page, Kind kind);
    static DocByteView characterProperties(DocByteView page, const Block &block);
    static DocByteView paragraphProperties(DocByteView page, const Block &block);

    QList<Run> m_runs;
};
