#include "exchange/CsvWriter.h"

#include <QIODevice>

namespace {

// Written out in pieces this size, so that a large export holds little in memory.
constexpr qsizetype BufferChars = 1 << 16;

bool needsQuotes(const QString& text) {
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

} // namespace

QString CsvWriter::quoted(const QString& text) {
    if (!needsQuotes(text))
        return text;
    QString result = text;
    result.replace(u'"', QStringLiteral("\"\""));
    return u'"' + result + u'"';
}

void CsvWriter::field(const QString& text) {
    if (!m_lineStart)
        m_buffer += u',';
    m_lineStart = false;
    if (needsQuotes(text))
        m_buffer += quoted(text);
    else
        m_buffer += text;
}

void CsvWriter::endRecord() {
    m_buffer += QStringLiteral("\r\n");
    m_lineStart = true;
    if (m_buffer.size() >= BufferChars)
        flush();
}

bool CsvWriter::flush() {
    if (!m_failed && !m_buffer.isEmpty()) {
        const QByteArray bytes = m_buffer.toUtf8();
        m_failed = m_device.write(bytes) != bytes.size();
    }
    m_buffer.clear();
    return !m_failed;
}
