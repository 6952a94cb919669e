#include "ReportCommand.h"

#include "core/UserLocale.h"
#include "engine/Database.h"
#include "engine/FolderAccess.h"
#include "engine/OutputFile.h"
#include "engine/Schema.h"
#include "engine/ServerFile.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"
#include "reports/PrintBuiltInReport.h"
#include "reports/ReportSink.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace ReportCommand {
namespace {

const QString databaseName = u"pvx.mdb"_s;

BuiltInReport reportOf(const QString& name) {
    return BuiltInReport(int(reportNames().indexOf(name)) + 1);
}

} // namespace

const QStringList& reportNames() {
    static const QStringList names = {u"all-orders"_s, u"all-rebates"_s, u"all-sales"_s,
                                      u"outstanding"_s, u"overdue"_s};
    return names;
}

QString whyMissing(const QString& path) {
    const QString folder = blockingFolder(path);
    if (!folder.isEmpty())
        return u"the folder %1 exists but may not be entered (permission denied), so %2 cannot "
               u"be reached"_s.arg(QDir::toNativeSeparators(folder),
                                   QDir::toNativeSeparators(path));
    return u"%1 does not exist"_s.arg(QDir::toNativeSeparators(path));
}

QString databasePath(const QString& dirOrFile) {
    const QFileInfo info(dirOrFile);
    if (!info.exists())
        throw std::runtime_error(whyMissing(dirOrFile).toStdString());
    const QString path = info.isDir() ? QDir(info.absoluteFilePath()).filePath(databaseName)
                                      : info.absoluteFilePath();
    if (!QFileInfo::exists(path))
        throw std::runtime_error(whyMissing(path).toStdString());
    return path;
}

QString serverPlace(const QString& connectionString) {
    return QChar(u'\0') + connectionString;
}

bool isServerPlace(const QString& place) {
    return place.startsWith(QChar(u'\0'));
}

namespace {

// The pvx.server of a folder without pvx.mdb, or nothing.
QString serverFileOf(const QString& place) {
    const QFileInfo info(place);
    if (!info.isDir())
        return {};
    const QDir dir(info.absoluteFilePath());
    if (QFileInfo::exists(dir.filePath(databaseName)))
        return {};
    const QString file = dir.filePath(QString::fromLatin1(ServerFile::FileName));
    return QFileInfo::exists(file) ? file : QString();
}

} // namespace

std::unique_ptr<Database> openServerOf(const QString& place) {
    if (isServerPlace(place))
        return Database::openServer(place.mid(1));
    const QString file = serverFileOf(place);
    if (file.isEmpty())
        return nullptr;
    return Database::openServer(ServerFile::read(file));
}

QString shownPlace(const QString& place) {
    if (isServerPlace(place) || !serverFileOf(place).isEmpty()) {
        auto db = openServerOf(place);
        return db->serverName();
    }
    return QDir::toNativeSeparators(databasePath(place));
}

std::unique_ptr<Database> openForReading(const QString& dirOrFile) {
    if (auto server = openServerOf(dirOrFile)) {
        Schema::requireKnownVersion(*server);
        return server;
    }
    auto db = Database::openReadOnly(databasePath(dirOrFile));
    Schema::requireKnownVersion(*db);
    return db;
}

QString shownTarget(const QString& fileName) {
    if (fileName == u"-"_s)
        return u"the standard output"_s;
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

bool takesDateRange(const QString& name) {
    const BuiltInReport report = reportOf(name);
    return report == BuiltInReport::AllOrders || report == BuiltInReport::AllRebates ||
           report == BuiltInReport::AllSales;
}

Result write(const Request& request) {
    const QDate today = QDate::currentDate();
    const QLocale locale = userLocale();
    ReportRequest report;
    report.report = reportOf(request.name);
    // The range the program starts with: from New Year's Day to today.
    report.start = request.from.value_or(QDate(today.year(), 1, 1));
    report.end = request.to.value_or(today);
    report.today = today;
    report.locale = locale;

    // Not exclusive: a report only reads, and must not lock anyone out meanwhile.
    auto db = openForReading(request.database);
    PageDocument document;
    document.setPageSize(PageDocument::localePageSize(locale));
    DocumentSink sink(document);
    const ReportOutcome outcome = printBuiltInReport(*db, report, sink);
    db->close();

    Result result;
    if (outcome == ReportOutcome::NothingToReport) {
        result.message = nothingToReportMessage(report.report);
        return result;
    }
    QString error;
    OutputFile file(request.pdf, OutputFile::Names::DashIsStandardOutput);
    if (!writePdf(document, file, &error))
        throw std::runtime_error(
            u"could not write %1: %2"_s.arg(shownTarget(request.pdf), error).toStdString());
    result.pages = document.pageCount();
    return result;
}

} // namespace ReportCommand
