#pragma once

#include "engine/EngineError.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

struct sqlite3;
class Recordset;
struct Connection;

// The one open database: the file pvx.mdb, or a database shared on a PostgreSQL server
// (openServer). Opened for exclusive use, a file holds SQLite's exclusive lock from open to
// close, so a second process is refused with DatabaseInUse (after waiting a moment, in case
// the other one is only just starting up and will give way). On a server other users work
// at the same time; a dynaset's Update there checks the row version (Recordset.h).
// Every failure arrives as an EngineError with the number the error trap dispatches on.
//
// Text without regard to case: every connection has the SQL function pvx_fold(text), the
// text case-folded by Unicode rules (QString::toCaseFolded), where SQLite's own NOCASE
// folds only A-Z. A find by the beginning of a text is written
//     pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\'
// with the user's text bound as likePrefixPattern(text) (SqliteStatement.h), which
// escapes % _ and \ so they match themselves. Recordset::findFirst compares text the
// same way. Sorting uses the columns' COLLATE NOCASE.
class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file read-write; never creates one. Opening writes nothing: a file
    // that turns out to be no database, or one without the tables the program needs, is
    // left exactly as it was. Only a regular file is opened: a named pipe or a device is
    // refused at once, as is a file found cut short (Damaged::Refuse). A file in write-ahead-log
    // mode stays in that mode; any other keeps SQLite's default rollback journal, deleted when the
    // transaction ends.
    static std::unique_ptr<Database> open(const QString& path, bool exclusive = true);
    // What to do with a file found damaged at open (cut short): refuse it with a message
    // that says what to do, or open it so that its problems can be listed.
    enum class Damaged { Refuse, Open };

    // Opens an existing file for reading only, shared with other readers: it works on a
    // read-only file or in a read-only folder (a backup copy). It writes nothing, with one
    // exception: the journal of a program that stopped in the middle of a write is played
    // back first, as SQLite does for any writer, where the file and its folder may be
    // written; where they may not, that is the message.
    static std::unique_ptr<Database> openReadOnly(const QString& path,
                                                  Damaged damaged = Damaged::Refuse);
    // Creates a new, empty file; refuses to replace an existing one.
    static std::unique_ptr<Database> create(const QString& path);

    // Connects to a database on a PostgreSQL server, shared with other users, through a
    // libpq connection string (keyword/value or URI). The password comes from libpq's own
    // password file, service file or environment: a string that holds one is refused, as
    // are a server that cannot be reached and a failed login (CannotOpenFile, with libpq's
    // own text).
    static std::unique_ptr<Database> openServer(const QString& connectionString);
    // Whether this is a database on a server rather than a file.
    bool isServer() const;
    // "dbname on host:port" of a server (never the password); empty for a file.
    QString serverName() const;

    // Closes the file. On a shared handle it only lets go of the database: the file stays
    // open for its owner.
    void close();
    bool isOpen() const;

    // Another handle on this open database, for a window that goes on working with the data
    // it was loaded from. It never closes the file; once the owner has closed it (a backup
    // or compaction reopens the file as a new database), everything done through the shared
    // handle fails with InvalidObject, as a recordset left open does, instead of reaching
    // into a database the window knows nothing about.
    std::unique_ptr<Database> share() const;
    QString path() const { return m_path; }
    // What the file's length says is missing (the file cut short), or nothing.
    QString cutShort() const;

    // An updatable result over one table in the order of one field (orderBy is "field" or
    // "field DESC"; empty for key order): nothing is read ahead, each move is an index
    // search from the row it leaves (see Dynaset.h), and rows added through it stay at the
    // end until reopened. RecordCount counts the rows when asked, which reads a whole index:
    // ask BOF and EOF together whether there are any.
    std::unique_ptr<Recordset> openDynaset(const QString& table, const QString& orderBy = {},
                                           const QString& keyColumn = QStringLiteral("zelid"));
    // A read-only result of any query, read front to back.
    std::unique_ptr<Recordset> openSnapshot(const QString& sql, const QVariantList& params = {});

    // Repeated SQL text reuses its prepared statement (params are bound afresh), so a loop
    // of execute() inside transaction() costs no more than a hand-prepared INSERT. Text
    // holding several statements (a schema script) runs them in turn, without params.
    void execute(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Runs work in one transaction: all of it is written or none of it.
    void transaction(const std::function<void()>& work);
    // What the catalogue of the database says, the same on every backend: a table or view
    // by name (case ignored), a table's column names as stored (empty when there is no such
    // table), every index's name.
    bool tableExists(const QString& table);
    QStringList columnNames(const QString& table);
    QStringList indexNames();
    // What the backend's own check of its storage finds wrong (empty when sound): every page
    // and index of a file; a server keeps its own storage sound and finds nothing here.
    QStringList integrityProblems();
    // The version of the layout the data was made with (Schema.h); 0 before any was set.
    int schemaVersion();
    void setSchemaVersion(int version);

    // The SQLite handle of a file; nullptr on a server, where file-only work (compaction,
    // the progress of a long statement) does not apply.
    sqlite3* handle() const;

    // The version of the SQLite library the program runs on ("3.40.1").
    static QString engineVersion();

private:
    // The tests arm write failures through it (tests/support/DatabaseFaults.h).
    friend class DatabaseFaults;

    Database() = default;
    static std::unique_ptr<Database> openWithFlags(const QString& path, int flags, bool exclusive,
                                                   Damaged damaged);

    QString m_path;
    std::shared_ptr<Connection> m_conn;
    bool m_shared = false;
};
