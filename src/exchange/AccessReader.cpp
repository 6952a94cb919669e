#include "exchange/AccessReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

// glib first: mdbtools.h includes it inside its extern "C" block, where its C++ parts
// cannot be declared.
#include <glib.h>

#include <mdbtools.h>

using namespace Qt::StringLiterals;

struct AccessReader::Handle {
    MdbHandle* mdb = nullptr;
    MdbTableDef* table = nullptr;

    ~Handle() {
        if (table)
            mdb_free_tabledef(table);
        if (mdb)
            mdb_close(mdb);
    }

    MdbColumn* column(unsigned int index) const {
        return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
    }
};

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QList<MdbCatalogEntry*> userTables(MdbHandle* mdb) {
    QList<MdbCatalogEntry*> tables;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            tables << entry;
    }
    return tables;
}

template <class T> T littleEndian(const unsigned char* page, int start) {
    T value;
    std::memcpy(&value, page + start, sizeof value);
    return qFromLittleEndian(value);
}

// Text and memo values through libmdb's own conversion from the file's encodings to UTF-8.
SourceValue textValue(MdbHandle* mdb, const MdbColumn* column) {
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, column->cur_value_start, column->col_type,
                                   column->cur_value_len);
    if (!text)
        return {};
    const qsizetype bytes = qsizetype(std::strlen(text));
    QString value = QString::fromUtf8(text, bytes);
    g_free(text);
    // libmdb cuts what does not fit in its buffer; a value that fills it may have been cut.
    if (bytes >= AccessReader::LongestText - 4) {
        SourceValue v;
        v.kind = SourceValue::Kind::Unreadable;
        v.text = u"a text of more than %1 characters, which is not read"_s.arg(
            AccessReader::LongestText / 4);
        return v;
    }
    return SourceValue::ofText(std::move(value));
}

SourceValue storedValue(MdbHandle* mdb, const MdbColumn* column) {
    using Kind = SourceValue::Kind;
    // libmdb leaves the length 0 for a Null (and for an empty text, which is blank too).
    if (column->col_type != MDB_BOOL && column->cur_value_len == 0)
        return column->col_type == MDB_TEXT || column->col_type == MDB_MEMO
                   ? SourceValue::ofText(QString())
                   : SourceValue();
    const unsigned char* page = mdb->pg_buf;
    const int start = column->cur_value_start;
    switch (column->col_type) {
    case MDB_BYTE:
        return SourceValue::ofInteger(Kind::Integer, page[start]);
    case MDB_INT:
        return SourceValue::ofInteger(Kind::Integer, littleEndian<qint16>(page, start));
    case MDB_LONGINT:
        return SourceValue::ofInteger(Kind::Integer, littleEndian<qint32>(page, start));
    case MDB_MONEY:
        return SourceValue::ofInteger(Kind::Money, littleEndian<qint64>(page, start));
    case MDB_FLOAT:
        return SourceValue::ofReal(Kind::Real, double(mdb_get_single(mdb->pg_buf, start)));
    case MDB_DOUBLE:
        return SourceValue::ofReal(Kind::Real, mdb_get_double(mdb->pg_buf, start));
    case MDB_DATETIME:
        return SourceValue::ofReal(Kind::Date, mdb_get_double(mdb->pg_buf, start));
    case MDB_TEXT:
    case MDB_MEMO:
        return textValue(mdb, column);
    case MDB_NUMERIC: {
        // The decimal type, as exact decimal text.
        char* text = mdb_numeric_to_string(mdb, start, column->col_scale, column->col_prec);
        const QString value = QString::fromLatin1(text);
        g_free(text);
        return SourceValue::ofText(value);
    }
    case MDB_BOOL: {
        SourceValue v;
        v.kind = Kind::Boolean;
        return v;
    }
    default: {
        SourceValue v;
        v.kind = Kind::Binary;
        return v;
    }
    }
}

} // namespace

AccessReader::AccessReader(const QString& path, const QString& table)
    : m_handle(std::make_unique<Handle>()), m_path(path), m_table(table) {
    const QByteArray native = QFile::encodeName(path);
    m_handle->mdb = mdb_open(native.constData(), MDB_NOFLAGS);
    if (!m_handle->mdb)
        throw ImportError(
            u"The Access-format file '%1' cannot be opened: it is damaged, or of a kind the "
            u"reader does not know."_s.arg(shown(path)));
    mdb_set_bind_size(m_handle->mdb, LongestText);
    if (!mdb_read_catalog(m_handle->mdb, MDB_TABLE))
        throw ImportError(
            u"The tables of the Access-format file '%1' cannot be read: it is damaged."_s.arg(
                shown(path)));

    MdbCatalogEntry* found = nullptr;
    for (MdbCatalogEntry* entry : userTables(m_handle->mdb)) {
        if (QString::fromUtf8(entry->object_name).compare(table, Qt::CaseInsensitive) == 0) {
            found = entry;
            m_table = QString::fromUtf8(entry->object_name);
            break;
        }
    }
    if (!found) {
        const QStringList names = tables();
        throw ImportError(
            names.isEmpty()
                ? u"The Access-format file '%1' has no table %2; it has no tables at all."_s.arg(
                      shown(path), table)
                : u"The Access-format file '%1' has no table %2; its tables are: %3."_s.arg(
                      shown(path), table, names.join(u", "_s)));
    }
    m_handle->table = mdb_read_table(found);
    if (!m_handle->table || !mdb_read_columns(m_handle->table))
        throw ImportError(u"The table %1 of the Access-format file '%2' cannot be read: the "
                          u"file is damaged."_s.arg(m_table, shown(path)));
    mdb_rewind_table(m_handle->table);
}

AccessReader::~AccessReader() = default;

QStringList AccessReader::columns() const {
    QStringList names;
    for (unsigned int i = 0; i < m_handle->table->num_cols; ++i)
        names << QString::fromUtf8(m_handle->column(i)->name);
    return names;
}

bool AccessReader::next(Row& row) {
    if (!mdb_fetch_row(m_handle->table))
        return false;
    ++m_read;
    row.number = m_read;
    row.problem.clear();
    row.values.resize(m_handle->table->num_cols);
    for (unsigned int i = 0; i < m_handle->table->num_cols; ++i)
        row.values[i] = storedValue(m_handle->mdb, m_handle->column(i));
    return true;
}

qint64 AccessReader::size() const {
    return m_handle->table->num_rows;
}

QString AccessReader::description() const {
    return u"table %1 of the Access-format file '%2'"_s.arg(m_table, shown(m_path));
}

QStringList AccessReader::tables() const {
    QStringList names;
    for (MdbCatalogEntry* entry : userTables(m_handle->mdb))
        names << QString::fromUtf8(entry->object_name);
    return names;
}

QString AccessReader::formatName() const {
    switch (m_handle->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return u"Jet 3"_s;
    case MDB_VER_JET4:
        return u"Jet 4"_s;
    default:
        return u"ACE"_s;
    }
}

bool AccessReader::isAccessFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    // The first page begins with its kind (0, 1, 0, 0) and the engine's name.
    return head.size() == 20 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}
