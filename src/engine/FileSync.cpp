#include "engine/FileSync.h"

#include <QFile>
#include <QFileDevice>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

void setReason(QString* why, const QString& reason) {
    if (why)
        *why = reason;
}

#if defined(Q_OS_WIN)
QString lastErrorText() {
    return QStringLiteral("system error %1").arg(GetLastError());
}
#else
QString lastErrorText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

} // namespace

bool flushToDisk(QFileDevice& file) {
    if (!file.flush())
        return false;
    const int handle = file.handle();
    if (handle < 0)
        return false;
#if defined(Q_OS_WIN)
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(handle))) != 0;
#else
    return ::fsync(handle) == 0;
#endif
}

void flushFolder(const QString& folder) {
#if defined(Q_OS_WIN)
    // NTFS records the rename in its journal; there is no folder to sync.
    Q_UNUSED(folder);
#else
    const QByteArray name = QFile::encodeName(folder);
    const int handle = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#endif
}

void dropCachedData(QFileDevice& file) {
#if defined(Q_OS_LINUX)
    const int handle = file.handle();
    if (handle >= 0)
        ::posix_fadvise(handle, 0, 0, POSIX_FADV_DONTNEED);
#else
    Q_UNUSED(file);
#endif
}

bool replaceFile(const QString& from, const QString& to, QString* why) {
#if defined(Q_OS_WIN)
    const bool done = MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                                  reinterpret_cast<const wchar_t*>(to.utf16()),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    // rename() replaces the target atomically; QFile::rename would refuse an existing one.
    const bool done =
        std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
    if (!done)
        setReason(why, lastErrorText());
    return done;
}

bool linkFile(const QString& existing, const QString& newName, QString* why) {
#if defined(Q_OS_WIN)
    const bool done =
        CreateHardLinkW(reinterpret_cast<const wchar_t*>(newName.utf16()),
                        reinterpret_cast<const wchar_t*>(existing.utf16()), nullptr) != 0;
#else
    const bool done = ::link(QFile::encodeName(existing).constData(),
                             QFile::encodeName(newName).constData()) == 0;
#endif
    if (!done)
        setReason(why, lastErrorText());
    return done;
}
