#pragma once

#include <QString>

class QIODevice;

// Writes CSV as RFC 4180 has it and spreadsheets read it: UTF-8, fields separated by commas,
// lines ending in CR LF; a field holding the separator, a quote or a line break is written in
// quotes, with its quotes doubled, and every other field as it is.
class CsvWriter {
public:
    explicit CsvWriter(QIODevice& device) : m_device(device) {}

    void field(const QString& text);
    void endRecord();
    // Writes what is kept so far; false when the device refused it.
    bool flush();

    // The field as it is written.
    static QString quoted(const QString& text);

private:
    QIODevice& m_device;
    QString m_buffer;
    bool m_lineStart = true;
    bool m_failed = false;
};
