#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

class Database;

// Real database files for tests, made the way pvxadmin makes them.
namespace OrderFixture {

// Creates dir/pvx.mdb with the full schema and the given rows (field name -> value; fields
// left out are Null) and returns its path.
QString createDatabase(const QString& dir, const QList<QVariantMap>& rows = {});

// Adds rows to an open database; returns the keys given to them.
QList<int> insertRows(Database& db, const QList<QVariantMap>& rows);

} // namespace OrderFixture
