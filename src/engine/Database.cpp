#include "engine/Database.h"

#include "engine/FolderAccess.h"
#include "engine/internal/Connection.h"
#include "engine/internal/Dynaset.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/PgConnection.h"
#include "engine/internal/Snapshot.h"
#include "engine/internal/SqliteConnection.h"
#include "engine/internal/SqliteStatement.h"
#include "engine/internal/ValueConversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <string>

namespace {

// pvx_fold(text): the text case-folded with Unicode rules, so "Émile" and "éMILE" compare
// equal where SQLite's own NOCASE only folds A-Z. Numbers are folded as their text.
void foldFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    if (!text) {
        sqlite3_result_error_nomem(context);
        return;
    }
    bool ascii = true;
    for (int i = 0; i < bytes && ascii; ++i)
        ascii = (static_cast<unsigned char>(text[i]) & 0x80) == 0;
    // Most text is plain ASCII; folding it needs no trip through QString.
    if (ascii) {
        std::string folded(text, size_t(bytes));
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        sqlite3_result_text(context, folded.data(), bytes, SQLITE_TRANSIENT);
        return;
    }
    const QByteArray folded = QString::fromUtf8(text, bytes).toCaseFolded().toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

// An administrator may write whatever the permission bits say, so whether the system would
// let us write is not enough: a file the user marked read-only is read-only to Purvex too.
bool isWritable(const QString& path) {
    const QFileInfo info(path);
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.exists() && (info.permissions() & anyWrite) && info.isWritable();
}

// A journal left beside the file by a program that stopped in the middle of a write, which
// a connection that may not write cannot play back.
struct UnfinishedWrite {};

void execOnOpen(sqlite3* db, const char* sql, const QString& path) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return;
    if (sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK)
        throw UnfinishedWrite{};
    throwSqliteError(db, rc, SqlContext::Open, path);
}

QVariant pragmaValue(sqlite3* db, const char* sql, const QString& path) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    QVariant value;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            value = sqlite3_column_type(statement, 0) == SQLITE_INTEGER
                        ? QVariant(qint64(sqlite3_column_int64(statement, 0)))
                        : QVariant(QString::fromUtf8(
                              reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throwSqliteError(db, rc, SqlContext::Read, path);
    return value;
}

// What is wrong with a file whose end is missing (copied or cut short), or nothing. Its own
// header says how many pages it holds; SQLite reads the missing bytes of a last page that
// is cut short as zeros and says nothing, so the length is compared here. A file in
// write-ahead-log mode keeps its newest pages in the log, and its length says nothing.
QString cutShort(sqlite3* db, const QString& path) {
    if (pragmaValue(db, "PRAGMA main.journal_mode", path).toString() == QLatin1String("wal"))
        return {};
    const qint64 pages = pragmaValue(db, "PRAGMA main.page_count", path).toLongLong();
    const qint64 pageSize = pragmaValue(db, "PRAGMA main.page_size", path).toLongLong();
    const qint64 length = QFileInfo(path).size();
    // An empty file is an empty database to SQLite, which counts its first page as there.
    if (length == 0 || pages * pageSize <= length)
        return {};
    return QStringLiteral("The file is cut short: it holds %1 bytes where its %2 pages need %3.")
        .arg(length)
        .arg(pages)
        .arg(pages * pageSize);
}

QString cutShortMessage(const QString& file, const QString& problem) {
    return QStringLiteral("The database file '%1' is damaged.  %2  \"pvxadmin check\" lists "
                          "what is affected; restore your latest backup (the copy made with "
                          "Backup, or pvxdb.bak from the last compaction).")
        .arg(file, problem);
}

// The message for a journal that cannot be played back because `what` (the file or its
// folder) may not be written.
QString unfinishedWriteMessage(const QString& path, const QString& what) {
    return QStringLiteral("The database file '%1' holds an unfinished write of a program that "
                          "stopped (its journal '%2' lies beside it).  The %3 may not be "
                          "written, so the write cannot be finished here.  Starting Purvex "
                          "once in that folder finishes it.")
        .arg(QDir::toNativeSeparators(path),
             QDir::toNativeSeparators(path + QStringLiteral("-journal")), what);
}

// Refuses, before anything is read from it, what cannot be a database: nothing there, a
// folder, a named pipe (reading one waits for a writer that never comes), a device.
void requireRegularFile(const QFileInfo& info) {
    using namespace ErrorNumber;
    const QString file = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists()) {
        const QString folder = blockingFolder(info.absoluteFilePath());
        if (!folder.isEmpty())
            throw EngineError(PermissionDenied,
                              QStringLiteral("The folder '%1' exists but may not be entered, so "
                                             "the database '%2' cannot be reached.")
                                  .arg(QDir::toNativeSeparators(folder), file));
        throwEngineError(DatabaseFileNotFound, file);
    }
    if (info.isDir())
        throw EngineError(CannotOpenFile,
                          QStringLiteral("'%1' is a folder, not a database file.").arg(file));
    if (!info.isFile())
        throw EngineError(CannotOpenFile,
                          QStringLiteral("'%1' is not a regular file but a named pipe, a device "
                                         "or a socket; a database is always a regular file.")
                              .arg(file));
}

Connection& openConnection(const std::shared_ptr<Connection>& connection) {
    if (!connection || !connection->isOpen())
        throwEngineError(ErrorNumber::InvalidObject);
    return *connection;
}

} // namespace

Database::~Database() {
    close();
}

std::unique_ptr<Database> Database::open(const QString& path, bool exclusive) {
    using namespace ErrorNumber;
    const QFileInfo info(path);
    const QString file = QDir::toNativeSeparators(info.absoluteFilePath());
    requireRegularFile(info);
    if (!isWritable(info.absoluteFilePath()))
        throw EngineError(CannotOpenFile,
                          QStringLiteral("The database file '%1' is read-only.  Make it "
                                         "writable to work with it.")
                              .arg(file));
    // SQLite writes its rollback journal next to the file, so the folder must be writable too.
    const QString folder = info.absolutePath();
    if (!isWritable(folder))
        throw EngineError(CannotOpenFile,
                          QStringLiteral("The folder '%1' that holds the database '%2' is "
                                         "read-only.  The database needs to create its journal "
                                         "file there.")
                              .arg(QDir::toNativeSeparators(folder), file));
    try {
        return openWithFlags(info.absoluteFilePath(), SQLITE_OPEN_READWRITE, exclusive,
                             Damaged::Refuse);
    } catch (const UnfinishedWrite&) {
        // The system refuses writes the permissions would allow (a read-only mount).
        throw EngineError(CannotOpenFile,
                          unfinishedWriteMessage(info.absoluteFilePath(), QStringLiteral("file")));
    }
}

std::unique_ptr<Database> Database::openReadOnly(const QString& path, Damaged damaged) {
    const QFileInfo info(path);
    requireRegularFile(info);
    const QString absolute = info.absoluteFilePath();
    try {
        return openWithFlags(absolute, SQLITE_OPEN_READONLY, false, damaged);
    } catch (const UnfinishedWrite&) {
    }
    // A program stopped in the middle of a write and left its journal. The data is whole once
    // the journal is played back, which SQLite does by itself for the first connection that
    // may write; reading has to wait for that.
    const QString folder = info.absolutePath();
    const bool fileWritable = isWritable(absolute);
    if (!fileWritable || !isWritable(folder))
        throw EngineError(ErrorNumber::CannotOpenFile,
                          unfinishedWriteMessage(absolute, fileWritable ? QStringLiteral("folder")
                                                                        : QStringLiteral("file")));
    openWithFlags(absolute, SQLITE_OPEN_READWRITE, false, Damaged::Open)->close();
    return openWithFlags(absolute, SQLITE_OPEN_READONLY, false, damaged);
}

std::unique_ptr<Database> Database::create(const QString& path) {
    using namespace ErrorNumber;
    const QFileInfo info(path);
    const QString file = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!QFileInfo(info.absolutePath()).isDir())
        throwEngineError(PathNotFound, QDir::toNativeSeparators(info.absolutePath()));
    QFile newFile(info.absoluteFilePath());
    // NewOnly refuses an existing file atomically, so a database is never replaced.
    if (!newFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (info.exists())
            throw EngineError(DatabaseExists,
                              QStringLiteral("Database '%1' already exists.").arg(file));
        throwEngineError(PermissionDenied, file);
    }
    newFile.close();
    try {
        return open(info.absoluteFilePath(), true);
    } catch (...) {
        QFile::remove(info.absoluteFilePath());
        throw;
    }
}

namespace {

// A database in write-ahead-log mode says so in its header (file format versions 2); the
// mode is kept as the file has it.
bool isWalFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header.at(18) == 2;
}

// How long a copy of the program that starts at the same moment as another waits for the
// other's open to finish before it says the file is in use.
constexpr int OpenWaitMs = 1000;

} // namespace

std::unique_ptr<Database> Database::openWithFlags(const QString& path, int flags, bool exclusive,
                                                  Damaged damaged) {
    registerValueTypes();
    const bool wal = isWalFile(path);
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(nativePath(path).constData(), &handle, flags, nullptr);
    // Owns the handle from here: a failure below closes it, and closing removes any journal.
    auto connection = std::make_shared<SqliteConnection>(handle, path);
    if (rc != SQLITE_OK)
        throwSqliteError(handle, rc, SqlContext::Open, path);
    const bool readOnly = (flags & SQLITE_OPEN_READONLY) != 0;
    if (!readOnly && sqlite3_db_readonly(handle, "main") == 1)
        throw EngineError(ErrorNumber::CannotOpenFile,
                          QStringLiteral("The database file '%1' can only be opened read-only.")
                              .arg(QDir::toNativeSeparators(path)));

    // Every step of the open waits a moment for another process that holds the file;
    // afterwards the program answers at once.
    sqlite3_busy_timeout(handle, OpenWaitMs);
    sqlite3_create_function_v2(handle, "pvx_fold", 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               foldFunction, nullptr, nullptr, nullptr);
    execOnOpen(handle, "PRAGMA synchronous=FULL", path);
    // A report walks a million rows in date order through an index, and a bulk load
    // updates three indexes at random places: with SQLite's default 2 MB cache both
    // spend their time re-reading and spilling pages. The limit is a ceiling; memory
    // is taken only as pages are read.
    execOnOpen(handle, "PRAGMA cache_size=-65536", path);

    if (exclusive) {
        // The exclusive lock is taken first, before anything is read: two copies started at
        // the same moment would otherwise each hold a shared lock that the other's exclusive
        // lock waits for, and both would give up. Taking it as the first step in the normal
        // locking mode, one wins and the other waits briefly, then is refused. Exclusive
        // locking mode, set while the lock is held, keeps it until the file is closed.
        // A log-mode file needs exclusive mode before its first access, or it shares memory
        // with other processes instead of keeping them out.
        if (wal)
            execOnOpen(handle, "PRAGMA locking_mode=EXCLUSIVE", path);
        execOnOpen(handle, "BEGIN EXCLUSIVE", path);
        if (!wal)
            execOnOpen(handle, "PRAGMA locking_mode=EXCLUSIVE", path);
    } else {
        execOnOpen(handle, "BEGIN", path);
    }
    // Reading the schema tells a foreign file from a database before anything is written;
    // nothing is, and the empty transaction ends without touching the file.
    execOnOpen(handle, "SELECT count(*) FROM sqlite_master", path);
    if (damaged == Damaged::Refuse) {
        const QString problem = ::cutShort(handle, path);
        if (!problem.isEmpty())
            throw EngineError(ErrorNumber::DatabaseCorrupt,
                              cutShortMessage(QDir::toNativeSeparators(path), problem));
    }
    execOnOpen(handle, "ROLLBACK", path);
    // From here another process holding the file answers at once instead of after a wait.
    sqlite3_busy_timeout(handle, 0);

    std::unique_ptr<Database> database(new Database);
    database->m_path = path;
    database->m_conn = std::move(connection);
    return database;
}

std::unique_ptr<Database> Database::openServer(const QString& connectionString) {
    std::unique_ptr<Database> database(new Database);
    database->m_conn = PgConnection::connect(connectionString);
    return database;
}

bool Database::isServer() const {
    return dynamic_cast<PgConnection*>(m_conn.get()) != nullptr;
}

QString Database::serverName() const {
    auto* server = dynamic_cast<PgConnection*>(m_conn.get());
    return server ? server->serverName() : QString();
}

QString Database::cutShort() const {
    openConnection(m_conn);
    auto* file = dynamic_cast<SqliteConnection*>(m_conn.get());
    return file ? ::cutShort(file->db, m_path) : QString();
}

QString Database::engineVersion() {
    return QString::fromLatin1(sqlite3_libversion());
}

void Database::close() {
    if (m_shared) {
        m_conn.reset();
        return;
    }
    if (m_conn)
        m_conn->close();
}

std::unique_ptr<Database> Database::share() const {
    openConnection(m_conn);
    std::unique_ptr<Database> shared(new Database);
    shared->m_path = m_path;
    shared->m_conn = m_conn;
    shared->m_shared = true;
    return shared;
}

bool Database::isOpen() const {
    return m_conn && m_conn->isOpen();
}

sqlite3* Database::handle() const {
    auto* file = dynamic_cast<SqliteConnection*>(m_conn.get());
    return file ? file->db : nullptr;
}

std::unique_ptr<Recordset> Database::openDynaset(const QString& table, const QString& orderBy,
                                                 const QString& keyColumn) {
    openConnection(m_conn);
    return std::make_unique<Dynaset>(m_conn, table, orderBy, keyColumn);
}

std::unique_ptr<Recordset> Database::openSnapshot(const QString& sql, const QVariantList& params) {
    openConnection(m_conn);
    return std::make_unique<Snapshot>(m_conn, sql, params);
}

void Database::execute(const QString& sql, const QVariantList& params) {
    Connection& connection = openConnection(m_conn);
    StatementLease statement = connection.prepared(sql);
    if (!statement->tail().isEmpty() && !params.isEmpty())
        throwEngineError(ErrorNumber::EngineFailure,
                         QStringLiteral("parameters cannot be given to several statements"));
    statement->bind(params);
    while (statement->step()) {
    }
    // A script of several statements (schema text) runs one statement after the other.
    QString rest = statement->tail();
    while (!rest.isEmpty()) {
        const std::unique_ptr<Statement> next = connection.newStatement(rest);
        next->bind({});
        while (next->step()) {
        }
        rest = next->tail();
    }
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    Connection& connection = openConnection(m_conn);
    StatementLease statement = connection.prepared(sql);
    statement->requireSingle();
    statement->bind(params);
    return statement->step() ? statement->value(0) : QVariant();
}

void Database::transaction(const std::function<void()>& work) {
    Connection& connection = openConnection(m_conn);
    const bool outermost = !connection.inTransaction();
    const QString savepoint = QStringLiteral("pvx_work%1").arg(connection.transactionDepth + 1);
    execute(outermost ? connection.beginSql() : QStringLiteral("SAVEPOINT %1").arg(savepoint));
    ++connection.transactionDepth;
    try {
        work();
    } catch (...) {
        connection.transactionDepth = std::max(0, connection.transactionDepth - 1);
        if (connection.isOpen())
            connection.rollbackQuietly(outermost, savepoint);
        throw;
    }
    connection.transactionDepth = std::max(0, connection.transactionDepth - 1);
    try {
        execute(outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE %1").arg(savepoint));
    } catch (...) {
        if (connection.isOpen())
            connection.rollbackQuietly(outermost, savepoint);
        throw;
    }
}

bool Database::tableExists(const QString& table) {
    return openConnection(m_conn).tableExists(table);
}

QStringList Database::columnNames(const QString& table) {
    return openConnection(m_conn).columnNames(table);
}

QStringList Database::indexNames() {
    return openConnection(m_conn).indexNames();
}

QStringList Database::integrityProblems() {
    return openConnection(m_conn).integrityProblems();
}

int Database::schemaVersion() {
    return openConnection(m_conn).schemaVersion();
}

void Database::setSchemaVersion(int version) {
    openConnection(m_conn).setSchemaVersion(version);
}
