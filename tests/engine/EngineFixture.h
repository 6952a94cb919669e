#pragma once

// A small orders table shaped like pvx, made with plain SQL, for the engine adapter's
// tests (the real schema is tested on its own).

#include "engine/Database.h"
#include "engine/EngineError.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace EngineFixture {

inline QString ordersSchema() {
    return QStringLiteral("CREATE TABLE orders ("
                          "  zelid INTEGER PRIMARY KEY AUTOINCREMENT,"
                          "  descr VARCHAR(80) COLLATE NOCASE,"
                          "  Type SMALLINT,"
                          "  dateorder DATE,"
                          "  amount CURRENCY,"
                          "  received BOOLEAN,"
                          "  ratio DOUBLE,"
                          "  big INTEGER,"
                          "  notes TEXT COLLATE NOCASE);"
                          "CREATE INDEX orders_dateorder ON orders (dateorder);"
                          "CREATE INDEX orders_descr ON orders (descr);");
}

inline std::unique_ptr<Database> createOrders(const QString& dir,
                                              const QString& name = QStringLiteral("pvx.mdb")) {
    auto db = Database::create(QDir(dir).filePath(name));
    db->execute(ordersSchema());
    return db;
}

// Inserts one row with plain SQL and returns its key.
inline int insertOrder(Database& db, const QVariantMap& row) {
    QStringList columns;
    QStringList marks;
    QVariantList values;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        columns << it.key();
        marks << QStringLiteral("?");
        values << it.value();
    }
    db.execute(QStringLiteral("INSERT INTO orders (%1) VALUES (%2)")
                   .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
               values);
    return db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toInt();
}

// The EngineError thrown by work, if any.
inline std::optional<EngineError> errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const EngineError& error) {
        return error;
    }
    return std::nullopt;
}

inline int errorNumber(const std::function<void()>& work) {
    const auto error = errorOf(work);
    return error ? error->number() : 0;
}

} // namespace EngineFixture
