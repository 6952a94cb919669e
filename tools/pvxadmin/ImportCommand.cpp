#include "ImportCommand.h"

#include "ReportCommand.h"
#include "core/UserLocale.h"
#include "dates/LocaleDates.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Schema.h"
#include "exchange/ImportSource.h"
#include "exchange/Importer.h"

#include <QDate>
#include <QDir>
#include <QTextStream>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace ImportCommand {
namespace {

constexpr int Imported = 0;
constexpr int NothingToImport = 1;
constexpr int Failed = 2;

FieldConversion::Options conversionOptions() {
    FieldConversion::Options options;
    options.locale = userLocale();
    const int year = QDate::currentDate().year();
    options.readLocaleDate = [locale = options.locale, year](const QString& text) {
        const std::optional<DateValue> date = LocaleDates::toDate(text, locale, year);
        return date ? date->toVariant() : QVariant();
    };
    return options;
}

} // namespace

int run(const Request& request, QTextStream& out, QTextStream& err) {
    try {
        const QString path = ReportCommand::databasePath(request.database);
        const auto source = openImportSource(request.file, request.table);
        auto db = Database::open(path, true);
        // A file refused is left exactly as it was: nothing is written before these checks.
        Schema::requireKnownVersion(*db);
        Schema::requireOrdersTable(*db);
        Importer::Request importing;
        importing.pairs = request.pairs;
        importing.dryRun = request.dryRun;
        importing.conversion = conversionOptions();
        const Importer::Result result = Importer::run(*db, *source, importing);
        db->close();
        const QString summary =
            Importer::summary(result, QDir::toNativeSeparators(request.file)) + u'\n';
        switch (result.outcome) {
        case Importer::Outcome::Imported:
            out << summary;
            return Imported;
        case Importer::Outcome::NoRows:
            err << "pvxadmin: " << summary;
            return NothingToImport;
        case Importer::Outcome::Refused:
        case Importer::Outcome::Cancelled:
            err << "pvxadmin: " << summary;
            return Failed;
        }
    } catch (const ImportError& error) {
        err << "pvxadmin: " << error.message() << '\n';
    } catch (const EngineError& error) {
        err << "pvxadmin: " << QString(error.description()).replace(u'\n', u' ') << '\n';
    } catch (const std::exception& error) {
        err << "pvxadmin: " << error.what() << '\n';
    }
    return Failed;
}

} // namespace ImportCommand
