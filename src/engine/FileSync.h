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
