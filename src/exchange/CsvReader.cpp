#include "exchange/CsvReader.h"

#include "exchange/ImportSource.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// The line (from 1) holding the first byte that is not UTF-8, for the message.
qint64 firstBadLine(const QByteArray& bytes) {
    qint64 line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(QByteArrayView(bytes).sliced(start, end - start));
        if (decoder.hasError())
            return line;
        ++line;
        start = end + 1;
    }
    return line;
}

QString decoded(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        throw ImportError(u"The file is UTF-16 text; save it as UTF-8 (in a spreadsheet: "
                          u"\"CSV UTF-8\") and import that."_s);
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString result = decoder.decode(text);
    if (decoder.hasError())
        throw ImportError(u"The file is not UTF-8 text (line %1 holds something else); save "
                          u"it as UTF-8 (in a spreadsheet: \"CSV UTF-8\") and import that."_s.arg(
                              firstBadLine(bytes)));
    return result;
}

} // namespace

CsvReader::CsvReader(const QByteArray& bytes) : m_text(decoded(bytes)) {
    m_separator = detectSeparator();
    QStringList fields;
    while (readRecord(fields)) {
        if (!fields.isEmpty()) {
            m_heading = fields;
            break;
        }
    }
}

QChar CsvReader::detectSeparator() const {
    // The first line that is not blank, read as far as it goes outside quotes.
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    bool quoted = false;
    bool seen = false;
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        const QChar c = m_text.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
        else if (isLineEnd(c) && seen)
            break;
        seen = seen || !isLineEnd(c);
    }
    return semicolons > commas ? QChar(u';') : QChar(u',');
}

bool CsvReader::next(QStringList& fields) {
    while (readRecord(fields)) {
        if (!fields.isEmpty())
            return true;
    }
    return false;
}

bool CsvReader::readRecord(QStringList& fields) {
    fields.clear();
    const qsizetype n = m_text.size();
    if (m_pos >= n)
        return false;
    ++m_row;
    const QChar* text = m_text.constData();
    // A line with nothing on it is no record.
    if (isLineEnd(text[m_pos])) {
        m_pos += (text[m_pos] == u'\r' && m_pos + 1 < n && text[m_pos + 1] == u'\n') ? 2 : 1;
        return true;
    }
    while (true) {
        QString field;
        if (m_pos < n && text[m_pos] == u'"') {
            const qint64 startRow = m_row;
            ++m_pos;
            while (true) {
                if (m_pos >= n)
                    throw ImportError(
                        u"Row %1: a field opens with a quote that is never "
                        u"closed, so the rest of the file would be one value."_s.arg(startRow));
                const qsizetype quote = m_text.indexOf(u'"', m_pos);
                if (quote < 0) {
                    m_pos = n;
                    continue;
                }
                field.append(QStringView(m_text).sliced(m_pos, quote - m_pos));
                m_pos = quote + 1;
                if (m_pos < n && text[m_pos] == u'"') {
                    field.append(u'"');
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (m_pos < n && text[m_pos] != m_separator && !isLineEnd(text[m_pos]))
                throw ImportError(
                    u"Row %1: a quoted field goes on after its closing quote "
                    u"(a quote inside a quoted field is written twice)."_s.arg(startRow));
        } else {
            qsizetype end = m_pos;
            while (end < n && text[end] != m_separator && !isLineEnd(text[end]))
                ++end;
            field = m_text.sliced(m_pos, end - m_pos);
            m_pos = end;
        }
        fields.append(field);
        if (m_pos >= n)
            return true;
        if (text[m_pos] == m_separator) {
            ++m_pos;
            continue;
        }
        // The end of the line.
        m_pos += (text[m_pos] == u'\r' && m_pos + 1 < n && text[m_pos + 1] == u'\n') ? 2 : 1;
        return true;
    }
}
