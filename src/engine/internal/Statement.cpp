#include "engine/internal/Statement.h"

#include "engine/internal/ErrorMapping.h"

void Statement::requireSingle() const {
    if (!m_tail.isEmpty())
        throwEngineError(ErrorNumber::SyntaxError,
                         QStringLiteral("only one statement is allowed here: %1").arg(m_sql));
}

QVariantList Statement::row() const {
    QVariantList values;
    const int count = columnCount();
    values.reserve(count);
    for (int column = 0; column < count; ++column)
        values.append(value(column));
    return values;
}
