#include "DesignCommands.h"

#include "CustomCommand.h"
#include "ReportCommand.h"

#include "core/UserLocale.h"
#include "custom/DesignStore.h"
#include "custom/ReportCatalogue.h"
#include "custom/ReportDesign.h"
#include "engine/Database.h"
#include "engine/Schema.h"

#include <QDir>
#include <QTextStream>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace DesignCommands {
namespace {

ReportCatalogue catalogueOf(Database& db) {
    try {
        return ReportCatalogue::read(db);
    } catch (const CatalogueError& error) {
        throw std::runtime_error(error.message().toStdString());
    }
}

// A name as one cell of a tab-separated line.
QString cell(const QString& text) {
    QString one = text;
    for (QChar& c : one) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return one;
}

} // namespace

int list(const QString& dirOrFile, QTextStream& out, QTextStream& err) {
    auto db = ReportCommand::openForReading(dirOrFile);
    const ReportCatalogue catalogue = catalogueOf(*db);
    const QList<StoredDesign> designs = DesignStore(*db).all();
    db->close();
    if (designs.isEmpty()) {
        out << u"No designs are saved in %1.\n"_s.arg(ReportCommand::shownPlace(dirOrFile));
        return 0;
    }
    const QLocale locale = userLocale();
    for (const StoredDesign& design : designs) {
        QStringList fields;
        QString missing;
        QString target;
        try {
            const ReportDesign::Loaded loaded =
                ReportDesign::fromText(design.text, catalogue, locale);
            const ReportDefinition& d = loaded.definition;
            for (int specId : d.fields)
                fields << (d.settingsOf(specId).Hide
                               ? u"%1 (hidden)"_s.arg(d.catalogue.field(specId).desc)
                               : d.catalogue.field(specId).desc);
            if (!loaded.leftOut.isEmpty())
                missing = u"; left out: %1"_s.arg(loaded.leftOut.join(u", "_s));
            target = ReportDesign::targetName(d.reportTo);
        } catch (const ReportDesign::DesignError& error) {
            err << u"pvxadmin: warning: the design \"%1\" cannot be read: %2\n"_s.arg(
                cell(design.name), error.message());
        }
        out << cell(design.name) << '\t' << cell(fields.join(u", "_s) + missing) << '\t' << target
            << '\n';
    }
    return 0;
}

ReportDefinition load(Database& db, const ReportCatalogue& catalogue, const QString& name,
                      const QLocale& locale) {
    const std::optional<StoredDesign> stored = DesignStore(db).find(name);
    if (!stored)
        throw CustomCommand::BadArgument(
            u"--design \"%1\": no design is called that (pvxadmin designs lists them)"_s.arg(name));
    try {
        ReportDesign::Loaded loaded = ReportDesign::fromText(stored->text, catalogue, locale);
        if (!loaded.leftOut.isEmpty())
            throw std::runtime_error(
                u"the design \"%1\" names what the report catalogue does not have: %2; open "
                u"it in the designer, which loads the rest, and save it again"_s
                    .arg(stored->name, loaded.leftOut.join(u", "_s))
                    .toStdString());
        return std::move(loaded.definition);
    } catch (const ReportDesign::DesignError& error) {
        throw std::runtime_error(
            u"the design \"%1\" cannot be read: %2"_s.arg(stored->name, error.message())
                .toStdString());
    }
}

std::unique_ptr<Database> openForWriting(const QString& dirOrFile) {
    auto db = ReportCommand::openServerOf(dirOrFile);
    if (!db)
        db = Database::open(ReportCommand::databasePath(dirOrFile), true);
    // Both before anything is written: a file refused stays exactly as it was.
    Schema::requireKnownVersion(*db);
    Schema::requireOrdersTable(*db);
    return db;
}

void save(Database& db, const QString& name, bool replace, const ReportDefinition& definition,
          const QLocale& locale) {
    const QString text = ReportDesign::toText(definition, locale);
    DesignStore store(db);
    if (const auto existing = store.find(name); existing && !replace)
        throw CustomCommand::BadArgument(
            u"--save-as \"%1\": a design called \"%2\" is saved already; add --replace to "
            u"replace it"_s.arg(name, existing->name));
    // Only now, with nothing left to refuse, is a file of an earlier layout brought up to date.
    Schema::upgrade(db);
    store.save(name, text);
}

} // namespace DesignCommands
