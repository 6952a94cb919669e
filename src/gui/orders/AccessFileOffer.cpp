#include "gui/orders/AccessFileOffer.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "core/Progress.h"
#include "engine/EngineError.h"
#include "exchange/AccessConversion.h"
#include "exchange/AccessReader.h"
#include "gui/app/Services.h"
#include "gui/orders/ExchangeCommands.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString title = u"Convert Database"_s;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString formatOf(const QString& path, const QString& table) {
    try {
        return AccessReader(path, table).formatName();
    } catch (const ImportError&) {
        return {};
    }
}

} // namespace

void offerAccessConversion(AppState& state, Services& services, const OldRecordsTable& table) {
    const QString path = state.gDbPath;
    if (!AccessReader::isAccessFile(path))
        return;
    const auto found = [&path](const QString& format) {
        return u"The database file '%1' is an Access-format database%2, as the older program "
               u"kept its records in, not a Purvex database."_s.arg(shown(path), format);
    };
    try {
        AccessConversion::check(path, table.name);
    } catch (const ImportError& error) {
        throw EngineError(ErrorNumber::NotADatabase,
                          u"%1  It cannot be converted: %2  Purvex left it as it is."_s.arg(
                              found(QString()), error.message()));
    }
    const QString format = u" (%1)"_s.arg(formatOf(path, table.name));
    const QString kept = AccessConversion::keptPath(path);
    const QString question =
        u"%1\n\nPurvex can convert it: a new pvx.mdb will hold its records, and the old file "
        u"will be kept unchanged as '%2' beside it.\n\nConvert it now?"_s.arg(found(format),
                                                                              shown(kept));
    if (services.message(question, title, MsgButtons::YesNo) != MsgAnswer::Yes)
        throw EngineError(
            ErrorNumber::NotADatabase,
            u"%1  It was not converted, and Purvex left it as it is."_s.arg(found(format)));

    services.setBusy(true);
    AccessConversion::Result result;
    {
        const auto progress = services.showProgress(title, nullptr);
        Importer::Request request;
        request.conversion = importConversion(services);
        request.pairs = table.pairs;
        request.progress = followOn(*progress, u"Converting pvx.mdb..."_s);
        result = AccessConversion::run(path, request, table.name);
    }
    services.setBusy(false);

    const QString unchanged = u"pvx.mdb was left as it was."_s;
    switch (result.outcome) {
    case AccessConversion::Result::Outcome::Converted:
        services.message(u"Converted %1 %2 into a new pvx.mdb.  The old file is kept unchanged "
                         u"as '%3'."_s.arg(result.import.records)
                             .arg(result.import.records == 1 ? u"record"_s : u"records"_s,
                                  shown(result.keptPath)),
                         title);
        return;
    case AccessConversion::Result::Outcome::Refused:
        services.message(Importer::summary(result.import, u"pvx.mdb"_s) + u"\n\n"_s + unchanged,
                         title);
        break;
    case AccessConversion::Result::Outcome::Cancelled:
        services.message(u"The conversion was stopped.  "_s + unchanged, title);
        break;
    case AccessConversion::Result::Outcome::Failed:
        services.message(u"The conversion failed: %1  %2"_s.arg(result.error, unchanged), title);
        break;
    }
    endProgram(state, services, 1);
}
