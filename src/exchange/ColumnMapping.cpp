#include "exchange/ColumnMapping.h"

#include "exchange/ImportSource.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString folded(const QString& name) {
    return name.trimmed().toCaseFolded();
}

const OrderFields::Field* fieldNamed(const QList<OrderFields::Field>& fields, const QString& name) {
    const QString wanted = folded(name);
    for (const OrderFields::Field& field : fields) {
        if (folded(field.name) == wanted)
            return &field;
        for (const QString& shown : field.shownNames) {
            if (folded(shown) == wanted)
                return &field;
        }
    }
    return nullptr;
}

QString columnName(const QStringList& columns, int index) {
    const QString name = columns.at(index).trimmed();
    return name.isEmpty() ? u"(column %1)"_s.arg(index + 1) : name;
}

// The column a pair names: the one of exactly that name, else the only one of that name
// with case ignored.
int columnNamed(const QStringList& columns, const QString& name) {
    const auto exact = std::find(columns.cbegin(), columns.cend(), name);
    if (exact != columns.cend())
        return int(exact - columns.cbegin());
    int found = -1;
    for (int i = 0; i < columns.size(); ++i) {
        if (folded(columns.at(i)) != folded(name))
            continue;
        if (found >= 0)
            throw ImportError(u"Two columns are named \"%1\" when case is ignored; name the "
                              u"one to import as it is written."_s.arg(name));
        found = i;
    }
    if (found < 0)
        throw ImportError(
            u"There is no column \"%1\"; the columns are: %2."_s.arg(name, columns.join(u", "_s)));
    return found;
}

} // namespace

ColumnMapping::ColumnMapping(const QStringList& columns, const QList<OrderFields::Field>& fields,
                             const QStringList& pairs) {
    // Field name -> column, from the pairs first.
    QHash<QString, int> chosen;
    QHash<int, QList<const OrderFields::Field*>> byColumn;
    for (const QString& pair : pairs) {
        const qsizetype equals = pair.indexOf(u'=');
        const QString fieldText = pair.left(equals).trimmed();
        const OrderFields::Field* field = equals > 0 ? fieldNamed(fields, fieldText) : nullptr;
        if (!field)
            throw ImportError(u"\"%1\" does not name a field and a column as FIELD=COLUMN; the "
                              u"fields are: %2."_s.arg(pair, [&] {
                                  QStringList names;
                                  for (const OrderFields::Field& f : fields)
                                      names << f.name;
                                  return names.join(u", "_s);
                              }()));
        if (chosen.contains(field->name))
            throw ImportError(u"The field %1 is given a column twice."_s.arg(field->name));
        const int column = columnNamed(columns, pair.mid(equals + 1));
        chosen.insert(field->name, column);
        byColumn[column] << field;
    }

    QHash<QString, int> byName;
    for (int i = 0; i < columns.size(); ++i) {
        if (byColumn.contains(i))
            continue;
        const OrderFields::Field* field = fieldNamed(fields, columns.at(i));
        if (!field || chosen.contains(field->name)) {
            m_unmapped << columnName(columns, i);
            continue;
        }
        if (byName.contains(field->name))
            throw ImportError(u"The columns \"%1\" and \"%2\" both stand for the field %3; "
                              u"rename the one that does not belong there."_s.arg(
                                  columnName(columns, byName.value(field->name)),
                                  columnName(columns, i), field->name));
        byName.insert(field->name, i);
        byColumn[i] << field;
    }

    for (const OrderFields::Field& field : fields) {
        const int column = chosen.value(field.name, byName.value(field.name, -1));
        if (column < 0)
            m_missing << field.name;
        else
            m_assignments.append({column, field});
    }
}

bool ColumnMapping::assigns(const QString& field) const {
    return std::any_of(m_assignments.cbegin(), m_assignments.cend(),
                       [&](const Assignment& a) { return a.field.name == field; });
}
