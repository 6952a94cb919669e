#include "ExportCommand.h"

#include "ReportCommand.h"
#include "engine/Database.h"
#include "exchange/CsvExport.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace ExportCommand {

int run(const Request& request, QTextStream& out, QTextStream& err) {
    // Reading only: the export works on a read-only copy and locks no one out.
    auto db = ReportCommand::openForReading(request.database);
    const CsvExport::Result result = CsvExport::toFile(*db, request.csv, true);
    db->close();
    const QString target = ReportCommand::shownTarget(request.csv);
    if (!result.written) {
        err << "pvxadmin: " << u"could not write %1: %2"_s.arg(target, result.error) << '\n';
        return 1;
    }
    // What went to the standard output is the CSV alone.
    (request.csv == u"-"_s ? err : out)
        << u"Exported %1 %2 to %3\n"_s.arg(result.records)
               .arg(result.records == 1 ? u"record"_s : u"records"_s, target);
    return 0;
}

} // namespace ExportCommand
