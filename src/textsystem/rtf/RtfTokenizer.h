#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// One lexical unit of RTF.
struct RtfToken {
    enum class Type {
        GroupStart,    // {
        GroupEnd,      // }
        ControlWord,   // \word or \wordN; `name` and `parameter`
        ControlSymbol, // \ followed by one non-letter (\~ \- \_ \* \| \: and a line break); `symbol`
        Text,          // literal bytes (escaped \\ \{ \} included); `bytes`
        HexByte,       // \'hh; `byte`
        Binary,        // the data of \binN; `bytes`
        End,
    };

    Type type = Type::End;
    QByteArrayView name;
    std::optional<int> parameter; // clamped to the 32-bit range
    char symbol = 0;
    uchar byte = 0;
    QByteArrayView bytes;
};

// Splits RTF bytes into tokens. Line breaks between tokens are dropped, a
// space after a control word belongs to it. \binN takes the next N bytes as
// data (fewer when the input ends first; N below 0 takes none). Works on any
// input without ever reading past its end; the views point into `data`, which
// must outlive the tokenizer.
class RtfTokenizer
{
public:
    explicit RtfTokenizer(QByteArrayView data) : m_data(data) {}

    RtfToken next();
    // Byte offset of the next token's start.
    qsizetype position() const { return m_position; }
    bool atEnd() const { return m_position >= m_data.size(); }

private:
    RtfToken readControl();
    RtfToken readText();

    QByteArrayView m_data;
    qsizetype m_position = 0;
    qsizetype m_pendingBinary = -1; // set after \binN until its data is taken
};
