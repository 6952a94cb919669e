#include "NewDatabaseFile.h"

#include "engine/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

// A signal handler may only call async-signal-safe functions, so the paths to remove are
// kept ready as plain C strings.
char g_pendingFile[4096];
char g_pendingJournal[4096];
// The signals that end a run from outside. SIGHUP and SIGQUIT exist on POSIX systems only.
constexpr int handledSignals[] = {
    SIGINT,
    SIGTERM,
#if defined(SIGHUP)
    SIGHUP,
#endif
#if defined(SIGQUIT)
    SIGQUIT,
#endif
};

extern "C" void removePendingAndDie(int signalNumber) {
    if (g_pendingFile[0] != '\0')
        std::remove(g_pendingFile);
    if (g_pendingJournal[0] != '\0')
        std::remove(g_pendingJournal);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void copyPath(char* target, const QByteArray& path) {
    if (path.size() >= qsizetype(sizeof g_pendingFile)) {
        target[0] = '\0';
        return;
    }
    std::memcpy(target, path.constData(), std::size_t(path.size()) + 1);
}

void setPending(const QString& path) {
    if (path.isEmpty()) {
        g_pendingFile[0] = '\0';
        g_pendingJournal[0] = '\0';
        return;
    }
    copyPath(g_pendingFile, QFile::encodeName(path));
    copyPath(g_pendingJournal, QFile::encodeName(path + QStringLiteral("-journal")));
}

std::runtime_error failure(const QString& message) {
    return std::runtime_error(message.toStdString());
}

} // namespace

NewDatabaseFile::NewDatabaseFile(const QString& finalPath) : m_finalPath(finalPath) {
    const QFileInfo target(finalPath);
    if (target.exists() || target.isSymLink())
        throw failure(QStringLiteral("%1 already exists; it was left as it is")
                          .arg(QDir::toNativeSeparators(finalPath)));

    // The temporary file lies next to the final one, so the rename stays on one volume. Its
    // name is recorded for removal before the file is made, so no signal can come between
    // making it and being able to remove it.
    const QDir folder = target.absoluteDir();
    for (int attempt = 0; attempt < 100 && m_temporaryPath.isEmpty(); ++attempt) {
        const QString candidate = folder.filePath(
            QStringLiteral("%1.%2.tmp")
                .arg(target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        setPending(candidate);
        for (int signalNumber : handledSignals)
            std::signal(signalNumber, removePendingAndDie);
        QFile probe(candidate);
        // NewOnly refuses a name that is taken, atomically.
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            probe.close();
            m_temporaryPath = candidate;
        } else if (!QFileInfo::exists(candidate)) {
            // Not a name taken by chance: the folder cannot be written.
            setPending(QString());
            throw failure(
                QStringLiteral("cannot write in %1: %2")
                    .arg(QDir::toNativeSeparators(folder.absolutePath()), probe.errorString()));
        }
    }
    if (m_temporaryPath.isEmpty())
        throw failure(QStringLiteral("cannot find a free temporary name in %1")
                          .arg(QDir::toNativeSeparators(folder.absolutePath())));
    // The database is created by the engine, which refuses an existing file; the name
    // stays reserved by the signal handler's record, not by the empty file.
    QFile::remove(m_temporaryPath);
}

NewDatabaseFile::~NewDatabaseFile() {
    if (!m_committed)
        removeTemporary();
    setPending(QString());
    for (int signalNumber : handledSignals)
        std::signal(signalNumber, SIG_DFL);
}

void NewDatabaseFile::commit() {
    // QFile::rename never replaces an existing file.
    QFile file(m_temporaryPath);
    if (!file.rename(m_finalPath))
        throw failure(QStringLiteral("cannot rename %1 to %2: %3")
                          .arg(QDir::toNativeSeparators(m_temporaryPath),
                               QDir::toNativeSeparators(m_finalPath), file.errorString()));
    m_committed = true;
    setPending(QString());
    flushFolder(QFileInfo(m_finalPath).absolutePath());
}

void NewDatabaseFile::removeTemporary() {
    if (m_temporaryPath.isEmpty())
        return;
    QFile::remove(m_temporaryPath);
    QFile::remove(m_temporaryPath + QStringLiteral("-journal"));
}
