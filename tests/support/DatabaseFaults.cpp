#include "support/DatabaseFaults.h"

#include "engine/Database.h"
#include "engine/internal/Connection.h"

void DatabaseFaults::failNextWrites(Database& db, int count, int number) {
    if (!db.m_conn || !db.m_conn->isOpen())
        throw EngineError(ErrorNumber::InvalidObject, QStringLiteral("Invalid object"));
    db.m_conn->failWritesLeft = count;
    db.m_conn->failWritesNumber = number;
}
