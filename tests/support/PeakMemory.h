#pragma once

// How much a piece of work raises the process's resident memory at its
// peak, from the kernel's own high-water mark (reset before the work).

#include <QFile>
#include <QtGlobal>

#include <optional>

namespace PeakMemory {

// A "<field>: <n> kB" line of /proc/self/status, in bytes.
inline std::optional<qint64> statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return std::nullopt;
}

// The peak resident memory while `work` ran, less the resident memory before
// it; nullopt where the kernel's mark cannot be reset.
template <typename Work>
std::optional<qint64> growthDuring(Work work)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return std::nullopt;
    clear.close();
    const std::optional<qint64> before = statusBytes("VmRSS");
    work();
    const std::optional<qint64> peak = statusBytes("VmHWM");
    if (!before || !peak)
        return std::nullopt;
    return *peak - *before;
}

} // namespace PeakMemory
