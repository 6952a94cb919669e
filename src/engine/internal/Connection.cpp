#include "engine/internal/Connection.h"

#include "engine/EngineError.h"
#include "engine/internal/ErrorMapping.h"

void Connection::checkOpen() const {
    if (!isOpen())
        throwEngineError(ErrorNumber::InvalidObject);
}

void Connection::close() {
    // Statements borrowed right now stay valid objects; they are only finalised.
    m_cache.clear();
    const QSet<Statement*> live = m_live;
    m_live.clear();
    for (Statement* statement : live)
        statement->detach();
    closeHandle();
    transactionDepth = 0;
}

StatementLease Connection::prepared(const QString& sql) {
    checkOpen();
    const auto found = m_cache.find(sql);
    if (found != m_cache.end()) {
        found->lastUse = ++m_useCounter;
        // The same text in use further up the stack must not be reset under its user.
        if (found->statement.use_count() == 1)
            return StatementLease(found->statement);
        return StatementLease(newStatement(sql));
    }
    std::shared_ptr<Statement> statement = newStatement(sql);
    if (!statement->tail().isEmpty() || statement->isEmpty())
        return StatementLease(std::move(statement));
    if (m_cache.size() >= CacheLimit) {
        auto oldest = m_cache.begin();
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        }
        m_cache.erase(oldest);
    }
    m_cache.insert(sql, CacheEntry{statement, ++m_useCounter});
    return StatementLease(std::move(statement));
}

QVariantList Connection::firstColumn(const QString& sql, const QVariantList& params) {
    QVariantList values;
    StatementLease statement = prepared(sql);
    statement->requireSingle();
    statement->bind(params);
    while (statement->step())
        values.append(statement->value(0));
    return values;
}

void Connection::takeInjectedWriteFailure() {
    if (failWritesLeft <= 0)
        return;
    --failWritesLeft;
    throw EngineError(failWritesNumber, engineErrorText(failWritesNumber));
}

void Connection::registerStatement(Statement* statement) {
    m_live.insert(statement);
}

void Connection::unregisterStatement(Statement* statement) {
    m_live.remove(statement);
}
