#include "CopyCommand.h"

#include "ReportCommand.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Schema.h"
#include "maint/DatabaseCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace CopyCommand {
namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 2;

// The place as the rest of pvxadmin names it: a folder, or a server's connection string.
QString placeOf(const QString& argument) {
    const QString prefix = QLatin1String(ServerPrefix);
    if (argument.startsWith(prefix, Qt::CaseInsensitive)) {
        const QString connection = argument.mid(prefix.size()).trimmed();
        if (connection.isEmpty())
            throw EngineError(ErrorNumber::CannotOpenFile,
                              u"\"%1\" needs a connection string after it"_s.arg(prefix));
        return ReportCommand::serverPlace(connection);
    }
    return argument;
}

// The folder of a pvx.mdb to be made: it must exist and hold no pvx.mdb.
QString newFileIn(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir())
        throw EngineError(ErrorNumber::PathNotFound,
                          u"%1 is not a folder"_s.arg(QDir::toNativeSeparators(folder)));
    return QDir(info.absoluteFilePath()).filePath(u"pvx.mdb"_s);
}

} // namespace

int run(const QString& fromArgument, const QString& toArgument, QTextStream& out,
        QTextStream& err) {
    try {
        const QString source = placeOf(fromArgument);
        const QString destination = placeOf(toArgument);
        auto reader = ReportCommand::openForReading(source);
        DatabaseCopy::Summary summary;
        QString shown;
        if (auto server = ReportCommand::openServerOf(destination)) {
            summary = DatabaseCopy::toServer(*reader, *server);
            shown = server->serverName();
        } else {
            const QString path = newFileIn(destination);
            summary = DatabaseCopy::toFile(*reader, path, false);
            shown = QDir::toNativeSeparators(path);
        }
        const QString from =
            reader->isServer() ? reader->serverName() : ReportCommand::shownPlace(source);
        out << u"Copied %1 to %2.\n"_s.arg(from, shown);
        for (const DatabaseCopy::TableCount& count : std::as_const(summary.counts))
            out << u"%1\t%2\n"_s.arg(count.table).arg(count.rows);
        out << u"SHA-256\t%1\n"_s.arg(summary.checksum);
        return ExitOk;
    } catch (const EngineError& error) {
        err << "pvxadmin: " << QString(error.description()).replace(u'\n', u' ') << '\n';
    } catch (const std::exception& error) {
        err << "pvxadmin: " << error.what() << '\n';
    }
    return ExitFailed;
}

} // namespace CopyCommand
