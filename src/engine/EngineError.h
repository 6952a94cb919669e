#pragma once

#include <QString>

#include <stdexcept>

// Error numbers the error trap dispatches on, and the familiar numbers for the rest.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int ObjectNotSet = 91;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int DatabaseFileNotFound = 3024;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskFull = 61;
inline constexpr int PathNotFound = 76;
// A device refused a write for a reason other than a full disk.
inline constexpr int DeviceIOError = 57;
// A name that is no file to write to: a folder, a disk device, a socket.
inline constexpr int PathFileAccess = 75;
inline constexpr int DatabaseInUse = 3045;
inline constexpr int CannotOpenFile = 3051; // read-only file or folder
inline constexpr int TableNotFound = 3078;
inline constexpr int RecordLocked = 3260;
inline constexpr int RecordLockedOnSave = 3168;
// Another user changed or deleted the record after it was read for editing (a database on
// a server); nothing was written.
inline constexpr int RecordChanged = 3197;
inline constexpr int NotADatabase = 3343;
inline constexpr int InvalidObject = 3420;
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int UpdateWithoutAddNew = 3020;
inline constexpr int FieldNotFound = 3265;
inline constexpr int SyntaxError = 3075;
inline constexpr int DatabaseCorrupt = 3049;
inline constexpr int ReadOnly = 3027;
inline constexpr int EngineFailure = 3146;
inline constexpr int DialogCancelled = 32755;
inline constexpr int DatabaseExists = 3204;
inline constexpr int NotSupported = 3251;
// Long work stopped at the user's request.
inline constexpr int OperationCancelled = 3059;
// The file was written by a newer Purvex whose tables this program does not know.
inline constexpr int NewerDatabase = 3447;
} // namespace ErrorNumber

// A failure of the database engine or of the platform, carrying the number that
// ReportError dispatches on and the text shown to the user.
class EngineError : public std::runtime_error {
public:
    EngineError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};
