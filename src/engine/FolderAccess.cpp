#include "engine/FolderAccess.h"

#include <QFileInfo>

QString blockingFolder(const QString& path) {
    QFileInfo info(QFileInfo(path).absolutePath());
    while (true) {
        if (info.exists())
            return info.isDir() && !info.isExecutable() ? info.absoluteFilePath() : QString();
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return {};
        info = QFileInfo(parent);
    }
}
