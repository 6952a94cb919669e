#include "engine/internal/Snapshot.h"

#include "engine/Currency.h"
#include "engine/EngineError.h"
#include "engine/internal/Connection.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/Statement.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool isNullValue(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

std::optional<Currency> asCurrency(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>();
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return Currency::tryFromDouble(number);
}

// The comparison FindFirst makes: text without regard to case, amounts exactly,
// numbers by value whatever their C++ type, dates as dates.
bool valuesMatch(const QVariant& stored, const QVariant& wanted) {
    if (isNullValue(wanted))
        return isNullValue(stored);
    if (isNullValue(stored))
        return false;
    const QMetaType currency = QMetaType::fromType<Currency>();
    if (stored.metaType() == currency || wanted.metaType() == currency) {
        const auto left = asCurrency(stored);
        const auto right = asCurrency(wanted);
        return left && right && *left == *right;
    }
    if (stored.metaType().id() == QMetaType::QString ||
        wanted.metaType().id() == QMetaType::QString)
        return stored.toString().toCaseFolded() == wanted.toString().toCaseFolded();
    return QVariant::compare(stored, wanted) == QPartialOrdering::Equivalent;
}

} // namespace

Snapshot::Snapshot(std::shared_ptr<Connection> connection, const QString& sql,
                   const QVariantList& params)
    : m_conn(std::move(connection)) {
    Connection& conn = usable();
    m_stmt = conn.newStatement(sql);
    m_stmt->requireSingle();
    if (m_stmt->writes())
        throwEngineError(ErrorNumber::ReadOnly);
    m_stmt->bind(params);
    for (int column = 0; column < m_stmt->columnCount(); ++column) {
        const QString name = m_stmt->columnName(column);
        m_fields << name;
        // The first of two equal names wins, as with a query's Fields collection.
        const QString folded = name.toCaseFolded();
        if (!m_fieldIndex.contains(folded))
            m_fieldIndex.insert(folded, column);
    }
    restart();
}

Snapshot::~Snapshot() = default;

Connection& Snapshot::usable() const {
    if (m_closed || !m_conn)
        throwEngineError(ErrorNumber::InvalidObject);
    m_conn->checkOpen();
    return *m_conn;
}

int Snapshot::fieldIndex(const QString& field) const {
    QString name = field;
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    const int index = m_fieldIndex.value(name.toCaseFolded(), -1);
    if (index < 0)
        throwEngineError(ErrorNumber::FieldNotFound, field);
    return index;
}

bool Snapshot::isEmpty() const {
    return m_materialised ? m_rows.empty() : m_seen == 0;
}

void Snapshot::restart() {
    m_stmt->reset();
    if (m_stmt->step()) {
        m_pos = 0;
        m_seen = std::max<std::ptrdiff_t>(m_seen, 1);
        m_streamEnded = false;
    } else {
        m_stmt->reset();
        m_pos = 0;
        m_seen = 0;
        m_streamEnded = true;
    }
}

void Snapshot::materialise() {
    if (m_materialised)
        return;
    const std::ptrdiff_t at = m_pos;
    const bool ended = m_streamEnded;
    m_stmt->reset();
    m_rows.clear();
    while (m_stmt->step())
        m_rows.push_back(m_stmt->row());
    m_stmt->reset();
    m_materialised = true;
    const auto count = std::ptrdiff_t(m_rows.size());
    m_pos = ended ? count : std::min(at, count);
}

int Snapshot::recordCount() const {
    usable();
    return int(m_materialised ? std::ptrdiff_t(m_rows.size()) : m_seen);
}

bool Snapshot::bof() const {
    usable();
    return isEmpty() || m_pos < 0;
}

bool Snapshot::eof() const {
    usable();
    if (isEmpty())
        return true;
    return m_materialised ? m_pos >= std::ptrdiff_t(m_rows.size()) : m_streamEnded;
}

void Snapshot::moveFirst() {
    usable();
    if (isEmpty())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    if (m_materialised) {
        m_pos = 0;
        return;
    }
    // A report loop starts with MoveFirst on a fresh result: nothing to re-read then.
    if (m_pos == 0 && !m_streamEnded)
        return;
    restart();
}

void Snapshot::moveLast() {
    usable();
    if (isEmpty())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    materialise();
    if (m_rows.empty())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    m_pos = std::ptrdiff_t(m_rows.size()) - 1;
}

void Snapshot::moveNext() {
    usable();
    if (eof())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    if (m_materialised) {
        ++m_pos;
        return;
    }
    ++m_pos;
    if (m_stmt->step()) {
        m_seen = std::max(m_seen, m_pos + 1);
    } else {
        // Done with the statement: let go of its read at once.
        m_stmt->reset();
        m_streamEnded = true;
    }
}

void Snapshot::movePrevious() {
    usable();
    if (bof())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    materialise();
    --m_pos;
}

QStringList Snapshot::fieldNames() const {
    usable();
    return m_fields;
}

QVariant Snapshot::value(const QString& field) const {
    usable();
    const int index = fieldIndex(field);
    if (m_materialised) {
        if (m_pos < 0 || m_pos >= std::ptrdiff_t(m_rows.size()))
            throwEngineError(ErrorNumber::NoCurrentRecord);
        return m_rows[std::size_t(m_pos)].at(index);
    }
    if (m_streamEnded || m_pos < 0)
        throwEngineError(ErrorNumber::NoCurrentRecord);
    // The statement sits on the current row: only the fields asked for are converted.
    return m_stmt->value(index);
}

bool Snapshot::findFirst(const QString& field, const QVariant& value) {
    usable();
    const int index = fieldIndex(field);
    materialise();
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (valuesMatch(m_rows[row].at(index), value)) {
            m_pos = std::ptrdiff_t(row);
            m_noMatch = false;
            return true;
        }
    }
    m_noMatch = true;
    return false;
}

bool Snapshot::findFirstWhere(const QString&, const QVariantList&) {
    usable();
    throw EngineError(ErrorNumber::NotSupported,
                      QStringLiteral("Operation is not supported for this type of object."));
}

bool Snapshot::noMatch() const {
    usable();
    return m_noMatch;
}

void Snapshot::refuseWrite() const {
    usable();
    throwEngineError(ErrorNumber::ReadOnly);
}

void Snapshot::addNew() {
    refuseWrite();
}

void Snapshot::edit() {
    refuseWrite();
}

void Snapshot::setValue(const QString&, const QVariant&) {
    refuseWrite();
}

void Snapshot::update() {
    refuseWrite();
}

void Snapshot::deleteRecord() {
    refuseWrite();
}

void Snapshot::cancelUpdate() {
    usable();
    throwEngineError(ErrorNumber::UpdateWithoutAddNew);
}

bool Snapshot::isEditing() const {
    usable();
    return false;
}

void Snapshot::close() {
    m_closed = true;
    m_stmt.reset();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_conn.reset();
}
