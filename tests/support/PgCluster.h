#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A throwaway PostgreSQL cluster for the tests: initdb in a temporary folder, listening on a
// Unix socket in that folder only (no TCP port), trusting its local users, stopped and
// removed when the object goes. The server refuses to run as root, so as root (CI, this
// machine) initdb and pg_ctl run as the postgres user, which is given the folder.
class PgCluster {
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Whether the server runs; if not, why (for QSKIP).
    bool isRunning() const { return m_running; }
    QString whyNot() const { return m_whyNot; }

    // Makes a new, empty database and returns its libpq connection string.
    QString createDatabase(const QString& name);
    // The connection string of an existing database of the cluster.
    QString connectionString(const QString& database) const;
    // The folder of the socket (the host in a connection string).
    QString socketFolder() const { return m_dir.path(); }

private:
    // Runs a server program (as postgres when we are root); its output on failure.
    bool runServerProgram(const QString& program, const QStringList& arguments, QString* output);

    QTemporaryDir m_dir;
    QString m_bin;
    bool m_asPostgres = false;
    bool m_running = false;
    QString m_whyNot;
};
