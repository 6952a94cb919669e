#include "custom/DesignCheck.h"

#include "custom/DesignStore.h"
#include "custom/ReportDesign.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"

using namespace Qt::StringLiterals;

namespace DesignCheck {

QStringList warnings(Database& db, const ReportCatalogue& catalogue, const QLocale& locale) {
    QStringList lines;
    const DesignStore store(db);
    if (!store.available())
        return lines;
    auto rs =
        db.openSnapshot(u"SELECT DesignKey, DesignName, Design FROM %1 ORDER BY DesignKey"_s.arg(
            QLatin1String(Schema::DesignsTable)));
    for (; !rs->eof(); rs->moveNext()) {
        const QString name = rs->value(u"DesignName"_s).toString();
        const QString which = u"design \"%1\""_s.arg(name);
        if (rs->value(u"DesignKey"_s).toString() != DesignStore::keyOf(name))
            lines << u"%1: its key \"%2\" is not its name's, so it cannot be found by its name"_s
                         .arg(which, rs->value(u"DesignKey"_s).toString());
        try {
            const ReportDesign::Loaded loaded =
                ReportDesign::fromText(rs->value(u"Design"_s).toString(), catalogue, locale);
            if (!loaded.leftOut.isEmpty())
                lines << u"%1: names what the report catalogue does not have: %2"_s.arg(
                    which, loaded.leftOut.join(u", "_s));
        } catch (const ReportDesign::DesignError& error) {
            lines << u"%1 cannot be read: %2"_s.arg(which, error.message());
        }
    }
    rs->close();
    return lines;
}

} // namespace DesignCheck
