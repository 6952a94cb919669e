#include "exchange/ImportSource.h"

#include "exchange/AccessReader.h"
#include "exchange/CsvReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// A CSV file read whole, its rows as text under the heading line.
class CsvSource final : public ImportSource {
public:
    CsvSource(const QString& path, const QByteArray& bytes) : m_path(path), m_reader(bytes) {}

    QStringList columns() const override {
        QStringList names;
        for (const QString& name : m_reader.heading())
            names << name.trimmed();
        return names;
    }

    bool next(Row& row) override {
        if (!m_reader.next(m_fields))
            return false;
        row.number = m_reader.rowNumber();
        const qsizetype expected = m_reader.heading().size();
        row.problem = m_fields.size() == expected
                          ? QString()
                          : u"it has %1 fields where the heading line has %2"_s.arg(m_fields.size())
                                .arg(expected);
        row.values.resize(m_fields.size());
        for (qsizetype i = 0; i < m_fields.size(); ++i)
            row.values[i] = SourceValue::ofText(m_fields.at(i));
        return true;
    }

    qint64 position() const override { return m_reader.position(); }
    qint64 size() const override { return m_reader.size(); }
    QString description() const override { return u"the CSV file '%1'"_s.arg(shown(m_path)); }

private:
    QString m_path;
    CsvReader m_reader;
    QStringList m_fields;
};

} // namespace

std::unique_ptr<ImportSource> openImportSource(const QString& path, const QString& table) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ImportError(u"There is no file '%1'."_s.arg(shown(path)));
    // A pipe or a device would be waited on, or read only once.
    if (!info.isFile())
        throw ImportError(u"'%1' is not a file that can be imported."_s.arg(shown(path)));
    if (AccessReader::isAccessFile(path))
        return std::make_unique<AccessReader>(path, table.isEmpty() ? u"pvx"_s : table);
    if (!table.isEmpty())
        throw ImportError(u"'%1' is not an Access-format database, so it has no tables to "
                          u"choose from; a CSV file is imported whole."_s.arg(shown(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(
            u"The file '%1' cannot be read: %2"_s.arg(shown(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ImportError(
            u"The file '%1' cannot be read: %2"_s.arg(shown(path), file.errorString()));
    try {
        return std::make_unique<CsvSource>(path, bytes);
    } catch (const ImportError& error) {
        throw ImportError(u"%1: %2"_s.arg(shown(path), error.message()));
    }
}
