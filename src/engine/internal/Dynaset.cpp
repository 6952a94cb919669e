#include "engine/internal/Dynaset.h"

#include "engine/EngineError.h"
#include "engine/SqlText.h"
#include "engine/internal/Connection.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/Statement.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

namespace {

bool isQuoted(const QString& name) {
    return name.startsWith(QLatin1Char('"')) || name.startsWith(QLatin1Char('[')) ||
           name.startsWith(QLatin1Char('`'));
}

QString sqlName(const QString& name) {
    return isQuoted(name) ? name : quoteIdentifier(name);
}

QString plainName(const QString& name) {
    if (isQuoted(name) && name.size() >= 2)
        return name.mid(1, name.size() - 2);
    return name;
}

QVariant keyVariant(std::int64_t key) {
    if (key >= INT_MIN && key <= INT_MAX)
        return QVariant(int(key));
    return QVariant(qlonglong(key));
}

// Keys of real tables are small positive counters, so a bitmap over their range is the
// fastest membership test; a hash set covers keys spread too widely for one.
class KeySet {
public:
    explicit KeySet(const std::vector<std::int64_t>& keys) {
        const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
        m_low = *low;
        const auto span = static_cast<unsigned long long>(*high - *low);
        if (span < 64ULL * 1024 * 1024) {
            m_bits.assign(span + 1, false);
            for (const std::int64_t key : keys)
                m_bits[std::size_t(key - m_low)] = true;
        } else {
            m_hashed.insert(keys.begin(), keys.end());
        }
    }
    bool contains(std::int64_t key) const {
        if (!m_bits.empty()) {
            if (key < m_low)
                return false;
            const auto offset = static_cast<unsigned long long>(key - m_low);
            return offset < m_bits.size() && m_bits[std::size_t(offset)];
        }
        return m_hashed.count(key) != 0;
    }

private:
    std::int64_t m_low = 0;
    std::vector<bool> m_bits;
    std::unordered_set<std::int64_t> m_hashed;
};

} // namespace

Dynaset::Dynaset(std::shared_ptr<Connection> connection, const QString& table,
                 const QString& orderBy, const QString& keyColumn)
    : m_conn(std::move(connection)), m_table(sqlName(table)), m_key(sqlName(keyColumn)) {
    Connection& conn = usable();
    m_fetchSql = QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(m_table, m_key);
    {
        StatementLease fetch = conn.prepared(m_fetchSql);
        for (int column = 0; column < fetch->columnCount(); ++column) {
            const QString name = fetch->columnName(column);
            m_fields << name;
            m_fieldIndex.insert(name.toCaseFolded(), column);
        }
    }
    m_keyIndex = m_fieldIndex.value(plainName(keyColumn).toCaseFolded(), -1);
    if (m_keyIndex < 0)
        throwEngineError(ErrorNumber::FieldNotFound, plainName(keyColumn));
    m_versionIndex = m_fieldIndex.value(QStringLiteral("rowversion"), -1);

    // Read once and not cached: the keys are the one large read of a dynaset.
    const std::unique_ptr<Statement> keys =
        conn.newStatement(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                              .arg(m_key, m_table, orderBy.isEmpty() ? m_key : orderBy));
    keys->bind({});
    while (keys->step())
        m_keys.push_back(keys->int64Value(0));
    m_pos = m_keys.empty() ? -1 : 0;
}

Connection& Dynaset::usable() const {
    if (m_closed || !m_conn)
        throwEngineError(ErrorNumber::InvalidObject);
    m_conn->checkOpen();
    return *m_conn;
}

int Dynaset::fieldIndex(const QString& field) const {
    const int index = m_fieldIndex.value(plainName(field).toCaseFolded(), -1);
    if (index < 0)
        throwEngineError(ErrorNumber::FieldNotFound, field);
    return index;
}

bool Dynaset::hasCurrent() const {
    return !m_onDeleted && m_pos >= 0 && m_pos < std::ptrdiff_t(m_keys.size());
}

const QVariantList& Dynaset::currentRow() const {
    if (!hasCurrent())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    const std::int64_t key = m_keys[std::size_t(m_pos)];
    if (m_rowValid && m_rowKey == key)
        return m_row;
    StatementLease fetch = m_conn->prepared(m_fetchSql);
    fetch->bind({keyVariant(key)});
    // The row was removed behind this recordset's back (by plain SQL): it has no record here.
    if (!fetch->step())
        throw EngineError(ErrorNumber::NoCurrentRecord,
                          QStringLiteral("No current record.  The record has been deleted."));
    m_row = fetch->row();
    m_rowKey = key;
    m_rowValid = true;
    return m_row;
}

// Moving discards an unsaved AddNew or Edit, as the forms expect of their recordset.
void Dynaset::leaveRow() {
    m_mode = EditMode::None;
    m_onDeleted = false;
}

int Dynaset::recordCount() const {
    usable();
    return int(m_keys.size());
}

bool Dynaset::bof() const {
    usable();
    return m_keys.empty() || m_pos < 0;
}

bool Dynaset::eof() const {
    usable();
    return m_keys.empty() || m_pos >= std::ptrdiff_t(m_keys.size());
}

void Dynaset::moveFirst() {
    usable();
    if (m_keys.empty())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    leaveRow();
    m_pos = 0;
}

void Dynaset::moveLast() {
    usable();
    if (m_keys.empty())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    leaveRow();
    m_pos = std::ptrdiff_t(m_keys.size()) - 1;
}

void Dynaset::moveNext() {
    usable();
    if (m_onDeleted) {
        // The deleted row's follower already sits at m_pos.
        leaveRow();
        return;
    }
    if (m_keys.empty() || m_pos >= std::ptrdiff_t(m_keys.size()))
        throwEngineError(ErrorNumber::NoCurrentRecord);
    leaveRow();
    ++m_pos;
}

void Dynaset::movePrevious() {
    usable();
    if (m_onDeleted) {
        leaveRow();
        --m_pos;
        return;
    }
    if (m_keys.empty() || m_pos < 0)
        throwEngineError(ErrorNumber::NoCurrentRecord);
    leaveRow();
    --m_pos;
}

QStringList Dynaset::fieldNames() const {
    usable();
    return m_fields;
}

QVariant Dynaset::value(const QString& field) const {
    usable();
    const int index = fieldIndex(field);
    if (m_mode != EditMode::None)
        return m_buffer.at(index);
    return currentRow().at(index);
}

bool Dynaset::findFirst(const QString& field, const QVariant& value) {
    usable();
    const QString column = quoteIdentifier(m_fields.at(fieldIndex(field)));
    if (!value.isValid() || value.isNull())
        return findFirstWhere(column + QStringLiteral(" IS NULL"));
    const int type = value.metaType().id();
    if (type == QMetaType::QString || type == QMetaType::QChar)
        return findFirstWhere(QStringLiteral("pvx_fold(%1) = pvx_fold(?)").arg(column), {value});
    return findFirstWhere(column + QStringLiteral(" = ?"), {value});
}

bool Dynaset::findFirstWhere(const QString& condition, const QVariantList& params) {
    Connection& conn = usable();
    m_mode = EditMode::None;
    std::vector<std::int64_t> matches;
    {
        StatementLease find = conn.prepared(
            QStringLiteral("SELECT %1 FROM %2 WHERE (%3)").arg(m_key, m_table, condition));
        find->requireSingle();
        find->bind(params);
        while (find->step())
            matches.push_back(find->int64Value(0));
    }
    return moveToFirstOf(matches);
}

// The matching keys come in table order; the first of them in recordset order is found
// by one pass over the keyset that stops at the first hit.
bool Dynaset::moveToFirstOf(const std::vector<std::int64_t>& matches) {
    std::ptrdiff_t found = -1;
    if (matches.size() == 1) {
        const auto it = std::find(m_keys.begin(), m_keys.end(), matches.front());
        if (it != m_keys.end())
            found = it - m_keys.begin();
    } else if (!matches.empty()) {
        const KeySet wanted(matches);
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            if (wanted.contains(m_keys[i])) {
                found = std::ptrdiff_t(i);
                break;
            }
        }
    }
    // Without a match the current record stays where it was, so the form and the
    // recordset never disagree about what is shown.
    if (found < 0) {
        m_noMatch = true;
        return false;
    }
    leaveRow();
    m_pos = found;
    m_noMatch = false;
    return true;
}

bool Dynaset::noMatch() const {
    usable();
    return m_noMatch;
}

// The backend hands out the key, so that two users adding at once never get the same one.
std::int64_t Dynaset::nextKey() {
    return usable().nextKey(plainName(m_table), plainName(m_key));
}

void Dynaset::addNew() {
    usable();
    const std::int64_t key = nextKey();
    m_buffer = QVariantList(m_fields.size());
    m_changed.assign(std::size_t(m_fields.size()), false);
    m_bufferKey = key;
    m_buffer[m_keyIndex] = keyVariant(key);
    m_mode = EditMode::Adding;
}

void Dynaset::edit() {
    usable();
    m_buffer = currentRow();
    m_changed.assign(std::size_t(m_fields.size()), false);
    m_bufferKey = m_keys[std::size_t(m_pos)];
    m_mode = EditMode::Editing;
}

void Dynaset::setValue(const QString& field, const QVariant& value) {
    usable();
    const int index = fieldIndex(field);
    if (m_mode == EditMode::None)
        throwEngineError(ErrorNumber::UpdateWithoutAddNew);
    if (index == m_keyIndex)
        throw EngineError(ErrorNumber::ReadOnly,
                          QStringLiteral("Field '%1' cannot be updated; the database assigns it.")
                              .arg(m_fields.at(index)));
    m_buffer[index] = value;
    m_changed[std::size_t(index)] = true;
}

void Dynaset::update() {
    Connection& conn = usable();
    if (m_mode == EditMode::None)
        throwEngineError(ErrorNumber::UpdateWithoutAddNew);
    conn.takeInjectedWriteFailure();

    QStringList columns;
    QVariantList params;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_changed[std::size_t(i)]) {
            columns << quoteIdentifier(m_fields.at(i));
            params << m_buffer.at(i);
        }
    }

    if (m_mode == EditMode::Adding) {
        columns.prepend(m_key);
        params.prepend(keyVariant(m_bufferKey));
        const QStringList marks(columns.size(), QStringLiteral("?"));
        StatementLease insert = conn.prepared(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                  .arg(m_table, columns.join(QStringLiteral(", ")),
                                                       marks.join(QStringLiteral(", "))));
        insert->bind(params);
        insert->step();
        const auto countBefore = std::ptrdiff_t(m_keys.size());
        m_keys.push_back(m_bufferKey);
        // AddNew leaves the current record where it was; past the end stays past the end.
        if (!m_onDeleted && m_pos >= countBefore)
            m_pos = countBefore + 1;
        m_mode = EditMode::None;
        return;
    }

    if (!columns.isEmpty()) {
        for (QString& column : columns)
            column += QStringLiteral(" = ?");
        params << keyVariant(m_bufferKey);
        QString where = m_key + QStringLiteral(" = ?");
        if (m_versionIndex >= 0) {
            const QString version = quoteIdentifier(m_fields.at(m_versionIndex));
            columns << QStringLiteral("%1 = %1 + 1").arg(version);
            where += QStringLiteral(" AND %1 = ?").arg(version);
            params << m_buffer.at(m_versionIndex);
        }
        StatementLease change =
            conn.prepared(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                              .arg(m_table, columns.join(QStringLiteral(", ")), where));
        change->bind(params);
        change->step();
        if (conn.changes() == 0) {
            if (m_versionIndex < 0)
                throw EngineError(
                    ErrorNumber::NoCurrentRecord,
                    QStringLiteral("No current record.  The record has been deleted."));
            refuseChangedRow();
        }
    }
    m_rowValid = false;
    m_mode = EditMode::None;
}

// Another user's Update or Delete came first. The edit stays open with what this user set,
// now over the row as it is, so that an Update again writes it knowingly.
void Dynaset::refuseChangedRow() {
    m_rowValid = false;
    StatementLease current = m_conn->prepared(m_fetchSql);
    current->bind({keyVariant(m_bufferKey)});
    if (!current->step())
        throw EngineError(ErrorNumber::RecordChanged,
                          QStringLiteral("This record no longer exists: another user deleted it "
                                         "after you started editing it.  Nothing was saved."));
    m_buffer[m_versionIndex] = current->value(m_versionIndex);
    throw EngineError(ErrorNumber::RecordChanged,
                      QStringLiteral("This record was changed by another user after you started "
                                     "editing it.  Your changes were not saved and are still on "
                                     "the form: click Update to save them over the other user's, "
                                     "or Cancel to see the record as it is now."));
}

void Dynaset::cancelUpdate() {
    usable();
    if (m_mode == EditMode::None)
        throwEngineError(ErrorNumber::UpdateWithoutAddNew);
    m_mode = EditMode::None;
}

void Dynaset::deleteRecord() {
    Connection& conn = usable();
    if (!hasCurrent())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    conn.takeInjectedWriteFailure();
    const std::int64_t key = m_keys[std::size_t(m_pos)];
    {
        StatementLease remove =
            conn.prepared(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_key));
        remove->bind({keyVariant(key)});
        remove->step();
    }
    // Where other users share the table, the row may have gone before this Delete came.
    const bool goneBefore = m_versionIndex >= 0 && conn.changes() == 0;
    m_keys.erase(m_keys.begin() + m_pos);
    m_mode = EditMode::None;
    m_onDeleted = true;
    m_rowValid = false;
    if (goneBefore)
        throw EngineError(ErrorNumber::RecordChanged,
                          QStringLiteral("This record no longer exists: another user deleted it."));
}

bool Dynaset::isEditing() const {
    usable();
    return m_mode != EditMode::None;
}

void Dynaset::close() {
    m_closed = true;
    m_mode = EditMode::None;
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_conn.reset();
}
