#pragma once

#include <QString>

// A database file built under a temporary name in its final folder and renamed into place
// only when it is complete, so an interrupted or failed run never leaves a half-made
// pvx.mdb behind. Until commit() the temporary file is removed again: by the destructor
// on an error, and by a signal handler when the run is interrupted (Ctrl+C, kill).
class NewDatabaseFile {
public:
    // Throws std::runtime_error when the final file already exists or the folder is unusable.
    explicit NewDatabaseFile(const QString& finalPath);
    ~NewDatabaseFile();
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    QString temporaryPath() const { return m_temporaryPath; }
    QString finalPath() const { return m_finalPath; }

    // Renames the finished file into place; never replaces a file that appeared meanwhile.
    void commit();

private:
    void removeTemporary();

    QString m_finalPath;
    QString m_temporaryPath;
    bool m_committed = false;
};
