#include "NewDatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// A signal handler may only call async-signal-safe functions, so the paths to remove are
// kept ready as plain C strings.
char g_pendingFile[4096];
char g_pendingJournal[4096];
constexpr int handledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void removePendingAndDie(int signalNumber) {
    if (g_pendingFile[0] != '\0')
        ::unlink(g_pendingFile);
    if (g_pendingJournal[0] != '\0')
        ::unlink(g_pendingJournal);
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

    // The temporary file lies next to the final one, so the rename stays on one volume.
    QTemporaryFile reserve(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.tmp")));
    reserve.setAutoRemove(false);
    // No signal may come between making the file and recording it for removal.
    sigset_t handled;
    sigset_t previous;
    sigemptyset(&handled);
    for (int signalNumber : handledSignals)
        sigaddset(&handled, signalNumber);
    sigprocmask(SIG_BLOCK, &handled, &previous);
    const bool reserved = reserve.open();
    if (reserved) {
        m_temporaryPath = reserve.fileName();
        reserve.close();
        setPending(m_temporaryPath);
        for (int signalNumber : handledSignals)
            std::signal(signalNumber, removePendingAndDie);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (!reserved)
        throw failure(
            QStringLiteral("cannot write in %1: %2")
                .arg(QDir::toNativeSeparators(target.absolutePath()), reserve.errorString()));
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

    // The new name is only durable once the folder itself is flushed.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_finalPath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void NewDatabaseFile::removeTemporary() {
    if (m_temporaryPath.isEmpty())
        return;
    QFile::remove(m_temporaryPath);
    QFile::remove(m_temporaryPath + QStringLiteral("-journal"));
}
