#pragma once

#include "exchange/OrderFields.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which column of a source goes into which field of pvx. A column whose name is a field's
// stored name ("dateorder") or a name the custom report designer shows for it ("Date
// Ordered") goes into that field, case and blanks around it ignored; "FIELD=COLUMN" pairs
// name any other column for a field, and take the field from a column that would have gone
// into it by its name.
class ColumnMapping {
public:
    struct Assignment {
        int column = 0;
        OrderFields::Field field;
    };

    // Throws ImportError for a pair that names no field or no column, a field named in two
    // pairs, and two columns that both stand for one field by their names.
    ColumnMapping(const QStringList& columns, const QList<OrderFields::Field>& fields,
                  const QStringList& pairs = {});

    const QList<Assignment>& assignments() const { return m_assignments; }
    // Whether a column goes into the field.
    bool assigns(const QString& field) const;
    // The columns no field takes, by name ("(column 3)" for one without a name).
    QStringList unmappedColumns() const { return m_unmapped; }
    // The fields no column fills, by stored name.
    QStringList missingFields() const { return m_missing; }

private:
    QList<Assignment> m_assignments;
    QStringList m_unmapped;
    QStringList m_missing;
};
