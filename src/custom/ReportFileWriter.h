#pragma once

#include "engine/EngineError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// A column of a report file: its heading and whether its cells keep to the right.
struct ReportColumn {
    QString heading;
    bool rightAligned = false;
};

// What the two report files share: lines of UTF-8 text ending in CR LF, written to any
// device (a file being saved, a buffer in a test) in large pieces. A device that refuses
// a write throws EngineError with the system's reason, so the report stops there.
class ReportFileWriter {
public:
    // The error number of a write the device refused for a reason other than a full disk.
    static constexpr int DeviceIOError = ErrorNumber::DeviceIOError;

    ReportFileWriter(QIODevice& device, QList<ReportColumn> columns);
    virtual ~ReportFileWriter();
    ReportFileWriter(const ReportFileWriter&) = delete;
    ReportFileWriter& operator=(const ReportFileWriter&) = delete;

    // What comes before the first row.
    virtual void begin() = 0;
    // One cell per column.
    virtual void row(const QStringList& cells) = 0;
    // One entry per column: its total, or nothing for a column without one.
    virtual void totals(const QList<std::optional<QString>>& cells) = 0;
    // What comes after the last row; everything has reached the device when it returns.
    virtual void end() = 0;

    // The EngineError a write the device refused stands for: a full disk, or any other
    // failure of the device, with the system's text (systemError is errno as the failure
    // left it, 0 when not known). Opening the file is OutputFile's, which says its own.
    [[noreturn]] static void throwDeviceError(const QIODevice& device, int systemError = 0);

protected:
    const QList<ReportColumn>& columns() const { return m_columns; }
    void writeLine(const QString& line);
    void flush();

private:
    QIODevice& m_device;
    QList<ReportColumn> m_columns;
    QByteArray m_buffer;
};

// The text file: no headings, one line per row with the cells separated by one tab, a
// line of totals after the rows when a column has one. A tab or line break inside a value
// becomes one blank, so every line has exactly one cell per column; a control character
// (a NUL stored by another tool) is left out.
class TextReportWriter : public ReportFileWriter {
public:
    using ReportFileWriter::ReportFileWriter;

    void begin() override {}
    void row(const QStringList& cells) override;
    void totals(const QList<std::optional<QString>>& cells) override;
    void end() override;

    static QString cellText(const QString& value);
};

// The HTML file: one table under the report's title, with the column headings, the rows
// and a line of totals, every text escaped.
class HtmlReportWriter : public ReportFileWriter {
public:
    // fieldCount is the number of fields in the report, hidden ones included: the title
    // spans that many columns.
    HtmlReportWriter(QIODevice& device, QList<ReportColumn> columns, QString title, int fieldCount);

    void begin() override;
    void row(const QStringList& cells) override;
    void totals(const QList<std::optional<QString>>& cells) override;
    void end() override;

    // & < > " and ' as entities; a line break inside a value as <br>; a character HTML
    // cannot carry (a NUL or another control character) left out.
    static QString escaped(const QString& text);

private:
    QString cell(qsizetype column, const QString& text) const;

    QString m_title;
    int m_fieldCount;
};
