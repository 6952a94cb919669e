#pragma once

#include "exchange/ImportSource.h"

#include <QString>
#include <QStringList>

#include <memory>

// Reads one table of an Access-format database (Jet 3 and Jet 4 .mdb, ACE .accdb) with
// libmdb, the library of the mdbtools project, opened for reading only. Values come as they
// are stored: dates as the stored number of days, never libmdb's text for them (which it
// writes as "1900-01-00" for dates it cannot place), currency as its ten-thousandths, text
// and memos as UTF-8.
class AccessReader final : public ImportSource {
public:
    // Throws ImportError when the file cannot be opened or has no table of that name (case
    // ignored); the message then lists the tables it has.
    AccessReader(const QString& path, const QString& table);
    ~AccessReader() override;
    AccessReader(const AccessReader&) = delete;
    AccessReader& operator=(const AccessReader&) = delete;

    QStringList columns() const override;
    bool next(Row& row) override;
    qint64 position() const override { return m_read; }
    qint64 size() const override;
    QString description() const override;

    // The tables of the file a user made (not Access's own), in the file's order.
    QStringList tables() const;
    // "Jet 3", "Jet 4" or "ACE".
    QString formatName() const;

    // Whether the file begins as an Access-format database does. Reads its first bytes only.
    static bool isAccessFile(const QString& path);

    // The longest text or memo value read; a longer one is refused rather than cut.
    static constexpr qsizetype LongestText = 1 << 20;

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    QString m_path;
    QString m_table;
    qint64 m_read = 0;
};
