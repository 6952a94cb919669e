#pragma once

#include "exchange/SourceValue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

// A source that cannot be read at all: not there, not readable, not UTF-8, an Access file
// libmdb cannot open, a table it does not have. The text is fit to show as it is.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The rows of a table to import, front to back: a CSV file under its heading line, or one
// table of an Access-format database.
class ImportSource {
public:
    struct Row {
        QList<SourceValue> values; // one for each column
        // How the user finds the row: the spreadsheet's row number for a CSV file (the
        // heading line is row 1), the record's position in the table for an Access file.
        qint64 number = 0;
        // Why the row cannot be taken as it is (a CSV line with more or fewer fields than
        // the heading); empty when it can.
        QString problem;
    };

    virtual ~ImportSource() = default;

    // The names of the columns, as the heading line or the table gives them.
    virtual QStringList columns() const = 0;
    // Reads the next row; false at the end. Throws ImportError when the rest of the source
    // cannot be read.
    virtual bool next(Row& row) = 0;
    // How far the reading has got and how far it goes, in a unit of the source's own
    // (bytes, records); for a progress bar.
    virtual qint64 position() const = 0;
    virtual qint64 size() const = 0;
    // What the source is, for messages: "the CSV file", "table pvx of the Access file".
    virtual QString description() const = 0;
};

// Opens FILE for import: an Access-format database (Jet 3, Jet 4, ACE) by its first bytes,
// whatever its name, read from `table` ("pvx" when empty); anything else as CSV, where a
// table name is refused. Only reads. Throws ImportError.
std::unique_ptr<ImportSource> openImportSource(const QString& path, const QString& table = {});
