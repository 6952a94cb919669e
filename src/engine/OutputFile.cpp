#include "engine/OutputFile.h"

#include "engine/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <cstring>

#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

enum class Target { File, Pipe, Device, StandardStream, Folder, BlockDevice, Socket, Other };

// Names that stand for a stream the program was started with. Renaming over one would put
// a file where the shell's redirection or pipe was; they are written as a stream always.
bool isStandardStreamName(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    return clean == u"/dev/stdout"_s || clean == u"/dev/stderr"_s ||
           clean.startsWith(u"/dev/fd/"_s) || clean.startsWith(u"/proc/self/fd/"_s);
}

Target targetOf(const QString& path) {
#if defined(Q_OS_WIN)
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return Target::File;
    return info.isDir() ? Target::Folder : Target::Other;
#else
    if (isStandardStreamName(path))
        return Target::StandardStream;
    struct stat status {};
    // Nothing there yet, or nothing that can be looked at: written as a new file, whose
    // opening then says what is wrong.
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return Target::File;
    if (S_ISREG(status.st_mode))
        return Target::File;
    if (S_ISFIFO(status.st_mode))
        return Target::Pipe;
    if (S_ISCHR(status.st_mode))
        return Target::Device;
    if (S_ISDIR(status.st_mode))
        return Target::Folder;
    if (S_ISBLK(status.st_mode))
        return Target::BlockDevice;
    if (S_ISSOCK(status.st_mode))
        return Target::Socket;
    return Target::Other;
#endif
}

QString refusal(Target target, const QString& shown) {
    switch (target) {
    case Target::Folder:
        return u"'%1' is a folder.  Choose a file name for the output."_s.arg(shown);
    case Target::BlockDevice:
        return u"'%1' is a disk device, not a file; nothing is written to it."_s.arg(shown);
    case Target::Socket:
        return u"'%1' is a socket, not a file; nothing is written to it."_s.arg(shown);
    default:
        return u"'%1' is not a file; nothing is written to it."_s.arg(shown);
    }
}

// How long a named pipe is given to find its reader, for a reader started just after us.
constexpr int PipeReaderWaitMs = 1000;
constexpr int PipeReaderPollMs = 50;

} // namespace

OutputFile::OutputFile(QString fileName, Names names)
    : m_fileName(std::move(fileName)), m_names(names) {}

OutputFile::~OutputFile() {
    cancel();
}

bool OutputFile::isStandardOutput() const {
    return m_names == Names::DashIsStandardOutput && m_fileName == u"-"_s;
}

bool OutputFile::fail(int number, const QString& reason) {
    m_errorNumber = number;
    m_error = reason;
    return false;
}

bool OutputFile::failWrite(int systemError) {
    if (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG)
        return fail(ErrorNumber::DiskFull, QString::fromLocal8Bit(std::strerror(systemError)));
    QString reason = systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError))
                                      : device().errorString();
    if (reason.isEmpty())
        reason = u"Device I/O error"_s;
    return fail(ErrorNumber::DeviceIOError, reason);
}

bool OutputFile::open(QIODevice::OpenMode extraOpenMode) {
    cancel();
    m_error.clear();
    m_errorNumber = 0;
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | extraOpenMode;
    if (isStandardOutput()) {
        m_stream = std::make_unique<QFile>();
        if (!m_stream->open(stdout, mode, QFileDevice::DontCloseHandle)) {
            m_stream.reset();
            return fail(ErrorNumber::DeviceIOError, u"The standard output is closed."_s);
        }
        return true;
    }
    const QString shown = QDir::toNativeSeparators(QFileInfo(m_fileName).absoluteFilePath());
    const Target target = targetOf(m_fileName);
    switch (target) {
    case Target::File:
        break;
    case Target::Pipe:
    case Target::Device:
    case Target::StandardStream:
        return openStream(shown, target == Target::Pipe, mode);
    default:
        return fail(ErrorNumber::PathFileAccess, refusal(target, shown));
    }

    m_file = std::make_unique<QSaveFile>(m_fileName);
    if (m_file->open(mode))
        return true;
    const QString reason = m_file->errorString();
    m_file.reset();
    const QString folder = QFileInfo(m_fileName).absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(ErrorNumber::PathNotFound,
                    u"Path not found: %1"_s.arg(QDir::toNativeSeparators(folder)));
    return fail(ErrorNumber::PermissionDenied, reason);
}

bool OutputFile::openStream(const QString& shown, bool isPipe, QIODevice::OpenMode mode) {
#if defined(Q_OS_WIN)
    Q_UNUSED(isPipe);
    Q_UNUSED(mode);
    return fail(ErrorNumber::PathFileAccess, refusal(Target::Other, shown));
#else
    // Never created: a device or pipe that has gone meanwhile must not turn into a file.
    // Appended to, as the shell's >> would, so that a redirection to a file keeps what was
    // written before.
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_APPEND;
    // Opening a pipe for writing waits for a reader; without one, that would be for ever.
    if (isPipe)
        flags |= O_NONBLOCK;
    const QByteArray native = QFile::encodeName(m_fileName);
    int handle = ::open(native.constData(), flags);
    for (int waited = 0; handle < 0 && errno == ENXIO && isPipe && waited < PipeReaderWaitMs;
         waited += PipeReaderPollMs) {
        QThread::msleep(PipeReaderPollMs);
        handle = ::open(native.constData(), flags);
    }
    if (handle < 0) {
        const int error = errno;
        if (error == ENXIO && isPipe)
            return fail(ErrorNumber::DeviceIOError,
                        u"No program is reading from the pipe '%1'."_s.arg(shown));
        if (error == EACCES || error == EPERM || error == EROFS)
            return fail(ErrorNumber::PermissionDenied, u"Permission denied: '%1'"_s.arg(shown));
        return fail(ErrorNumber::DeviceIOError,
                    u"'%1': %2"_s.arg(shown, QString::fromLocal8Bit(std::strerror(error))));
    }
    // The reader is there: from now on a write waits for it as any pipe's writer does.
    if (isPipe)
        ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    m_stream = std::make_unique<QFile>();
    if (!m_stream->open(handle, mode, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        m_stream.reset();
        return fail(ErrorNumber::DeviceIOError, u"'%1' cannot be written."_s.arg(shown));
    }
    return true;
#endif
}

QIODevice& OutputFile::device() {
    if (m_stream)
        return *m_stream;
    return *m_file;
}

bool OutputFile::commit() {
    if (m_stream) {
        errno = 0;
        const bool flushed = m_stream->flush();
        const int systemError = errno;
        const bool sound = flushed && m_stream->error() == QFileDevice::NoError;
        if (!sound)
            failWrite(flushed ? 0 : systemError);
        m_stream->close();
        m_stream.reset();
        return sound;
    }
    if (!m_file)
        return fail(ErrorNumber::DeviceIOError, u"The output is not open."_s);
    errno = 0;
    const bool written = m_file->error() == QFileDevice::NoError;
    if (!written || !m_file->commit()) {
        const int systemError = errno;
        if (written)
            failWrite(systemError);
        else
            fail(ErrorNumber::DeviceIOError, m_file->errorString());
        m_file.reset();
        return false;
    }
    m_file.reset();
    return true;
}

void OutputFile::cancel() {
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
    if (m_stream) {
        m_stream->close();
        m_stream.reset();
    }
}
