#include "engine/internal/ErrorMapping.h"

#include <QDir>

#include <sqlite3.h>

namespace {

// The name SQLite puts after "no such table: " and similar, without the schema prefix.
QString nameAfter(const QString& message, const QString& marker) {
    const qsizetype at = message.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString name = message.mid(at + marker.size()).trimmed();
    if (name.startsWith(QLatin1String("main."), Qt::CaseInsensitive))
        name = name.mid(5);
    return name;
}

} // namespace

QString engineErrorText(int number, const QString& subject) {
    using namespace ErrorNumber;
    switch (number) {
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case DiskFull:
        return QStringLiteral("Disk full");
    case PermissionDenied:
        return subject.isEmpty() ? QStringLiteral("Permission denied")
                                 : QStringLiteral("Permission denied: '%1'").arg(subject);
    case PathNotFound:
        return QStringLiteral("Path not found: '%1'").arg(subject);
    case DatabaseFileNotFound:
        return QStringLiteral("Could not find file '%1'.").arg(subject);
    case DatabaseInUse:
        return QStringLiteral("Could not use '%1'; file already in use.").arg(subject);
    case CannotOpenFile:
        return QStringLiteral("The database engine cannot open the file '%1'.").arg(subject);
    case TableNotFound:
        return QStringLiteral("The database engine cannot find the input table or query '%1'. "
                              "Make sure it exists and that its name is spelled correctly.")
            .arg(subject);
    case RecordLocked:
    case RecordLockedOnSave:
        return QStringLiteral("Could not update; currently locked.");
    case NotADatabase:
        return QStringLiteral("Unrecognized database format '%1'.").arg(subject);
    case InvalidObject:
        return QStringLiteral("Object invalid or no longer set.");
    case NoCurrentRecord:
        return QStringLiteral("No current record.");
    case UpdateWithoutAddNew:
        return QStringLiteral("Update or CancelUpdate without AddNew or Edit.");
    case FieldNotFound:
        return subject.isEmpty()
                   ? QStringLiteral("Item not found in this collection.")
                   : QStringLiteral("Item '%1' not found in this collection.").arg(subject);
    case SyntaxError:
        return QStringLiteral("Syntax error in query expression: %1").arg(subject);
    case DatabaseCorrupt:
        return QStringLiteral("Cannot open database '%1'. It may not be a database that your "
                              "application recognizes, or the file may be corrupt.")
            .arg(subject);
    case ReadOnly:
        return QStringLiteral("Cannot update. Database or object is read-only.");
    case EngineFailure:
        return QStringLiteral("Database engine failure: %1").arg(subject);
    case OperationCancelled:
        return QStringLiteral("Operation canceled by user.");
    default:
        return subject.isEmpty() ? QStringLiteral("Error %1").arg(number) : subject;
    }
}

void throwEngineError(int number, const QString& subject) {
    throw EngineError(number, engineErrorText(number, subject));
}

void throwSqliteError(sqlite3* db, int rc, SqlContext context, const QString& path) {
    using namespace ErrorNumber;
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const QString file = QDir::toNativeSeparators(path);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        if (context == SqlContext::Write)
            throwEngineError(RecordLocked);
        throwEngineError(DatabaseInUse, file);
    case SQLITE_FULL:
        throwEngineError(DiskFull);
    case SQLITE_READONLY:
        if (context == SqlContext::Open)
            throwEngineError(CannotOpenFile, file);
        throwEngineError(ReadOnly);
    case SQLITE_CANTOPEN:
        throwEngineError(CannotOpenFile, file);
    case SQLITE_PERM:
        throwEngineError(PermissionDenied, file);
    case SQLITE_CORRUPT:
        throwEngineError(DatabaseCorrupt, file);
    case SQLITE_NOTADB:
        throwEngineError(NotADatabase, file);
    case SQLITE_MISMATCH:
        throwEngineError(TypeMismatch);
    case SQLITE_ERROR: {
        const QString table = nameAfter(message, QStringLiteral("no such table:"));
        if (!table.isEmpty())
            throwEngineError(TableNotFound, table);
        QString column = nameAfter(message, QStringLiteral("no such column:"));
        if (column.isEmpty())
            column = nameAfter(message, QStringLiteral("has no column named"));
        if (!column.isEmpty())
            throwEngineError(FieldNotFound, column);
        if (message.contains(QLatin1String("syntax error")) ||
            message.contains(QLatin1String("unrecognized token")) ||
            message.contains(QLatin1String("incomplete input")) ||
            message.contains(QLatin1String("no such function")) ||
            message.contains(QLatin1String("wrong number of arguments")))
            throwEngineError(SyntaxError, message);
        break;
    }
    default:
        break;
    }
    throwEngineError(EngineFailure, message);
}

namespace {

// The name the server puts between the first pair of double quotes of its message.
QString quotedName(const QString& message) {
    const qsizetype start = message.indexOf(QLatin1Char('"'));
    const qsizetype end = start < 0 ? -1 : message.indexOf(QLatin1Char('"'), start + 1);
    return end < 0 ? QString() : message.mid(start + 1, end - start - 1);
}

} // namespace

void throwServerError(const QString& sqlState, const QString& message, SqlContext context) {
    using namespace ErrorNumber;
    // lock_not_available (a lock wait ran out), serialization_failure, deadlock_detected
    if (sqlState == QLatin1String("55P03") || sqlState == QLatin1String("40001") ||
        sqlState == QLatin1String("40P01"))
        throwEngineError(context == SqlContext::Write ? RecordLocked : RecordLockedOnSave);
    if (sqlState == QLatin1String("42P01"))
        throwEngineError(TableNotFound, quotedName(message));
    if (sqlState == QLatin1String("42703"))
        throwEngineError(FieldNotFound, quotedName(message));
    if (sqlState == QLatin1String("53100"))
        throwEngineError(DiskFull);
    if (sqlState == QLatin1String("22003"))
        throw EngineError(Overflow, QStringLiteral("Overflow"));
    if (sqlState == QLatin1String("42501"))
        throw EngineError(PermissionDenied, QStringLiteral("Permission denied: %1").arg(message));
    if (sqlState == QLatin1String("25006"))
        throwEngineError(ReadOnly);
    // syntax_error, undefined_function, ambiguous names and wrong types in the text
    if (sqlState == QLatin1String("42601") || sqlState == QLatin1String("42883") ||
        sqlState == QLatin1String("42702") || sqlState == QLatin1String("42725") ||
        sqlState == QLatin1String("42804"))
        throwEngineError(SyntaxError, message);
    if (sqlState.startsWith(QLatin1String("22")))
        throw EngineError(TypeMismatch, QStringLiteral("Type mismatch: %1").arg(message));
    throwEngineError(EngineFailure, message);
}
