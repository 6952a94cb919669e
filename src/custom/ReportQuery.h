#pragma once

#include "custom/ReportDefinition.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

// A column of the result: a visible report field, in report order.
struct QueryColumn {
    int specId = 0;
    QString fieldname;

    friend bool operator==(const QueryColumn&, const QueryColumn&) = default;
};

// One left join of another table to the orders table: pvx.ordersColumn = table.otherColumn.
struct QueryJoin {
    QString table;
    QString ordersColumn;
    QString otherColumn;

    friend bool operator==(const QueryJoin&, const QueryJoin&) = default;
};

enum class ConditionKind {
    // The value begins with the text, taken literally, case ignored.
    StartsWith,
    LessThan,
    GreaterThan,
    // On or after the day, whatever time of day is stored with it.
    OnOrAfter,
    // On or before the day, a time of day on that day included.
    OnOrBefore,
    // The cell prints "Yes" / "No" (no value at all included).
    IsTrue,
    IsFalse,
};

// One selection criterion. value holds the text of a StartsWith, the number of a bound
// (a whole number as qint64, otherwise a double) and the day of a date bound.
struct QueryCondition {
    QString fieldname;
    ConditionKind kind = ConditionKind::StartsWith;
    QVariant value;

    friend bool operator==(const QueryCondition&, const QueryCondition&) = default;
};

// The one query of a custom report, kept as its parts until it is written out as SQL: the
// visible fields as columns, the other tables joined in the order their first field comes
// in the report (each join wrapping the ones before), the criteria of every report field,
// hidden or not, and the sort. Whatever the user typed travels as a bound parameter, and
// every name from the catalogue is quoted.
struct ReportQuery {
    QList<QueryColumn> columns;
    QList<QueryJoin> joins;
    QList<QueryCondition> conditions;
    // The sort fields' fieldnames, primary first.
    QStringList order;

    QString sql() const;
    QVariantList params() const;

    // The name the n-th column (from 0) is read back by: the position alone decides, so
    // two fields of the same name in different tables, or a qualified fieldname, read back
    // correctly.
    static QString columnAlias(int index);
    // A catalogue name as the query writes it: each part of a qualified name quoted,
    // quotes or brackets the catalogue already has resolved first ("[a b]" -> "a b").
    static QString quoteName(const QString& name);
};

// Builds the query of a report definition. Number bounds are read in the given locale.
// Throws ReportDefinitionError when a bound is no number or a field is not in the catalogue.
ReportQuery buildReportQuery(const ReportDefinition& definition, const QLocale& locale);
