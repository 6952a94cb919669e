#include "engine/internal/PgSqlText.h"

namespace {

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

} // namespace

PgSqlText translateForServer(const QString& sql) {
    PgSqlText out;
    // The word before the current one, to find SQLite's COLLATE BINARY, which the server
    // calls "C".
    QString previousWord;
    const qsizetype size = sql.size();
    qsizetype i = 0;
    auto at = [&](qsizetype pos) { return pos < size ? sql.at(pos) : QChar(); };
    while (i < size) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            // A literal runs to the next quote that is not doubled.
            const qsizetype start = i++;
            while (i < size) {
                if (sql.at(i) == u'\'') {
                    if (at(i + 1) == u'\'') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.text += sql.mid(start, i - start);
            out.empty = false;
        } else if (c == u'"') {
            const qsizetype start = i++;
            while (i < size) {
                if (sql.at(i) == u'"') {
                    if (at(i + 1) == u'"') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.text += sql.mid(start, i - start).toLower();
            out.empty = false;
        } else if (c == u'`' || c == u'[') {
            // SQLite's other quotes of a name, `name` and [name], are the server's "name".
            const QChar close = c == u'`' ? u'`' : u']';
            QString name;
            ++i;
            while (i < size) {
                if (sql.at(i) == close) {
                    if (close == u'`' && at(i + 1) == u'`') {
                        name += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                name += sql.at(i++);
            }
            name.replace(u'"', QStringLiteral("\"\""));
            out.text += u'"' + name.toLower() + u'"';
            out.empty = false;
        } else if (c == u'-' && at(i + 1) == u'-') {
            const qsizetype end = sql.indexOf(u'\n', i);
            i = end < 0 ? size : end;
        } else if (c == u'/' && at(i + 1) == u'*') {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? size : end + 2;
            out.text += u' ';
        } else if (c == u'?') {
            out.text += u'$' + QString::number(++out.placeholders);
            out.empty = false;
            ++i;
        } else if (c == u';') {
            out.tail = sql.mid(i + 1).trimmed();
            break;
        } else if (isWordCharacter(c)) {
            const qsizetype start = i;
            while (i < size && isWordCharacter(sql.at(i)))
                ++i;
            const QString word = sql.mid(start, i - start);
            const bool binary =
                word.compare(QLatin1String("binary"), Qt::CaseInsensitive) == 0 &&
                previousWord.compare(QLatin1String("collate"), Qt::CaseInsensitive) == 0;
            out.text += binary ? QStringLiteral("\"C\"") : word;
            previousWord = word;
            out.empty = false;
        } else {
            if (!c.isSpace())
                out.empty = false;
            out.text += c;
            ++i;
        }
    }
    out.text = out.text.trimmed();
    return out;
}
