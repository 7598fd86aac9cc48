#pragma once

#include "textsystem/doc/DocByteView.h"

// A PLC: n + 1 ascending 32-bit positions (CPs or FCs) followed by n data
// elements of a fixed size. The count comes from the byte size, so a PLC
// can never index past its bytes.
class DocPlc
{
public:
    DocPlc(DocByteView bytes, int elementSize)
        : m_bytes(bytes), m_elementSize(elementSize),
          m_count(bytes.size() < 4 ? 0 : (bytes.size() - 4) / (4 + elementSize))
    {
    }

    qsizetype count() const { return m_count; }
    quint32 position(qsizetype i) const { return m_bytes.u32(4 * i); }
    DocByteView element(qsizetype i) const
    {
        return m_bytes.mid(4 * (m_count + 1) + i * m_elementSize, m_elementSize);
    }

private:
    DocByteView m_bytes;
    int m_elementSize;
    qsizetype m_count;
};
