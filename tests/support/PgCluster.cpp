#include "PgCluster.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

#include <algorithm>

namespace {

constexpr const char* Port = "5432";

// The newest server of Debian's postgresql packages, or one on the PATH.
QString serverBinaries() {
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& version : found) {
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
            QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
            return bin;
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

} // namespace

PgCluster::PgCluster() : m_dir(QDir::tempPath() + QStringLiteral("/pvxpg-XXXXXX")) {
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        m_whyNot = QStringLiteral("no PostgreSQL server programs (initdb, pg_ctl) are installed; "
                                  "install Debian's postgresql to run these tests");
        return;
    }
    if (!m_dir.isValid()) {
        m_whyNot = QStringLiteral("no temporary folder for the cluster");
        return;
    }
    m_asPostgres = geteuid() == 0;
    if (m_asPostgres) {
        const int chown = QProcess::execute(QStringLiteral("chown"),
                                            {QStringLiteral("postgres:postgres"), m_dir.path()});
        if (chown != 0) {
            m_whyNot = QStringLiteral("running as root, and the folder cannot be given to the "
                                      "postgres user (is there one?)");
            return;
        }
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    QString output;
    if (!runServerProgram(QStringLiteral("initdb"),
                          {QStringLiteral("-D"), data, QStringLiteral("-U"),
                           QStringLiteral("postgres"), QStringLiteral("-A"),
                           QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                           QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                          &output)) {
        m_whyNot = QStringLiteral("initdb failed: %1").arg(output);
        return;
    }
    const QString options =
        QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c port=%2 "
                       "-c fsync=off -c synchronous_commit=off -c full_page_writes=off")
            .arg(m_dir.path(), QLatin1String(Port));
    if (!runServerProgram(QStringLiteral("pg_ctl"),
                          {QStringLiteral("-D"), data, QStringLiteral("-o"), options,
                           QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
                           QStringLiteral("-w"), QStringLiteral("start")},
                          &output)) {
        m_whyNot = QStringLiteral("the server did not start: %1").arg(output);
        return;
    }
    m_running = true;
}

PgCluster::~PgCluster() {
    if (m_running) {
        QString output;
        runServerProgram(QStringLiteral("pg_ctl"),
                         {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                          QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                          QStringLiteral("stop")},
                         &output);
    }
}

bool PgCluster::runServerProgram(const QString& program, const QStringList& arguments,
                                 QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString path = m_bin + QLatin1Char('/') + program;
    if (m_asPostgres)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), path} +
                          arguments);
    else
        process.start(path, arguments);
    const bool finished = process.waitForFinished(60000);
    *output = QString::fromLocal8Bit(process.readAll()).trimmed();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString PgCluster::connectionString(const QString& database) const {
    return QStringLiteral("host=%1 port=%2 user=postgres dbname=%3")
        .arg(m_dir.path(), QLatin1String(Port), database);
}

QString PgCluster::createDatabase(const QString& name) {
    QString output;
    if (!runServerProgram(QStringLiteral("createdb"),
                          {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-p"),
                           QLatin1String(Port), QStringLiteral("-U"), QStringLiteral("postgres"),
                           name},
                          &output))
        qFatal("createdb %s failed: %s", qPrintable(name), qPrintable(output));
    return connectionString(name);
}
