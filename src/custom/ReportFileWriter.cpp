#include "custom/ReportFileWriter.h"

#include "core/Version.h"

#include "engine/EngineError.h"

#include <QIODevice>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype FlushSize = 1 << 16;

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// What neither file can carry and another tool may have stored: control characters (a NUL,
// an escape), the two codes that are no characters, and half a surrogate pair. They are
// left out; tabs and line breaks are dealt with by each file on its own.
bool isUnwritable(const QString& text, qsizetype i) {
    const QChar c = text.at(i);
    const char16_t code = c.unicode();
    if (c == u'\t' || isLineBreak(c))
        return false;
    if (code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0xfffe || code == 0xffff)
        return true;
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text.at(i - 1).isHighSurrogate();
    return false;
}

} // namespace

ReportFileWriter::ReportFileWriter(QIODevice& device, QList<ReportColumn> columns)
    : m_device(device), m_columns(std::move(columns)) {}

ReportFileWriter::~ReportFileWriter() = default;

void ReportFileWriter::throwDeviceError(const QIODevice& device, int systemError) {
    // The device's own text is often no more than "Unknown error"; the system's reason,
    // taken as the write failed, says what happened.
    const QString reason = systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError))
                                            : device.errorString();
    if (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG)
        throw EngineError(ErrorNumber::DiskFull, reason);
    throw EngineError(DeviceIOError, reason.isEmpty() ? u"Device I/O error"_s : reason);
}

void ReportFileWriter::writeLine(const QString& line) {
    m_buffer += line.toUtf8();
    m_buffer += "\r\n";
    if (m_buffer.size() >= FlushSize)
        flush();
}

void ReportFileWriter::flush() {
    if (m_buffer.isEmpty())
        return;
    errno = 0;
    const qint64 written = m_device.write(m_buffer);
    const int systemError = errno;
    if (written != m_buffer.size())
        throwDeviceError(m_device, systemError);
    m_buffer.clear();
}

QString TextReportWriter::cellText(const QString& value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\r' && i + 1 < value.size() && value.at(i + 1) == u'\n')
            continue; // the LF that follows makes the one blank
        if (isUnwritable(value, i))
            continue;
        text += (c == u'\t' || isLineBreak(c)) ? u' ' : c;
    }
    return text;
}

void TextReportWriter::row(const QStringList& cells) {
    QString line;
    for (qsizetype i = 0; i < columns().size(); ++i) {
        if (i > 0)
            line += u'\t';
        line += cellText(cells.value(i));
    }
    writeLine(line);
}

void TextReportWriter::totals(const QList<std::optional<QString>>& cells) {
    QStringList line;
    for (qsizetype i = 0; i < columns().size(); ++i)
        line << cells.value(i).value_or(QString());
    row(line);
}

void TextReportWriter::end() {
    flush();
}

HtmlReportWriter::HtmlReportWriter(QIODevice& device, QList<ReportColumn> columns, QString title,
                                   int fieldCount)
    : ReportFileWriter(device, std::move(columns)), m_title(std::move(title)),
      m_fieldCount(fieldCount) {}

QString HtmlReportWriter::escaped(const QString& text) {
    QString html;
    html.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'&':
            html += u"&amp;"_s;
            break;
        case u'<':
            html += u"&lt;"_s;
            break;
        case u'>':
            html += u"&gt;"_s;
            break;
        case u'"':
            html += u"&quot;"_s;
            break;
        case u'\'':
            html += u"&#39;"_s;
            break;
        default:
            if (isUnwritable(text, i))
                break;
            if (isLineBreak(c)) {
                // A memo's lines stay lines in the browser, and each row one line in the file.
                if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                    ++i;
                html += u"<br>"_s;
            } else {
                html += c;
            }
        }
    }
    return html;
}

QString HtmlReportWriter::cell(qsizetype column, const QString& text) const {
    const bool right = column < columns().size() && columns().at(column).rightAligned;
    return (right ? u"<td align=right>"_s : u"<td>"_s) + escaped(text) + u"</td>"_s;
}

void HtmlReportWriter::begin() {
    const QString title = escaped(m_title);
    writeLine(u"<html>"_s);
    writeLine(u"<head><meta charset=\"utf-8\"><title>"_s + title + u"</title></head>"_s);
    writeLine(u"<body>"_s);
    writeLine(u"<table border=1>"_s);
    writeLine(u"<tr><th colspan = %1>"_s.arg(m_fieldCount) + title + u"</th></tr>"_s);
    writeLine(u"<tr>"_s);
    QString headings;
    for (const ReportColumn& column : columns())
        headings += u"<th>"_s + escaped(column.heading) + u"</th>"_s;
    writeLine(headings + u"</tr>"_s);
}

void HtmlReportWriter::row(const QStringList& cells) {
    QString line = u"<tr>"_s;
    for (qsizetype i = 0; i < columns().size(); ++i)
        line += cell(i, cells.value(i));
    writeLine(line + u"</tr>"_s);
}

void HtmlReportWriter::totals(const QList<std::optional<QString>>& cells) {
    QString line = u"<tr>"_s;
    for (qsizetype i = 0; i < columns().size(); ++i) {
        const std::optional<QString> total = cells.value(i);
        line += total ? u"<td align=right>"_s + escaped(*total) + u"</td>"_s : u"<TD>&nbsp;</TD>"_s;
    }
    writeLine(line + u"</tr>"_s);
}

void HtmlReportWriter::end() {
    writeLine(u"</table>"_s);
    // A link only to a home page the build names.
    const QString home = QString::fromLatin1(Version::HomePage);
    writeLine(home.isEmpty() ? u"<H6>List Produced by PVX - Purvex</H6>"_s
                             : u"<H6>List Produced by <A HREF=\"%1\">PVX - Purvex</A></H6>"_s.arg(
                                   escaped(home)));
    writeLine(u"</body>"_s);
    writeLine(u"</html>"_s);
    flush();
}
