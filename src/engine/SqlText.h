#pragma once

#include <QString>

// SQL text helpers. Values never become SQL text: they are bound as parameters. These are
// for what must be written into the text itself.

// A name from our own code or the report catalogue, quoted as an identifier.
QString quoteIdentifier(const QString& name);

// A LIKE pattern matching every text that begins with `text`, taken literally: the
// wildcards % and _ and the escape character \ in it are escaped. Use it with
// ESCAPE '\', e.g. "pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\'".
QString likePrefixPattern(const QString& text);
