#include "custom/CatalogueCheck.h"

#include "custom/ReportCatalogue.h"
#include "custom/ReportDefinition.h"
#include "custom/ReportQuery.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"

#include <QLocale>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString rowName(const CatalogueField& field) {
    return u"RptSpec row %1 (\"%2\")"_s.arg(field.specId).arg(field.desc);
}

// Has the engine prepare and start the report's query; no row is read. Throws EngineError
// when the engine refuses it.
void runQuery(Database& db, const ReportDefinition& definition) {
    const ReportQuery query = buildReportQuery(definition, QLocale::c());
    db.openSnapshot(query.sql() + u" LIMIT 0"_s, query.params())->close();
}

} // namespace

namespace CatalogueCheck {

QStringList problems(Database& db, const ReportCatalogue& catalogue) {
    QStringList found;
    ReportDefinition definition = ReportDefinition::withDefaults(catalogue);
    // The sound rows, and one of each other table, whose joins the second pass adds.
    QList<const CatalogueField*> sound;
    QList<const CatalogueField*> joiners;
    QSet<QString> joined;
    for (const CatalogueField& field : catalogue.fields()) {
        definition.fields = {field.specId};
        try {
            runQuery(db, definition);
        } catch (const EngineError& error) {
            found << u"%1: a report of this field fails: %2"_s.arg(rowName(field),
                                                                   error.description());
            continue;
        }
        sound << &field;
        const QString table = field.filename.toLower();
        if (!field.inOrdersTable() && !joined.contains(table)) {
            joined.insert(table);
            joiners << &field;
        }
    }

    for (const CatalogueField* field : std::as_const(sound)) {
        definition.fields = {field->specId};
        definition.settingsOf(field->specId).Hide = false;
        QStringList tables;
        for (const CatalogueField* joiner : std::as_const(joiners)) {
            if (joiner->filename.compare(field->filename, Qt::CaseInsensitive) == 0)
                continue;
            // Hidden, its table is joined but the query selects the field alone.
            definition.fields << joiner->specId;
            definition.settingsOf(joiner->specId).Hide = true;
            tables << joiner->filename;
        }
        if (tables.isEmpty())
            continue;
        try {
            runQuery(db, definition);
        } catch (const EngineError& error) {
            found << u"%1: a report of this field with fields of %2 fails: %3"_s.arg(
                rowName(*field), tables.join(u", "_s), error.description());
        }
    }
    return found;
}

} // namespace CatalogueCheck
