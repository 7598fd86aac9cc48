#pragma once

#include "textsystem/rtf/RtfParser.h"

#include <QByteArrayView>

// One entry of the RTF reader's table of control words.
struct RtfControlWord {
    enum class Kind {
        Flag,        // switches something; a parameter of 0 switches it off
        Value,       // sets a number; `parameter` when the word has none
        Symbol,      // stands for `symbol` in the text
        Destination, // says what the group's content is
    };

    Kind kind = Kind::Flag;
    RtfParser::Handler handler = nullptr; // flags, values and destinations
    int parameter = 0;
    char16_t symbol = 0;
    // The destinations in which a flag or value applies (bits of RtfDestination).
    quint32 destinations = 0;

    bool appliesIn(RtfDestination destination) const { return destinations & (1u << int(destination)); }
};

namespace RtfControlWords {

// The entry of control word `name`; null for a word the reader does not know.
const RtfControlWord *find(QByteArrayView name);

} // namespace RtfControlWords
