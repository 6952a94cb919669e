#include "FileSync.h"

#include <QFile>
#include <QFileDevice>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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
