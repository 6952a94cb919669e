#include "custom/CustomReport.h"

#include "custom/CellFormatter.h"
#include "custom/ReportFileWriter.h"
#include "custom/ReportPageSink.h"
#include "custom/ReportQuery.h"

#include "core/AppState.h"
#include "core/CoreServices.h"
#include "core/ErrorTrap.h"
#include "dates/LocaleDates.h"
#include "engine/Database.h"
#include "engine/OutputFile.h"
#include "engine/Recordset.h"
#include "reports/PageDocument.h"

#include <QFileInfo>

#include <memory>
#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The hourglass goes back whatever happens on the way, a trapped error included.
class Busy {
public:
    explicit Busy(CoreServices& services) : m_services(services) { m_services.setBusy(true); }
    ~Busy() { m_services.setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    CoreServices& m_services;
};

// A column of the report: a visible field, where its value is read, and its total.
struct Column {
    const CatalogueField* field = nullptr;
    bool isCurrency = false;
    QString alias;
    std::optional<ColumnTotal> total;
};

// Runs the rows of an open result into one of the targets.
class RowSource {
public:
    RowSource(const ReportDefinition& definition, Recordset& rs, const QLocale& locale)
        : m_rs(rs), m_cells(locale) {
        int index = 0;
        for (int specId : definition.fields) {
            const FieldSettings& settings = definition.settingsOf(specId);
            if (settings.Hide)
                continue;
            Column column;
            column.field = &definition.catalogue.field(specId);
            column.isCurrency = settings.IsCurrency;
            column.alias = ReportQuery::columnAlias(index++);
            // Only number fields add up; a hidden field has no column to total.
            if (settings.Total && column.field->kind == FieldKind::Number)
                column.total.emplace(settings.IsCurrency);
            m_columns.append(std::move(column));
        }
    }

    bool atEnd() const { return m_rs.eof(); }

    // The cells of the current row, its numbers added to their totals; then on to the next.
    QStringList takeRow() {
        QStringList cells;
        cells.reserve(m_columns.size());
        for (Column& column : m_columns) {
            cells << m_cells.cell(*column.field, column.isCurrency, m_rs.value(column.alias),
                                  column.total ? &*column.total : nullptr);
        }
        m_rs.moveNext();
        return cells;
    }

    bool hasTotals() const {
        for (const Column& column : m_columns) {
            if (column.total)
                return true;
        }
        return false;
    }

    // The fields whose total grew beyond what can be shown exactly.
    QStringList inexactTotals() const {
        QStringList fields;
        for (const Column& column : m_columns) {
            if (column.total && !column.total->isExact())
                fields << column.field->desc;
        }
        return fields;
    }

    QList<std::optional<QString>> totals() const {
        QList<std::optional<QString>> cells;
        for (const Column& column : m_columns) {
            if (column.total)
                cells << m_cells.totalCell(*column.total);
            else
                cells << std::nullopt;
        }
        return cells;
    }

private:
    Recordset& m_rs;
    CellFormatter m_cells;
    QList<Column> m_columns;
};

// Runs one statement through the error trap; false when it failed. An error that leaves
// the program with its database (a catalogue row naming a table or column the file lacks, a
// query the engine refuses, a report file that cannot be written) is shown with its number
// and stops the report alone: ending the program for it would take the user's unsaved work
// in the main window with it.
class Trapped {
public:
    Trapped(AppState& state, CoreServices& services)
        : m_trap(state, services), m_services(services) {}

    template <class Statement> bool operator()(Statement&& statement) {
        bool done = false;
        m_trap([&] {
            try {
                statement();
                done = true;
            } catch (const EngineError& error) {
                if (reportErrorEndsProgram(error.number()))
                    throw;
                m_services.message(u"%1  %2"_s.arg(error.number()).arg(error.description()), {},
                                   MsgButtons::Ok);
            }
        });
        return done;
    }

private:
    ErrorTrap m_trap;
    CoreServices& m_services;
};

bool printPages(const CustomReportJob& job, RowSource& rows, int* count) {
    const ReportDefinition& definition = job.definition;
    ReportPageSink& sink = *job.pages;
    Trapped run(job.state, job.services);
    const CustomReportLayout layout = customReportLayout(definition);
    const QString today = LocaleDates::shortDate(job.services.today(), job.services.locale());
    if (!run([&] {
            sink.setRepeatHeader(layout.format, layout.headings);
            sink.startDoc(definition.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
            sink.setHeader(customReportHeader(definition, today));
            const QString footer = customReportFooter(definition);
            if (!footer.isEmpty())
                sink.setFooter(footer);
        }))
        return false;
    while (true) {
        bool atEnd = false;
        if (!run([&] {
                atEnd = rows.atEnd();
                if (!atEnd)
                    sink.tableRow(layout.format, rows.takeRow());
            }))
            return false;
        if (atEnd)
            break;
        ++*count;
    }
    return run([&] {
        if (rows.hasTotals()) {
            QStringList cells;
            for (const std::optional<QString>& total : rows.totals())
                cells << total.value_or(QString());
            sink.tableRow(layout.format, cells);
        }
        sink.endDoc();
        sink.show();
    });
}

bool writeFile(const CustomReportJob& job, RowSource& rows, const QString& fileName, int* count) {
    const ReportDefinition& definition = job.definition;
    Trapped run(job.state, job.services);
    const CustomReportLayout layout = customReportLayout(definition);
    QList<ReportColumn> columns;
    for (qsizetype i = 0; i < layout.headings.size(); ++i)
        columns.append({layout.headings.at(i), layout.format.columns().at(i).rightAligned});

    // A file is written beside its target and renamed over it once complete; until then,
    // and on any failure, the file the user had stays as it was. A pipe or a device is
    // written to directly and never replaced.
    OutputFile file(fileName, job.dashIsStandardOutput ? OutputFile::Names::DashIsStandardOutput
                                                       : OutputFile::Names::Plain);
    if (!run([&] {
            // Unbuffered: the writer hands over large pieces itself, and a refused write is
            // noticed where it happens, not in a flush at the end, where a full disk would
            // otherwise pass for success with half a file.
            if (!file.open(QIODevice::Unbuffered))
                throw EngineError(file.errorNumber(), file.errorString());
        }))
        return false;
    std::unique_ptr<ReportFileWriter> writer;
    if (definition.reportTo == ReportTarget::WebTable)
        writer = std::make_unique<HtmlReportWriter>(file.device(), columns, definition.title,
                                                    int(definition.fields.size()));
    else
        writer = std::make_unique<TextReportWriter>(file.device(), columns);

    bool written = run([&] { writer->begin(); });
    while (written) {
        bool atEnd = false;
        written = run([&] {
            atEnd = rows.atEnd();
            if (!atEnd)
                writer->row(rows.takeRow());
        });
        if (atEnd)
            break;
        if (written)
            ++*count;
    }
    written = written && run([&] {
                  if (rows.hasTotals())
                      writer->totals(rows.totals());
                  writer->end();
                  if (!file.commit())
                      throw EngineError(file.errorNumber(), file.errorString());
              });
    if (!written)
        file.cancel();
    return written;
}

QString askForFile(const CustomReportJob& job) {
    job.state.gCancel = false;
    const QString fileName = job.chooseFile ? job.chooseFile(job.definition.reportTo) : QString();
    if (fileName.isEmpty())
        job.state.gCancel = true;
    return fileName;
}

} // namespace

namespace CustomReportText {

QString noFields() {
    return u"You have not selected any fields to include in the report"_s;
}

QString allHidden() {
    return u"Every field of the report is hidden.  Show at least one field to make a report."_s;
}

QString noRows() {
    return u"No order records have been entered that may be included in the specified report"_s;
}

QString tooWide(const QStringList& fields, double needed, double room,
                const ReportDefinition& definition, const QLocale& locale) {
    const bool inches = definition.widthUnit == WidthUnit::Inches;
    const auto width = [&](double units) {
        return u"%1 %2"_s.arg(locale.toString(units, 'f', 2),
                              inches ? u"inches"_s : u"centimeters"_s);
    };
    QString names = fields.constLast();
    if (fields.size() > 1)
        names = fields.mid(0, fields.size() - 1).join(u", "_s) + u" and "_s + names;
    return u"%1 %2 not fit across the page: the report's columns need %3, and a %4 page has "
           u"room for %5.  %6"_s.arg(
               names, fields.size() > 1 ? u"do"_s : u"does"_s, width(needed),
               definition.landscape ? u"landscape"_s : u"portrait"_s, width(room),
               definition.landscape ? u"Make columns narrower or hide fields."_s
                                    : u"Turn the page to landscape, make columns narrower or hide "
                                      u"fields."_s);
}

} // namespace CustomReportText

CustomReportLayout customReportLayout(const ReportDefinition& definition) {
    CustomReportLayout layout;
    QList<TableColumn> columns;
    const double twips = definition.twipsPerUnit();
    for (int specId : definition.fields) {
        const FieldSettings& settings = definition.settingsOf(specId);
        if (settings.Hide)
            continue;
        const CatalogueField& field = definition.catalogue.field(specId);
        // A column of no width (a width of 0 typed into a field that was not then hidden)
        // still holds its place, so the columns after it stay under their headings.
        columns.append({std::max(1.0, settings.ColWidth * twips), field.kind == FieldKind::Number});
        layout.headings << field.desc;
    }
    layout.format = TableFormat(columns);
    return layout;
}

QString customReportWidthCheck(const ReportDefinition& definition, double bodyWidth,
                               const QLocale& locale) {
    const CustomReportLayout layout = customReportLayout(definition);
    QStringList beyond;
    double right = 0;
    for (qsizetype i = 0; i < layout.headings.size(); ++i) {
        right += layout.format.columns().at(i).width;
        // Within a twip: widths in centimetres rarely add up to a whole number of twips.
        if (right > bodyWidth + 1)
            beyond << layout.headings.at(i);
    }
    if (beyond.isEmpty())
        return {};
    const double unit = definition.twipsPerUnit();
    return CustomReportText::tooWide(beyond, right / unit, bodyWidth / unit, definition, locale);
}

QString customReportHeader(const ReportDefinition& definition, const QString& today) {
    // The title prints as the user typed it, a "%d" or a "|" in it included.
    QString header = (definition.showDate ? PageDocument::literal(today) : QString()) + u'|' +
                     PageDocument::literal(definition.title) + u'|';
    if (definition.pageNumbers == PageNumbers::InHeader)
        header += u"Page %d"_s;
    return header;
}

QString customReportFooter(const ReportDefinition& definition) {
    return definition.pageNumbers == PageNumbers::AtBottom ? u"|Page %d|"_s : QString();
}

bool reportErrorEndsProgram(int errorNumber) {
    return errorNumber == ErrorNumber::InvalidObject || errorNumber == ErrorNumber::ObjectNotSet;
}

bool ConfirmOverwrite(AppState& state, CoreServices& services, const QString& fileName) {
    state.gCancel = false;
    if (QFileInfo::exists(fileName) &&
        services.message(u"That file already exists.  Do you wish to replace it?"_s,
                         u"File Exists"_s, MsgButtons::YesNo) == MsgAnswer::No)
        state.gCancel = true;
    return !state.gCancel;
}

CustomReportResult GenerateCustomReport(const CustomReportJob& job) {
    const ReportDefinition& definition = job.definition;
    CoreServices& services = job.services;
    CustomReportResult result;
    if (definition.fields.isEmpty()) {
        services.message(CustomReportText::noFields(), {}, MsgButtons::Ok);
        result.outcome = CustomReportOutcome::NoFields;
        return result;
    }
    if (!definition.hasVisibleField()) {
        services.message(CustomReportText::allHidden(), {}, MsgButtons::Ok);
        result.outcome = CustomReportOutcome::AllHidden;
        return result;
    }

    const bool toPages = definition.reportTo == ReportTarget::ScreenPrinter;
    if (toPages && !job.pages)
        throw std::invalid_argument("a report to the page printer needs a page sink");
    if (toPages) {
        // The page would lose what lies past its right margin, totals included, while the
        // user takes it for the whole report.
        const QString tooWide = customReportWidthCheck(
            definition,
            job.pages->bodyWidth(definition.landscape ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait),
            services.locale());
        if (!tooWide.isEmpty()) {
            services.message(tooWide, {}, MsgButtons::Ok);
            result.outcome = CustomReportOutcome::TooWide;
            return result;
        }
    } else {
        result.fileName = job.fileName.isEmpty() ? askForFile(job) : job.fileName;
        if (result.fileName.isEmpty() || !ConfirmOverwrite(job.state, services, result.fileName)) {
            result.outcome = CustomReportOutcome::Cancelled;
            return result;
        }
    }

    Busy busy(services);
    const QLocale locale = services.locale();
    ReportQuery query;
    try {
        query = buildReportQuery(definition, locale);
    } catch (const ReportDefinitionError& error) {
        services.message(error.message(), {}, MsgButtons::Ok);
        result.outcome = CustomReportOutcome::Invalid;
        return result;
    }

    // The rows are looked for before anything is started, so that a report finding nothing
    // leaves the window and the file as they were.
    Trapped run(job.state, services);
    std::unique_ptr<Recordset> rs;
    bool empty = true;
    if (!run([&] {
            rs = job.db.openSnapshot(query.sql(), query.params());
            empty = rs->recordCount() == 0;
        })) {
        result.outcome = CustomReportOutcome::Failed;
        return result;
    }
    if (empty) {
        rs->close();
        services.message(CustomReportText::noRows(), {}, MsgButtons::Ok);
        result.outcome = CustomReportOutcome::NothingToReport;
        return result;
    }

    RowSource rows(definition, *rs, locale);
    const bool done = toPages ? printPages(job, rows, &result.rows)
                              : writeFile(job, rows, result.fileName, &result.rows);
    run([&] { rs->close(); });
    if (done) {
        for (const QString& field : rows.inexactTotals())
            services.message(u"The total of %1 is too large to be shown exactly, so its cell "
                             u"is left empty."_s.arg(field),
                             {}, MsgButtons::Ok);
    }
    result.outcome = done ? CustomReportOutcome::Done : CustomReportOutcome::Failed;
    return result;
}
