#include "custom/ReportQuery.h"

#include "custom/TypedNumber.h"

#include "dates/DateFormats.h"
#include "engine/SqlText.h"
#include "engine/StoredDates.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString ordersTable = u"pvx"_s;

// One part of a name as the catalogue may write it, with its quoting taken off.
QString unquotedPart(QString part) {
    part = part.trimmed();
    if (part.size() >= 2) {
        const QChar first = part.front();
        const QChar last = part.back();
        if (first == u'[' && last == u']')
            return part.mid(1, part.size() - 2).replace(u"]]"_s, u"]"_s);
        if (first == u'"' && last == u'"')
            return part.mid(1, part.size() - 2).replace(u"\"\""_s, u"\""_s);
        if (first == u'`' && last == u'`')
            return part.mid(1, part.size() - 2).replace(u"``"_s, u"`"_s);
    }
    return part;
}

// The parts of a qualified name, split at the dots that stand outside quotes and brackets.
QStringList nameParts(const QString& name) {
    QStringList parts;
    QString current;
    QChar closing;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (!closing.isNull()) {
            current += c;
            if (c == closing) {
                // A doubled closing mark stands for itself.
                if (i + 1 < name.size() && name.at(i + 1) == closing)
                    current += name.at(++i);
                else
                    closing = QChar();
            }
            continue;
        }
        if (c == u'.') {
            parts << current;
            current.clear();
        } else {
            if (c == u'[')
                closing = u']';
            else if (c == u'"' || c == u'`')
                closing = c;
            current += c;
        }
    }
    parts << current;
    return parts;
}

// Backquotes rather than double quotes: SQLite takes a double-quoted name that matches no
// column for a text constant, so a catalogue row naming a column that is not there would
// print its own name on every row instead of failing.
QString quoted(const QString& identifier) {
    QString text = identifier;
    text.replace(u'`', u"``"_s);
    return u'`' + text + u'`';
}

QString quotedColumn(const QString& table, const QString& column) {
    return ReportQuery::quoteName(table) + u'.' + quoted(unquotedPart(column));
}

bool sameTable(const QString& a, const QString& b) {
    // SQLite does not tell table names apart by case, so neither may the join test.
    return unquotedPart(a).compare(unquotedPart(b), Qt::CaseInsensitive) == 0;
}

QString fieldLabel(const CatalogueField& field) {
    return u"\"%1\""_s.arg(field.desc);
}

const CatalogueField& catalogueField(const ReportDefinition& definition, int specId) {
    const CatalogueField* field = definition.catalogue.find(specId);
    if (!field || specId > definition.settings.size())
        throw ReportDefinitionError(
            u"The report names field number %1, which the report catalogue does not have."_s.arg(
                specId));
    return *field;
}

QVariant bound(const CatalogueField& field, const QString& text, const QString& which,
               const QLocale& locale) {
    const auto number = typedNumber(text, locale);
    if (!number)
        throw ReportDefinitionError(u"The %1 value \"%2\" of the field %3 is not a number."_s.arg(
            which, text, fieldLabel(field)));
    return number->toBindValue();
}

// Appends the criteria a field's settings ask for, by the kind of field.
void addConditions(const CatalogueField& field, const FieldSettings& settings,
                   const QLocale& locale, QList<QueryCondition>& conditions) {
    const QString& name = field.fieldname;
    switch (field.kind) {
    case FieldKind::Text:
        if (!settings.StartsWith.isEmpty())
            conditions.append({name, ConditionKind::StartsWith, settings.StartsWith});
        break;
    case FieldKind::Number:
        if (!settings.LessThan.isEmpty())
            conditions.append({name, ConditionKind::LessThan,
                               bound(field, settings.LessThan, u"Less Than"_s, locale)});
        if (!settings.GreaterThan.isEmpty())
            conditions.append({name, ConditionKind::GreaterThan,
                               bound(field, settings.GreaterThan, u"Greater Than"_s, locale)});
        break;
    case FieldKind::Date:
        if (settings.StartDate.isValid())
            conditions.append({name, ConditionKind::OnOrAfter, settings.StartDate});
        if (settings.EndDate.isValid())
            conditions.append({name, ConditionKind::OnOrBefore, settings.EndDate});
        break;
    case FieldKind::YesNo:
        if (settings.WantTrue)
            conditions.append({name, ConditionKind::IsTrue, {}});
        else if (settings.WantFalse)
            conditions.append({name, ConditionKind::IsFalse, {}});
        break;
    }
}

// Joins the field's table unless it is the orders table or is joined already. The join
// key is one column of the same name in both tables, or "orders column;other column".
void addJoin(const CatalogueField& field, QList<QueryJoin>& joins) {
    if (field.inOrdersTable())
        return;
    for (const QueryJoin& join : joins) {
        if (sameTable(join.table, field.filename))
            return;
    }
    const QString& link = field.linkfield;
    QueryJoin join{field.filename, link, link};
    if (link.contains(u';')) {
        join.ordersColumn = GetToken(link, u";"_s, 1);
        join.otherColumn = GetToken(link, u";"_s, 2);
    }
    joins.append(join);
}

} // namespace

QString ReportQuery::columnAlias(int index) {
    return u"#%1"_s.arg(index + 1);
}

QString ReportQuery::quoteName(const QString& name) {
    QStringList parts;
    for (const QString& part : nameParts(name))
        parts << quoted(unquotedPart(part));
    return parts.join(u'.');
}

QString ReportQuery::sql() const {
    QStringList select;
    for (int i = 0; i < columns.size(); ++i)
        select << quoteName(columns.at(i).fieldname) + u" AS "_s + quoted(columnAlias(i));

    // Each join wraps the ones before it: ((pvx LEFT JOIN A ON ...) LEFT JOIN B ON ...).
    QString from = quoted(ordersTable);
    for (const QueryJoin& join : joins)
        from = u"(%1 LEFT JOIN %2 ON %3 = %4)"_s.arg(from, quoteName(join.table),
                                                     quotedColumn(ordersTable, join.ordersColumn),
                                                     quotedColumn(join.table, join.otherColumn));

    QStringList where;
    for (const QueryCondition& condition : conditions) {
        const QString field = quoteName(condition.fieldname);
        switch (condition.kind) {
        case ConditionKind::StartsWith:
            // As the find dialog compares: Unicode case folding on both sides, the typed
            // text's wildcards escaped.
            where << u"pvx_fold(%1) LIKE pvx_fold(?) ESCAPE '\\'"_s.arg(field);
            break;
        case ConditionKind::LessThan:
            where << field + u" < ?"_s;
            break;
        case ConditionKind::GreaterThan:
            where << field + u" > ?"_s;
            break;
        case ConditionKind::OnOrAfter:
            where << field + u" >= ?"_s;
            break;
        case ConditionKind::OnOrBefore:
            where << field + u" < ?"_s;
            break;
        case ConditionKind::IsTrue:
            where << field;
            break;
        case ConditionKind::IsFalse:
            // A row without a value prints "No" as well. FALSE rather than 0: a server's
            // yes/no column is of its boolean type, which takes no number.
            where << u"NOT coalesce(%1, FALSE)"_s.arg(field);
            break;
        }
    }

    QStringList sort;
    for (const QString& field : order)
        sort << quoteName(field);

    QString text = u"SELECT "_s + select.join(u", "_s) + u" FROM "_s + from;
    if (!where.isEmpty())
        text += u" WHERE "_s + where.join(u" AND "_s);
    if (!sort.isEmpty())
        text += u" ORDER BY "_s + sort.join(u", "_s);
    return text;
}

QVariantList ReportQuery::params() const {
    QVariantList values;
    for (const QueryCondition& condition : conditions) {
        switch (condition.kind) {
        case ConditionKind::StartsWith:
            values << likePrefixPattern(condition.value.toString());
            break;
        case ConditionKind::LessThan:
        case ConditionKind::GreaterThan:
            values << condition.value;
            break;
        case ConditionKind::OnOrAfter:
            values << condition.value.toDate();
            break;
        case ConditionKind::OnOrBefore:
            values << afterDayText(condition.value.toDate());
            break;
        case ConditionKind::IsTrue:
        case ConditionKind::IsFalse:
            break;
        }
    }
    return values;
}

ReportQuery buildReportQuery(const ReportDefinition& definition, const QLocale& locale) {
    ReportQuery query;
    for (int specId : definition.fields) {
        const CatalogueField& field = catalogueField(definition, specId);
        const FieldSettings& settings = definition.settingsOf(specId);
        if (!settings.Hide)
            query.columns.append({specId, field.fieldname});
        addConditions(field, settings, locale, query.conditions);
        addJoin(field, query.joins);
    }
    // A sort field need not be in the report; its table is joined all the same.
    for (int specId : {definition.primarySort, definition.secondarySort}) {
        if (specId == 0)
            continue;
        const CatalogueField& field = catalogueField(definition, specId);
        query.order << field.fieldname;
        addJoin(field, query.joins);
    }
    return query;
}
