#pragma once

#include "engine/internal/Connection.h"
#include "engine/internal/ValueConversion.h"

#include <QHash>

typedef struct pg_conn PGconn;
typedef unsigned int Oid;

// A PostgreSQL database on a server, shared with other users, through libpq.
class PgConnection final : public Connection {
public:
    // Connects with a libpq connection string (keyword/value or URI). A failure to connect
    // (no server, refused, no such database, authentication) is CannotOpenFile with the
    // server's or libpq's own text.
    static std::shared_ptr<PgConnection> connect(const QString& connectionString);
    ~PgConnection() override;

    bool isOpen() const override { return pg != nullptr; }
    std::unique_ptr<Statement> newStatement(const QString& sql) override;
    std::int64_t changes() const override { return lastChanges; }
    bool inTransaction() const override;
    QString beginSql() const override;
    void rollbackQuietly(bool outermost, const QString& savepoint) override;
    std::int64_t nextKey(const QString& table, const QString& keyColumn) override;
    bool tableExists(const QString& table) override;
    QStringList columnNames(const QString& table) override;
    QStringList indexNames() override;
    QStringList integrityProblems() override;
    int schemaVersion() override;
    void setSchemaVersion(int version) override;

    // How a result column is read: by the declared type of the table column it comes from
    // (the layout's domains pvx_date and pvx_currency say date and amount), else by the
    // type of the value.
    ColumnKind kindOf(Oid table, int tableColumn, Oid type);
    // A name the server gives back in lower case, in the spelling the layout uses.
    static QString spelling(const QString& name);
    // Seconds a connection waits for a server that does not answer, unless the connection
    // string, PGCONNECT_TIMEOUT or a named service says otherwise.
    static constexpr int DefaultConnectTimeout = 10;

    // "dbname on host:port" (or the socket folder), never the password.
    QString serverName() const;
    static QString serverNameOf(PGconn* connection);
    // A connection setting in effect (libpq's keyword), empty when none.
    QString setting(const char* keyword) const;

    // A name for the next prepared statement, unique on this connection.
    QByteArray nextStatementName();

    PGconn* pg = nullptr;
    std::int64_t lastChanges = 0;

protected:
    void closeHandle() override;

private:
    explicit PgConnection(PGconn* connection);

    QHash<Oid, QHash<int, ColumnKind>> m_columnKinds;
    std::uint64_t m_statementCounter = 0;
};
