#pragma once

#include <QString>

// The program's SQL, written with ? placeholders and identifiers in any case, as the
// PostgreSQL server takes it.
struct PgSqlText {
    // The first statement, its placeholders numbered $1, $2, ... and its quoted identifiers
    // ("name", and SQLite's `name` and [name] as "name") folded to lower case (the server keeps
    // every name of Purvex's tables in lower case, as it folds unquoted ones), SQLite's COLLATE
    // BINARY as the server's COLLATE "C", without the semicolon that ends it.
    QString text;
    // What follows that semicolon, trimmed: the next statements of a script.
    QString tail;
    int placeholders = 0;
    // Whether the first statement holds nothing but blanks and comments.
    bool empty = true;
};

// Nothing inside a string literal, a comment or a quoted identifier counts as a
// placeholder or the end of a statement; a string's text is never changed.
PgSqlText translateForServer(const QString& sql);
