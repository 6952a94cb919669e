#include "engine/internal/Dynaset.h"

#include "engine/EngineError.h"
#include "engine/SqlText.h"
#include "engine/internal/Connection.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/Statement.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <limits>

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
    parseOrder(orderBy);

    {
        StatementLease highest =
            conn.prepared(QStringLiteral("SELECT max(%1) FROM %2").arg(m_key, m_table));
        highest->bind({});
        const bool any = highest->step() && !highest->value(0).isNull();
        m_openedHighestKey =
            any ? highest->int64Value(0) : std::numeric_limits<std::int64_t>::min();
    }
    if (const auto first = seek(nullptr, true)) {
        m_anchor = *first;
        m_where = Where::OnOrdered;
    }
}

// The order is one column, or the key, either way up: what the forms sort by, and what one
// index search can continue from. Anything else is refused rather than paged wrongly.
void Dynaset::parseOrder(const QString& orderBy) {
    const QStringList words = orderBy.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const bool directionGiven =
        words.size() == 2 && (words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0 ||
                              words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0);
    if (words.size() > 2 || (words.size() == 2 && !directionGiven) ||
        words[0].contains(QLatin1Char(',')))
        throw EngineError(ErrorNumber::NotSupported,
                          QStringLiteral("A dynaset is sorted by one field: '%1'").arg(orderBy));
    m_descending =
        directionGiven && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    const int index = fieldIndex(words[0]);
    if (index != m_keyIndex)
        m_sortColumn = quoteIdentifier(m_fields.at(index));
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

// The columns of a search: the whole row, which becomes the cached current row, so that a
// move is one statement; then the sort value again, through COALESCE so that it comes back
// as stored, not converted for display, and binds again to exactly the value the next
// search starts from.
QString Dynaset::searchColumns() const {
    return QStringLiteral("*, COALESCE(%1, NULL)")
        .arg(m_sortColumn.isEmpty() ? m_key : m_sortColumn);
}

Dynaset::Anchor Dynaset::takeRow(const Statement& search) const {
    m_row = search.row();
    const QVariant sortValue = m_row.takeLast();
    m_rowKey = search.int64Value(m_keyIndex);
    m_rowValid = true;
    return Anchor{sortValue, m_rowKey};
}

namespace {

enum class Ordering { KeyUp, KeyDown, AllUp, AllDown };

// The searches a move is made of: %1 is the sort column, %2 the key.
struct SearchShape {
    const char* condition;
    Ordering ordering;
};

constexpr SearchShape searchShapes[] = {
    {"", Ordering::KeyUp},                        // FirstByKey
    {"", Ordering::KeyDown},                      // LastByKey
    {"%2 > ?", Ordering::KeyUp},                  // KeyAfter
    {"%2 < ?", Ordering::KeyDown},                // KeyBefore
    {"%1 IS NULL", Ordering::KeyUp},              // FirstWithout
    {"%1 IS NULL", Ordering::KeyDown},            // LastWithout
    {"%1 IS NOT NULL", Ordering::AllUp},          // FirstWith
    {"%1 IS NOT NULL", Ordering::AllDown},        // LastWith
    {"%1 IS NULL AND %2 > ?", Ordering::KeyUp},   // WithoutAfter
    {"%1 IS NULL AND %2 < ?", Ordering::KeyDown}, // WithoutBefore
    {"%1 = ? AND %2 > ?", Ordering::KeyUp},       // AlikeAfter
    {"%1 = ? AND %2 < ?", Ordering::KeyDown},     // AlikeBefore
    {"%1 > ?", Ordering::AllUp},                  // Above
    {"%1 < ?", Ordering::AllDown},                // Below
};
static_assert(std::size(searchShapes) == Dynaset::SearchCount);

} // namespace

// Each search's text is made once: a move is then one cached statement found by its text.
const QString& Dynaset::searchSql(Search search) const {
    QString& sql = m_searchSql[search];
    if (!sql.isEmpty())
        return sql;
    const SearchShape& shape = searchShapes[search];
    QStringList where;
    if (*shape.condition)
        where << QString::fromLatin1(shape.condition)
                     .replace(QLatin1String("%1"), m_sortColumn)
                     .replace(QLatin1String("%2"), m_key);
    // The unary plus keeps the planner from reading this bound as a range of keys to search
    // by (which, with statistics at hand, it may prefer, then sort every row it finds).
    where << QStringLiteral("+") + m_key + QStringLiteral(" <= ?");
    QString order;
    switch (shape.ordering) {
    case Ordering::KeyUp:
        order = m_key;
        break;
    case Ordering::KeyDown:
        order = m_key + QStringLiteral(" DESC");
        break;
    case Ordering::AllUp:
    case Ordering::AllDown:
        order = orderClause(shape.ordering == Ordering::AllUp);
        break;
    }
    sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
              .arg(searchColumns(), m_table, where.join(QStringLiteral(" AND ")), order);
    return sql;
}

// The first row of the opened table's order that the search finds.
std::optional<Dynaset::Anchor> Dynaset::pick(Search search, const QVariant& first,
                                             const QVariant& second) const {
    QVariantList values;
    for (const QVariant* value : {&first, &second})
        if (value->isValid())
            values << *value;
    values << keyVariant(m_openedHighestKey);
    StatementLease statement = m_conn->prepared(searchSql(search));
    statement->bind(values);
    if (!statement->step())
        return std::nullopt;
    return takeRow(*statement);
}

// "Up" is the way the file sorts: rows without a sort value first, then by value, alike
// values by key. Each search below is one index range, so that no search sorts or scans.
// A missing sort value has searches of its own, so a value passed to pick() is never Null.
std::optional<Dynaset::Anchor> Dynaset::seek(const Anchor* from, bool forward) const {
    const bool up = forward != m_descending;
    const QVariant fromKey = from ? keyVariant(from->key) : QVariant();
    if (m_sortColumn.isEmpty()) {
        if (!from)
            return pick(up ? FirstByKey : LastByKey);
        return pick(up ? KeyAfter : KeyBefore, fromKey);
    }
    if (up) {
        if (!from) {
            if (auto row = pick(FirstWithout))
                return row;
            return pick(FirstWith);
        }
        if (from->sortValue.isNull()) {
            if (auto row = pick(WithoutAfter, fromKey))
                return row;
            return pick(FirstWith);
        }
        if (auto row = pick(AlikeAfter, from->sortValue, fromKey))
            return row;
        return pick(Above, from->sortValue);
    }
    if (!from) {
        if (auto row = pick(LastWith))
            return row;
        return pick(LastWithout);
    }
    if (from->sortValue.isNull())
        return pick(WithoutBefore, fromKey);
    if (auto row = pick(AlikeBefore, from->sortValue, fromKey))
        return row;
    if (auto row = pick(Below, from->sortValue))
        return row;
    return pick(LastWithout);
}

// The whole order up or down. SQLite sorts rows without a value first going up and last going
// down, as the searches above expect; a server that sorts them otherwise needs NULLS FIRST
// (or LAST) here.
QString Dynaset::orderClause(bool up) const {
    if (m_sortColumn.isEmpty())
        return up ? m_key : m_key + QStringLiteral(" DESC");
    return up ? QStringLiteral("%1, %2").arg(m_sortColumn, m_key)
              : QStringLiteral("%1 DESC, %2 DESC").arg(m_sortColumn, m_key);
}

bool Dynaset::hasCurrent() const {
    return !m_onDeleted && (m_where == Where::OnOrdered || m_where == Where::OnAdded);
}

std::int64_t Dynaset::currentKey() const {
    if (!hasCurrent())
        throwEngineError(ErrorNumber::NoCurrentRecord);
    return m_where == Where::OnAdded ? m_added[m_addedIndex] : m_anchor.key;
}

const QVariantList& Dynaset::currentRow() const {
    const std::int64_t key = currentKey();
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

bool Dynaset::isEmpty() const {
    return m_added.empty() && !seek(nullptr, true);
}

// Whether a row follows the deleted current row.
bool Dynaset::hasFollower() const {
    if (m_where == Where::OnAdded)
        return m_addedIndex < m_added.size();
    return !m_added.empty() || seek(&m_anchor, true).has_value();
}

// Counted when asked, not kept: the forms ask only whether there are records (BOF and EOF
// together), and a count reads a whole index.
int Dynaset::recordCount() const {
    Connection& conn = usable();
    std::int64_t all = 0;
    {
        StatementLease count =
            conn.prepared(QStringLiteral("SELECT count(*) FROM %1").arg(m_table));
        count->bind({});
        if (count->step())
            all = count->int64Value(0);
    }
    // Rows given keys since opening are not (yet) this recordset's, except those it added.
    StatementLease later =
        conn.prepared(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 > ?").arg(m_table, m_key));
    later->bind({keyVariant(m_openedHighestKey)});
    const std::int64_t arrived = later->step() ? later->int64Value(0) : 0;
    return int(all - arrived + std::int64_t(m_added.size()));
}

bool Dynaset::bof() const {
    usable();
    if (hasCurrent())
        return false;
    return m_where == Where::BeforeFirst || isEmpty();
}

bool Dynaset::eof() const {
    usable();
    if (hasCurrent())
        return false;
    if (m_onDeleted)
        return !hasFollower();
    return m_where == Where::AfterLast || isEmpty();
}

void Dynaset::goFirst() {
    if (const auto first = seek(nullptr, true)) {
        m_anchor = *first;
        m_where = Where::OnOrdered;
    } else if (!m_added.empty()) {
        m_addedIndex = 0;
        m_where = Where::OnAdded;
    } else {
        throwEngineError(ErrorNumber::NoCurrentRecord);
    }
}

void Dynaset::goLast() {
    if (!m_added.empty()) {
        m_addedIndex = m_added.size() - 1;
        m_where = Where::OnAdded;
    } else if (const auto last = seek(nullptr, false)) {
        m_anchor = *last;
        m_where = Where::OnOrdered;
    } else {
        throwEngineError(ErrorNumber::NoCurrentRecord);
    }
}

// From the current (or just deleted) row to the one after it, or past the end.
void Dynaset::stepForward() {
    if (m_where == Where::OnAdded) {
        if (!m_onDeleted)
            ++m_addedIndex;
        if (m_addedIndex >= m_added.size())
            m_where = Where::AfterLast;
        return;
    }
    if (const auto next = seek(&m_anchor, true)) {
        m_anchor = *next;
    } else if (!m_added.empty()) {
        m_addedIndex = 0;
        m_where = Where::OnAdded;
    } else {
        m_where = Where::AfterLast;
    }
}

void Dynaset::stepBackward() {
    if (m_where == Where::OnAdded && m_addedIndex > 0) {
        --m_addedIndex;
        return;
    }
    const auto previous = m_where == Where::OnAdded ? seek(nullptr, false) : seek(&m_anchor, false);
    if (previous) {
        m_anchor = *previous;
        m_where = Where::OnOrdered;
    } else {
        m_where = Where::BeforeFirst;
    }
}

// goFirst and goLast change nothing when they find no row, so an unsaved edit survives a
// move refused on an empty recordset.
void Dynaset::moveFirst() {
    usable();
    goFirst();
    leaveRow();
}

void Dynaset::moveLast() {
    usable();
    goLast();
    leaveRow();
}

void Dynaset::moveNext() {
    usable();
    if (m_onDeleted) {
        stepForward();
        leaveRow();
        return;
    }
    if (m_where == Where::AfterLast)
        throwEngineError(ErrorNumber::NoCurrentRecord);
    if (m_where == Where::BeforeFirst)
        goFirst();
    else
        stepForward();
    leaveRow();
}

void Dynaset::movePrevious() {
    usable();
    if (m_onDeleted) {
        stepBackward();
        leaveRow();
        return;
    }
    if (m_where == Where::BeforeFirst)
        throwEngineError(ErrorNumber::NoCurrentRecord);
    if (m_where == Where::AfterLast)
        goLast();
    else
        stepBackward();
    leaveRow();
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

// The first match in the opened table's order is one search along that order; only when
// none of those rows matches are the rows added since opening tried, in the order added.
bool Dynaset::findFirstWhere(const QString& condition, const QVariantList& params) {
    Connection& conn = usable();
    m_mode = EditMode::None;
    std::optional<Anchor> found;
    std::optional<std::size_t> foundAdded;
    {
        StatementLease find = conn.prepared(
            QStringLiteral("SELECT %1 FROM %2 WHERE (%3) AND +%4 <= ? "
                           "ORDER BY %5 LIMIT 1")
                .arg(searchColumns(), m_table, condition, m_key, orderClause(!m_descending)));
        find->requireSingle();
        QVariantList values = params;
        values << keyVariant(m_openedHighestKey);
        find->bind(values);
        if (find->step())
            found = takeRow(*find);
    }
    if (!found && !m_added.empty()) {
        StatementLease find = conn.prepared(QStringLiteral("SELECT 1 FROM %1 WHERE (%2) AND %3 = ?")
                                                .arg(m_table, condition, m_key));
        for (std::size_t i = 0; i < m_added.size() && !foundAdded; ++i) {
            QVariantList values = params;
            values << keyVariant(m_added[i]);
            find->bind(values);
            if (find->step())
                foundAdded = i;
        }
    }
    // Without a match the current record stays where it was, so the form and the
    // recordset never disagree about what is shown.
    if (!found && !foundAdded) {
        m_noMatch = true;
        return false;
    }
    leaveRow();
    if (found) {
        m_anchor = *found;
        m_where = Where::OnOrdered;
    } else {
        m_addedIndex = *foundAdded;
        m_where = Where::OnAdded;
    }
    m_noMatch = false;
    return true;
}

bool Dynaset::noMatch() const {
    usable();
    return m_noMatch;
}

// The backend hands out the key, so that two users adding at once never get the same one.
std::int64_t Dynaset::nextKey() {
    // Keys handed out here stay above those the dynaset opened with, even where the table
    // would reuse the key of a deleted last row, so an added row is never also taken for one
    // of the opened rows.
    return std::max(usable().nextKey(plainName(m_table), plainName(m_key)), m_openedHighestKey + 1);
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
    try {
        m_buffer = currentRow();
    } catch (const EngineError& error) {
        // Where other users share the table, a row gone since it was shown is their Delete
        // winning, told as at Update, not a failure that ends the program.
        if (m_versionIndex < 0 || error.number() != ErrorNumber::NoCurrentRecord || !hasCurrent())
            throw;
        m_rowValid = false;
        throw EngineError(ErrorNumber::RecordChanged,
                          QStringLiteral("This record no longer exists: another user deleted "
                                         "it.  Nothing was saved."));
    }
    m_changed.assign(std::size_t(m_fields.size()), false);
    m_bufferKey = currentKey();
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
        // AddNew leaves the current record where it was; past the end stays past the end.
        m_added.push_back(m_bufferKey);
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
    // The edited row is found by what it holds now, so the next move goes on from its new
    // place in the order and never comes back over the row itself.
    if (!columns.isEmpty() && m_where == Where::OnOrdered && m_anchor.key == m_bufferKey &&
        !m_sortColumn.isEmpty()) {
        StatementLease reread = conn.prepared(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(searchColumns(), m_table, m_key));
        reread->bind({keyVariant(m_bufferKey)});
        if (reread->step())
            m_anchor = takeRow(*reread);
    }
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
    const std::int64_t key = currentKey();
    conn.takeInjectedWriteFailure();
    {
        StatementLease remove =
            conn.prepared(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_key));
        remove->bind({keyVariant(key)});
        remove->step();
    }
    // Where other users share the table, the row may have gone before this Delete came.
    const bool goneBefore = m_versionIndex >= 0 && conn.changes() == 0;
    // An added row leaves the list, so that m_addedIndex names the row that followed it;
    // an opened row keeps its place in the order as the point to move on from.
    if (m_where == Where::OnAdded)
        m_added.erase(m_added.begin() + std::ptrdiff_t(m_addedIndex));
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
    m_added.clear();
    m_conn.reset();
}
