#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <cstdio>
#include <optional>
#include <unistd.h>

// Test helper: sends standard output to a temporary file from construction
// until finish() or destruction, whichever comes first; the original stream
// is restored either way.
class StdoutCapture
{
public:
    StdoutCapture()
    {
        if (!m_file.open())
            return;
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        if (m_saved >= 0 && dup2(m_file.handle(), STDOUT_FILENO) < 0) {
            close(m_saved);
            m_saved = -1;
        }
    }
    ~StdoutCapture() { restore(); }

    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    // Whether standard output really went to the file.
    bool isCapturing() const { return m_saved >= 0; }

    // Ends the capture and gives the bytes that reached the file, or nothing
    // when the file cannot be read back. Output still in stdout's buffer is
    // not among them, so a test can check that a writer flushes.
    std::optional<QByteArray> finish()
    {
        QFile reader(m_file.fileName());
        std::optional<QByteArray> written;
        if (reader.open(QIODevice::ReadOnly))
            written = reader.readAll();
        restore();
        return written;
    }

    // Flushes stdout, ends the capture and gives everything written as UTF-8
    // text (empty when the file cannot be read back).
    QString text()
    {
        std::fflush(stdout);
        return QString::fromUtf8(finish().value_or(QByteArray()));
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};
