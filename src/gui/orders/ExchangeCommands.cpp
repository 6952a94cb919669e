#include "gui/orders/ExchangeCommands.h"

#include "core/AppState.h"
#include "core/Progress.h"
#include "dates/LocaleDates.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "exchange/CsvExport.h"
#include "exchange/ImportSource.h"
#include "exchange/Importer.h"
#include "gui/app/Services.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString importTitle = u"Import"_s;
const QString exportTitle = u"Export to CSV"_s;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// One pass of the import over the file: checking only, or writing. Nothing when the file
// could not be read or the database failed; the message has been shown then.
std::optional<Importer::Result> importPass(AppState& state, Services& services, QWidget* parent,
                                           const QString& file, bool dryRun) {
    try {
        const auto source = openImportSource(file);
        const auto progress = services.showProgress(importTitle, parent);
        Importer::Request request;
        request.dryRun = dryRun;
        request.conversion = importConversion(services);
        request.progress = followOn(
            *progress,
            (dryRun ? u"Checking %1..."_s : u"Importing %1..."_s).arg(QFileInfo(file).fileName()));
        return Importer::run(*state.gDatabase, *source, request);
    } catch (const ImportError& error) {
        services.message(error.message(), importTitle);
    } catch (const EngineError& error) {
        services.message(u"Nothing was imported: %1"_s.arg(error.description()), importTitle);
    }
    return std::nullopt;
}

} // namespace

std::function<bool(qint64, qint64)> followOn(Progress& progress, const QString& stage) {
    return [&progress, stage, total = qint64(-1)](qint64 done, qint64 size) mutable {
        if (size != total) {
            total = size;
            progress.setStage(stage, size);
        }
        return progress.advance(done);
    };
}

FieldConversion::Options importConversion(Services& services) {
    FieldConversion::Options options;
    options.locale = services.locale();
    const int year = services.today().year();
    options.readLocaleDate = [locale = options.locale, year](const QString& text) {
        const std::optional<DateValue> date = LocaleDates::toDate(text, locale, year);
        return date ? date->toVariant() : QVariant();
    };
    return options;
}

void runImport(AppState& state, Services& services, QWidget* parent,
               const std::function<void()>& showAfresh) {
    const QString file = services.openFileName(
        parent, importTitle,
        u"Access databases and CSV files (*.mdb *.accdb *.csv);;All files (*)"_s);
    if (file.isEmpty() || !state.gDatabase)
        return;
    const QString name = shown(file);

    // Everything is read and checked first, so that the question says what will come in.
    const std::optional<Importer::Result> check = importPass(state, services, parent, file, true);
    if (!check || check->outcome == Importer::Outcome::Cancelled)
        return;
    if (check->outcome != Importer::Outcome::Imported) {
        services.message(Importer::summary(*check, name), importTitle);
        return;
    }
    const QString question = Importer::summary(*check, name) + u"\n\nImport them now?"_s;
    if (services.message(question, importTitle, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;

    const std::optional<Importer::Result> result = importPass(state, services, parent, file, false);
    if (!result || result->outcome == Importer::Outcome::Cancelled)
        return;
    if (result->outcome == Importer::Outcome::Imported && showAfresh)
        showAfresh();
    if (!state.programEnded)
        services.message(Importer::summary(*result, name), importTitle);
}

void runCsvExport(AppState& state, Services& services, QWidget* parent) {
    const QString file =
        services.saveFileName(parent, exportTitle, state.gDataDir + u"pvx.csv"_s,
                              u"CSV files (*.csv);;All files (*)"_s, OverwriteQuestion::ByDialog);
    if (file.isEmpty() || !state.gDatabase)
        return;
    CsvExport::Result result;
    try {
        const auto progress = services.showProgress(exportTitle, parent);
        result = CsvExport::toFile(
            *state.gDatabase, file, false,
            followOn(*progress, u"Writing %1..."_s.arg(QFileInfo(file).fileName())));
    } catch (const EngineError& error) {
        result.error = error.description();
    }
    if (result.cancelled)
        return;
    if (!result.written) {
        services.message(u"%1 was not written: %2"_s.arg(shown(file), result.error), exportTitle);
        return;
    }
    services.message(u"Exported %1 %2 to %3"_s.arg(result.records)
                         .arg(result.records == 1 ? u"record"_s : u"records"_s, shown(file)),
                     exportTitle);
}
