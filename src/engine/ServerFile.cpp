#include "engine/ServerFile.h"

#include "engine/EngineError.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace ServerFile {

QString read(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EngineError(ErrorNumber::FileNotFound,
                          QStringLiteral("Could not read '%1': %2").arg(shown, file.errorString()));
    // A connection string is short; anything long is not one.
    const QByteArray bytes = file.read(64 * 1024);
    QStringList strings;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(QLatin1Char('#')))
            strings << text;
    }
    if (strings.size() != 1)
        throw EngineError(ErrorNumber::CannotOpenFile,
                          QStringLiteral("'%1' must hold one connection string on one line (lines "
                                         "starting with # are comments); it holds %2.")
                              .arg(shown)
                              .arg(strings.size()));
    return strings.constFirst();
}

} // namespace ServerFile
