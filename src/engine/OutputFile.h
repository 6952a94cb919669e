#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

class QFile;
class QSaveFile;

// A file the program writes for the user: a report as PDF, text or HTML, an export. What is
// there under the name decides how it is written:
// - a regular file, or nothing yet: the output is written beside it and takes its name only
//   when complete, so a failure never leaves half a file nor harms the one that was there;
// - a named pipe or a character device (a terminal, /dev/null), or a name of the standard
//   streams (/dev/stdout): the output is written to it directly, as a shell redirection
//   would, so that it can be piped; such a target is never renamed over or replaced;
// - anything else (a folder, a block device, a socket): refused with a message.
// The output counts as written only when commit() says so: a device that refuses a write
// (a full disk, /dev/full, a pipe nobody reads) makes commit() fail with the reason.
class OutputFile {
public:
    // Whether "-" names the standard output, as it does on pvxadmin's command line.
    enum class Names { Plain, DashIsStandardOutput };

    explicit OutputFile(QString fileName, Names names = Names::Plain);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens the target for writing, with the extra open flags given (Unbuffered, so that a
    // refused write fails in write() itself). False, with the reason, when it cannot be
    // written; nothing has been touched then.
    bool open(QIODevice::OpenMode extraOpenMode = {});
    // Where the output goes, once open.
    QIODevice& device();
    // Finishes the output: everything has reached the target, a file written beside its
    // target has taken its name. False, with the reason, when any write or the finishing
    // failed; a file then keeps what it held before.
    bool commit();
    // Gives up the output: a file written beside its target is removed, the target stays as
    // it was. Done by the destructor too when the output was not committed.
    void cancel();

    QString fileName() const { return m_fileName; }
    // The output goes straight to the target (a pipe, a device, the standard output).
    bool isStream() const { return m_stream != nullptr; }
    bool isStandardOutput() const;
    // The reason of the last failure, in the system's words where it gave them.
    QString errorString() const { return m_error; }
    // The error number of the last failure: PathNotFound, PermissionDenied, DiskFull,
    // DeviceIOError, or PathFileAccess for a target that is not a file.
    int errorNumber() const { return m_errorNumber; }

private:
    bool fail(int number, const QString& reason);
    bool failWrite(int systemError);
    bool openStream(const QString& shown, bool isPipe, QIODevice::OpenMode mode);

    QString m_fileName;
    Names m_names;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QFile> m_stream;
    QString m_error;
    int m_errorNumber = 0;
};
