#pragma once

#include "engine/EngineError.h"

#include <QString>

struct sqlite3;

// What a statement was doing when SQLite failed: a busy file means "in use" while
// opening or reading, but "locked record" while writing.
enum class SqlContext { Open, Read, Write };

// The EngineError for a SQLite result code, with the numbers the error trap knows.
[[noreturn]] void throwSqliteError(sqlite3* db, int rc, SqlContext context, const QString& path);

// The text of an EngineError with a number the engine adapter raises itself.
QString engineErrorText(int number, const QString& subject = {});
[[noreturn]] void throwEngineError(int number, const QString& subject = {});

// The EngineError for a PostgreSQL error (its SQLSTATE code and the server's own message):
// a row held by another user's write is a locked record, a missing table or column the
// number the trap knows for it; anything else keeps the server's text.
[[noreturn]] void throwServerError(const QString& sqlState, const QString& message,
                                   SqlContext context);
