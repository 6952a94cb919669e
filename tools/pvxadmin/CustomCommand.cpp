#include "CustomCommand.h"

#include "ConsoleServices.h"
#include "DesignCommands.h"
#include "ReportCommand.h"

#include "core/AppState.h"
#include "custom/CustomReport.h"
#include "custom/ReportCatalogue.h"
#include "custom/ReportDefinition.h"
#include "custom/ReportDesign.h"
#include "custom/ReportPageSink.h"
#include "custom/TypedNumber.h"
#include "engine/Database.h"
#include "engine/OutputFile.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <memory>

using namespace Qt::StringLiterals;

namespace CustomCommand {
namespace {

struct Assignment {
    QString name;
    QString value;
};

// "NAME=VALUE" split at its first "=", the form alone.
Assignment splitAssignment(const QString& option, const QString& argument) {
    const qsizetype at = argument.indexOf(u'=');
    if (at <= 0)
        throw BadArgument(u"%1 \"%2\": write NAME=VALUE"_s.arg(option, argument));
    return {argument.left(at), argument.mid(at + 1)};
}

std::optional<QDate> isoDate(const QString& text) {
    static const QRegularExpression iso(u"^\\d{4}-\\d{2}-\\d{2}$"_s);
    if (!iso.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, u"yyyy-MM-dd"_s);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

const char* kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
        return "a text";
    case FieldKind::Number:
        return "a number";
    case FieldKind::Date:
        return "a date";
    case FieldKind::YesNo:
        return "a yes/no";
    }
    return "a";
}

// Turns the command line into a report definition, naming the argument at fault. It starts
// from the defaults or from a saved design, which what the command line gives changes.
class DefinitionBuilder {
public:
    DefinitionBuilder(ReportDefinition start, const QLocale& locale)
        : m_definition(std::move(start)), m_locale(locale) {}

    ReportDefinition build(const Arguments& a) {
        QList<int> given;
        for (const QString& name : a.fields) {
            const int id = field(u"--field"_s, name, name).specId;
            if (given.contains(id))
                throw BadArgument(
                    u"--field \"%1\": the field is in the report already"_s.arg(name));
            given << id;
            // A field the design has keeps its place.
            if (!m_definition.fields.contains(id))
                m_definition.fields << id;
        }
        for (const QString& name : a.hide)
            settings(reportField(u"--hide"_s, name, name)).Hide = true;
        for (const QString& name : a.total)
            settings(reportField(u"--total"_s, name, name, FieldKind::Number)).Total = true;
        for (const QString& argument : a.width) {
            const auto [f, value] = assignment(u"--width"_s, argument);
            // A number the decimals cannot hold (1e308) is as unusable as text or a width below
            // zero: the command line is wrong, and says so.
            const auto units = typedNumber(value, m_locale);
            if (!units || units->toDouble() < 0)
                throw BadArgument(
                    u"--width \"%1\": \"%2\" is not a width (a number, 0 or more)"_s.arg(argument,
                                                                                         value));
            FieldSettings& s = settings(*f);
            s.ColWidth = units->toDouble();
            // As in the designer: a width of 0 hides the field.
            if (units->isZero())
                s.Hide = true;
        }
        for (const QString& argument : a.starts) {
            const auto [f, value] = assignment(u"--starts"_s, argument, FieldKind::Text);
            settings(*f).StartsWith = value;
        }
        bound(u"--less"_s, a.less, &FieldSettings::LessThan);
        bound(u"--greater"_s, a.greater, &FieldSettings::GreaterThan);
        date(u"--from"_s, a.from, &FieldSettings::StartDate);
        date(u"--to"_s, a.to, &FieldSettings::EndDate);
        QList<int> askedTrue;
        for (const QString& name : a.wantTrue) {
            const CatalogueField& f = reportField(u"--true"_s, name, name, FieldKind::YesNo);
            FieldSettings& s = settings(f);
            s.WantTrue = true;
            s.WantFalse = false;
            askedTrue << f.specId;
        }
        for (const QString& name : a.wantFalse) {
            const CatalogueField& f = reportField(u"--false"_s, name, name, FieldKind::YesNo);
            if (askedTrue.contains(f.specId))
                throw BadArgument(
                    u"--false \"%1\": the field is asked to be true as well"_s.arg(name));
            FieldSettings& s = settings(f);
            s.WantFalse = true;
            s.WantTrue = false;
        }
        // Sorts given replace the design's two.
        if (!a.sort.isEmpty()) {
            m_definition.primarySort = field(u"--sort"_s, a.sort.at(0), a.sort.at(0)).specId;
            m_definition.secondarySort =
                a.sort.size() > 1 ? field(u"--sort"_s, a.sort.at(1), a.sort.at(1)).specId : 0;
        }

        if (a.title)
            m_definition.title = *a.title;
        if (a.centimeters)
            m_definition.widthUnit = WidthUnit::Centimeters;
        if (a.landscape)
            m_definition.landscape = true;
        if (a.noDate)
            m_definition.showDate = false;
        if (a.pageNumbers == u"bottom")
            m_definition.pageNumbers = PageNumbers::AtBottom;
        else if (a.pageNumbers == u"header")
            m_definition.pageNumbers = PageNumbers::InHeader;
        else if (a.pageNumbers == u"none")
            m_definition.pageNumbers = PageNumbers::None;
        // The file written says where the report goes; with --save-as alone the design keeps
        // its own.
        if (a.tsv)
            m_definition.reportTo = ReportTarget::TextFile;
        else if (a.html)
            m_definition.reportTo = ReportTarget::WebTable;
        else if (a.pdf)
            m_definition.reportTo = ReportTarget::ScreenPrinter;
        return m_definition;
    }

private:
    const CatalogueField& field(const QString& option, const QString& argument, const QString& name,
                                std::optional<FieldKind> kind = std::nullopt) const {
        const CatalogueField* found = m_definition.catalogue.findByDesc(name);
        if (!found)
            throw BadArgument(
                u"%1 \"%2\": no report field is called \"%3\""_s.arg(option, argument, name));
        if (kind && found->kind != *kind)
            throw BadArgument(u"%1 \"%2\": \"%3\" is not %4 field"_s.arg(
                option, argument, found->desc, QLatin1String(kindName(*kind))));
        return *found;
    }

    // A field that an option sets up for the report must be in it: the query applies the
    // criteria of the report's fields alone, so one on any other field would be dropped
    // without a word and the report would show what was meant to be left out.
    const CatalogueField& reportField(const QString& option, const QString& argument,
                                      const QString& name,
                                      std::optional<FieldKind> kind = std::nullopt) const {
        const CatalogueField& found = field(option, argument, name, kind);
        if (!m_definition.fields.contains(found.specId))
            throw BadArgument(u"%1 \"%2\": \"%3\" is not in the report; add --field \"%3\", "
                              u"with --hide \"%3\" if its column is not wanted"_s.arg(
                                  option, argument, found.desc));
        return found;
    }

    FieldSettings& settings(const CatalogueField& f) { return m_definition.settingsOf(f.specId); }

    // NAME=VALUE, where NAME may itself hold a "=": the first split whose name is a field.
    std::pair<const CatalogueField*, QString>
    assignment(const QString& option, const QString& argument,
               std::optional<FieldKind> kind = std::nullopt) const {
        for (qsizetype at = argument.indexOf(u'='); at > 0; at = argument.indexOf(u'=', at + 1)) {
            if (m_definition.catalogue.findByDesc(argument.left(at)))
                return {&reportField(option, argument, argument.left(at), kind),
                        argument.mid(at + 1)};
        }
        const Assignment parts = splitAssignment(option, argument);
        return {&reportField(option, argument, parts.name, kind), parts.value};
    }

    void bound(const QString& option, const QStringList& arguments,
               QString FieldSettings::*setting) {
        for (const QString& argument : arguments) {
            const auto [f, value] = assignment(option, argument, FieldKind::Number);
            // Read the way the designer's boxes read it, and kept as typed.
            if (!typedNumber(value, m_locale))
                throw BadArgument(
                    u"%1 \"%2\": \"%3\" is not a number"_s.arg(option, argument, value));
            settings(*f).*setting = value;
        }
    }

    void date(const QString& option, const QStringList& arguments, QDate FieldSettings::*setting) {
        for (const QString& argument : arguments) {
            const auto [f, value] = assignment(option, argument, FieldKind::Date);
            const auto day = isoDate(value);
            if (!day)
                throw BadArgument(
                    u"%1 \"%2\": write the date as yyyy-mm-dd"_s.arg(option, argument));
            settings(*f).*setting = *day;
        }
    }

    ReportDefinition m_definition;
    QLocale m_locale;
};

QString plural(int count, const char* one, const char* many) {
    return u"%1 %2"_s.arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

void checkForm(const Arguments& a) {
    const int outputs = int(a.pdf.has_value()) + int(a.tsv.has_value()) + int(a.html.has_value());
    if (a.saveAs ? outputs > 1 : outputs != 1)
        throw BadArgument(a.saveAs ? u"custom writes at most one of --pdf FILE, --tsv FILE and "
                                     u"--html FILE"_s
                                   : u"custom needs exactly one of --pdf FILE, --tsv FILE and "
                                     u"--html FILE"_s);
    for (const auto* file : {&a.pdf, &a.tsv, &a.html}) {
        if (file->has_value() && (*file)->isEmpty())
            throw BadArgument(u"the output file name is empty"_s);
    }
    if (a.fields.isEmpty() && !a.design)
        throw BadArgument(u"custom needs at least one --field NAME, or --design NAME"_s);
    if (a.replace && !a.saveAs)
        throw BadArgument(u"--replace goes with --save-as NAME"_s);
    if (a.saveAs) {
        const QString problem = ReportDesign::nameProblem(*a.saveAs);
        // A name far too long is not repeated whole.
        const QString shown = a.saveAs->size() > ReportDesign::MaxNameLength
                                  ? a.saveAs->left(ReportDesign::MaxNameLength) + u"..."_s
                                  : *a.saveAs;
        if (!problem.isEmpty())
            throw BadArgument(u"--save-as \"%1\": %2"_s.arg(shown, problem));
    }
    if (a.pageNumbers && *a.pageNumbers != u"bottom" && *a.pageNumbers != u"header" &&
        *a.pageNumbers != u"none")
        throw BadArgument(
            u"--page-numbers \"%1\": write bottom, header or none"_s.arg(*a.pageNumbers));
    if (a.sort.size() > 2)
        throw BadArgument(
            u"--sort \"%1\": a report sorts by two fields at most"_s.arg(a.sort.at(2)));
    const std::pair<const char*, const QStringList*> assignments[] = {
        {"--width", &a.width},     {"--starts", &a.starts}, {"--less", &a.less},
        {"--greater", &a.greater}, {"--from", &a.from},     {"--to", &a.to}};
    for (const auto& [option, values] : assignments) {
        for (const QString& argument : *values) {
            const Assignment parts = splitAssignment(QLatin1String(option), argument);
            if ((values == &a.from || values == &a.to) && !isoDate(parts.value))
                throw BadArgument(u"%1 \"%2\": write the date as yyyy-mm-dd"_s.arg(
                    QLatin1String(option), argument));
        }
    }
}

int run(const Arguments& a, QTextStream& out, QTextStream& err) {
    checkForm(a);
    ConsoleServices services(err);
    const QLocale locale = services.locale();
    // Not exclusive: a report only reads, and must not lock anyone out meanwhile. Storing a
    // design writes, and has the file to itself while it does.
    AppState state;
    state.gDatabase = a.saveAs ? DesignCommands::openForWriting(a.database)
                               : ReportCommand::openForReading(a.database);
    Database& db = *state.gDatabase;
    ReportCatalogue catalogue;
    try {
        catalogue = ReportCatalogue::read(db);
    } catch (const CatalogueError& error) {
        throw std::runtime_error(error.message().toStdString());
    }
    ReportDefinition start = a.design ? DesignCommands::load(db, catalogue, *a.design, locale)
                                      : ReportDefinition::withDefaults(catalogue);
    const ReportDefinition definition = DefinitionBuilder(std::move(start), locale).build(a);
    const QString target = a.pdf.value_or(a.tsv.value_or(a.html.value_or(QString())));
    if (a.saveAs) {
        DesignCommands::save(db, *a.saveAs, a.replace, definition, locale);
        // What goes to the standard output is the report alone.
        (target == u"-"_s ? err : out) << u"Saved the design \"%1\".\n"_s.arg(a.saveAs->trimmed());
        if (target.isEmpty()) {
            db.close();
            return 0;
        }
    }

    // Pages are laid out only for a PDF: the files need no fonts, nor a GUI application.
    std::unique_ptr<PageDocument> document;
    std::unique_ptr<DocumentPageSink> pages;
    if (a.pdf) {
        document = std::make_unique<PageDocument>();
        document->setPageSize(PageDocument::localePageSize(locale));
        pages = std::make_unique<DocumentPageSink>(*document);
    }
    CustomReportJob job{definition, db, state, services, pages.get(), a.pdf ? QString() : target};
    job.dashIsStandardOutput = true;
    const CustomReportResult result = GenerateCustomReport(job);
    db.close();
    if (result.outcome != CustomReportOutcome::Done)
        return 1;

    QString written;
    if (a.pdf) {
        QString error;
        OutputFile file(target, OutputFile::Names::DashIsStandardOutput);
        if (!writePdf(*document, file, &error))
            throw std::runtime_error(
                u"could not write %1: %2"_s.arg(ReportCommand::shownTarget(target), error)
                    .toStdString());
        written = plural(document->pageCount(), "page", "pages");
    } else {
        written = plural(result.rows, "row", "rows");
    }
    // What went to the standard output is the report alone.
    (target == u"-"_s ? err : out)
        << u"Wrote %1 (%2).\n"_s.arg(ReportCommand::shownTarget(target), written);
    return 0;
}

} // namespace CustomCommand
