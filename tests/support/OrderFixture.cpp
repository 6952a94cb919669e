#include "support/OrderFixture.h"

#include "engine/Database.h"
#include "engine/Schema.h"

#include <QDir>
#include <QStringList>

namespace OrderFixture {

QString createDatabase(const QString& dir, const QList<QVariantMap>& rows) {
    const QString path = QDir(dir).filePath(QStringLiteral("pvx.mdb"));
    auto db = Database::create(path);
    Schema::create(*db);
    insertRows(*db, rows);
    db->close();
    return path;
}

QList<int> insertRows(Database& db, const QList<QVariantMap>& rows) {
    QList<int> keys;
    db.transaction([&] {
        for (const QVariantMap& row : rows) {
            QStringList columns;
            QStringList marks;
            QVariantList values;
            for (auto it = row.cbegin(); it != row.cend(); ++it) {
                columns << it.key();
                marks << QStringLiteral("?");
                values << it.value();
            }
            const QString sql = columns.isEmpty()
                                    ? QStringLiteral("INSERT INTO pvx DEFAULT VALUES")
                                    : QStringLiteral("INSERT INTO pvx (%1) VALUES (%2)")
                                          .arg(columns.join(QStringLiteral(", ")),
                                               marks.join(QStringLiteral(", ")));
            db.execute(sql, values);
            keys << db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toInt();
        }
    });
    return keys;
}

} // namespace OrderFixture
