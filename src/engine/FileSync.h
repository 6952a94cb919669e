#pragma once

#include <QString>

class QFileDevice;

// Durable writes. QFile::flush hands the data to the operating system; a file that replaces
// or backs up the user's data must also be on the disk before it is renamed into place, or a
// power cut could leave the new name on an empty file.

// Flushes the file's buffers and asks the system to write its data to the disk. False when
// either fails.
bool flushToDisk(QFileDevice& file);

// Makes a rename within the folder durable. On POSIX systems a new directory entry reaches
// the disk only when the folder itself is synced; elsewhere the rename is durable already.
void flushFolder(const QString& folder);

// Lets the system forget the file's data it still holds in memory, once it is on the disk,
// so that reading the file back reads what the disk holds. A hint: where the system keeps
// the copy anyway, nothing changes.
void dropCachedData(QFileDevice& file);

// Gives the file `from` the name `to` in one step, replacing a file of that name: at every
// moment `to` names either the old file or the new one, never neither. Both names must be on
// the same volume. False, with the system's reason in `why`, when the system refuses.
bool replaceFile(const QString& from, const QString& to, QString* why = nullptr);

// A second name for an existing file on the same volume (a hard link), sharing its data.
// False where the file system has no such links (FAT) or refuses, with the reason in `why`.
bool linkFile(const QString& existing, const QString& newName, QString* why = nullptr);
