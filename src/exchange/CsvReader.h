#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads CSV text as RFC 4180 writes it and spreadsheets save it: fields separated by commas,
// or by semicolons where the heading line has more of them than commas (as spreadsheets
// write CSV in locales whose decimal mark is a comma); a field in double quotes may hold
// the separator, line breaks and quotes written twice; lines end in CR LF, LF or CR. The
// text is UTF-8, with or without a byte-order mark.
//
// A quote inside a field that does not begin with one is taken as it is ("5" ruler"). A
// quoted field that is never closed, or that goes on after its closing quote, is refused:
// reading on would take the rest of the line, or of the file, for one value. Lines with
// nothing on them are passed over, but counted, so that row numbers are those a spreadsheet
// shows for the file.
class CsvReader {
public:
    // Throws ImportError for text that is not UTF-8 (naming the line), or UTF-16.
    explicit CsvReader(const QByteArray& bytes);

    // The heading line's fields; empty for a file that has none (empty, or blank lines only).
    const QStringList& heading() const { return m_heading; }
    QChar separator() const { return m_separator; }

    // Reads the next record after the heading into fields; false at the end of the file.
    // Throws ImportError for a quoted field that is not closed or goes on after its quote.
    bool next(QStringList& fields);
    // The row of the record last read, as a spreadsheet numbers it: the heading is row 1.
    qint64 rowNumber() const { return m_row; }
    // Characters read so far, of size().
    qint64 position() const { return m_pos; }
    qint64 size() const { return m_text.size(); }

private:
    // Reads one record from m_pos; false at the end. A blank line gives no fields.
    bool readRecord(QStringList& fields);
    QChar detectSeparator() const;

    QString m_text;
    qsizetype m_pos = 0;
    qint64 m_row = 0;
    QChar m_separator = u',';
    QStringList m_heading;
};
