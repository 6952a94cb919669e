#include "exchange/Importer.h"

#include "engine/Database.h"
#include "engine/Recordset.h"
#include "exchange/ColumnMapping.h"
#include "exchange/ImportSource.h"
#include "exchange/OrderFields.h"

#include <QHash>
#include <QVariantList>

using namespace Qt::StringLiterals;

namespace Importer {
namespace {

// Thrown inside the transaction to take back what it wrote.
struct TakeBack {};

// How often the progress callback is asked, in rows.
constexpr int ProgressEvery = 512;

const QString keyField = u"zelid"_s;

// What a field holds when the source has no column for it: what a new record gets.
QVariant newRecordValue(const OrderFields::Field& field) {
    switch (field.kind) {
    case OrderFields::Kind::Text:
        return QString();
    case OrderFields::Kind::Type:
    case OrderFields::Kind::Status:
        return 0;
    default:
        return {};
    }
}

class Run {
public:
    Run(Database& db, ImportSource& source, const Request& request)
        : m_db(db), m_source(source), m_request(request),
          m_mapping(source.columns(), OrderFields::describedBy(db), request.pairs) {
        // Rows that fill no field would come in as empty records.
        if (m_mapping.assignments().isEmpty())
            throw ImportError(u"None of the columns of %1 is a field of Purvex (%2); name the "
                              u"field each goes into with --map FIELD=COLUMN, or give the "
                              u"columns the names of the fields."_s.arg(
                                  source.description(), source.columns().join(u", "_s)));
        m_result.dryRun = request.dryRun;
        m_result.unmappedColumns = m_mapping.unmappedColumns();
        m_result.missingFields = m_mapping.missingFields();
        m_result.sourceHadKeys = m_mapping.assigns(keyField);
        m_result.tableWasEmpty = db.scalar(u"SELECT count(*) FROM pvx"_s).toLongLong() == 0;
        m_result.keysKept = m_result.sourceHadKeys && m_result.tableWasEmpty;
        prepareStatement();
    }

    Result run() {
        try {
            m_db.transaction([this] {
                // Into an empty table the indexes are built once at the end, from the sorted
                // rows, rather than kept up to date row by row.
                const QStringList indexes = m_result.tableWasEmpty ? dropIndexes() : QStringList();
                readRows();
                // Records without a number of their own come after the numbered ones, so
                // that no number given later is found taken.
                for (const QVariantList& values : std::as_const(m_unnumbered))
                    insert(values);
                for (const QString& sql : indexes)
                    m_db.execute(sql);
                if (m_result.problemCount > 0 || m_cancelled || m_request.dryRun ||
                    m_result.records == 0)
                    throw TakeBack{};
            });
        } catch (const TakeBack&) {
        }
        if (m_cancelled)
            m_result.outcome = Outcome::Cancelled;
        else if (m_result.problemCount > 0)
            m_result.outcome = Outcome::Refused;
        else if (m_result.records == 0)
            m_result.outcome = Outcome::NoRows;
        else
            m_result.outcome = Outcome::Imported;
        if (m_result.outcome == Outcome::Refused)
            m_result.records = 0;
        return m_result;
    }

private:
    void prepareStatement() {
        QStringList columns;
        QStringList marks;
        for (const OrderFields::Field& field : OrderFields::standard()) {
            // The key is given only where the source's numbers are kept; else the engine
            // numbers the records.
            if (field.kind == OrderFields::Kind::Key && !m_result.keysKept)
                continue;
            columns << u"\"%1\""_s.arg(field.name);
            marks << u"?"_s;
            m_written << field;
            const QList<ColumnMapping::Assignment>& assignments = m_mapping.assignments();
            qsizetype assignment = assignments.size() - 1;
            while (assignment >= 0 && assignments.at(assignment).field.name != field.name)
                --assignment;
            m_assignment << assignment;
        }
        m_sql =
            u"INSERT INTO pvx (%1) VALUES (%2)"_s.arg(columns.join(u", "_s), marks.join(u", "_s));
    }

    // Drops the indexes of pvx; returns the statements that make them again.
    QStringList dropIndexes() {
        QStringList names;
        QStringList statements;
        auto rs = m_db.openSnapshot(u"SELECT name, sql FROM sqlite_master WHERE type = 'index' "
                                    u"AND tbl_name = 'pvx' AND sql IS NOT NULL"_s);
        for (; !rs->eof(); rs->moveNext()) {
            names << rs->value(u"name"_s).toString();
            statements << rs->value(u"sql"_s).toString();
        }
        rs->close();
        for (const QString& name : std::as_const(names))
            m_db.execute(u"DROP INDEX \"%1\""_s.arg(QString(name).replace(u'"', u"\"\""_s)));
        return statements;
    }

    void problem(const ImportSource::Row& row, const QString& text) {
        if (++m_result.problemCount <= ListedProblems)
            m_result.problems << u"row %1%2"_s.arg(row.number).arg(text);
    }

    void readRows() {
        const QStringList columns = m_source.columns();
        ImportSource::Row row;
        qint64 sinceProgress = 0;
        QVariantList values;
        while (m_source.next(row)) {
            if (++sinceProgress == ProgressEvery) {
                sinceProgress = 0;
                if (!reportProgress())
                    return;
            }
            if (!row.problem.isEmpty()) {
                problem(row, u": "_s + row.problem);
                continue;
            }
            values.clear();
            bool rowOk = true;
            QVariant key;
            for (qsizetype i = 0; i < m_written.size(); ++i) {
                const OrderFields::Field& field = m_written.at(i);
                QVariant value = newRecordValue(field);
                if (m_assignment.at(i) >= 0) {
                    const ColumnMapping::Assignment& a =
                        m_mapping.assignments().at(m_assignment.at(i));
                    const SourceValue& source = row.values.at(a.column);
                    FieldConversion::Result converted =
                        FieldConversion::convert(a.field, source, m_request.conversion);
                    if (!converted.ok()) {
                        problem(row, u", column \"%1\", value %2: %3"_s.arg(
                                         columns.at(a.column), FieldConversion::shownValue(source),
                                         converted.problem));
                        rowOk = false;
                    }
                    value = std::move(converted.value);
                }
                if (field.kind == OrderFields::Kind::Key)
                    key = value;
                values << value;
            }
            if (!rowOk)
                continue;
            if (m_result.keysKept && !key.isNull()) {
                const int number = key.toInt();
                if (const qint64 first = m_numbered.value(number); first > 0) {
                    problem(row, u": the record number %1 is given twice (row %2 has it too)"_s
                                     .arg(number)
                                     .arg(first));
                    continue;
                }
                m_numbered.insert(number, row.number);
            } else if (m_result.keysKept) {
                m_unnumbered << values;
                continue;
            }
            if (m_result.problemCount == 0)
                insert(values);
            else
                ++m_result.records;
        }
        reportProgress();
    }

    bool reportProgress() {
        if (m_request.progress && !m_request.progress(m_source.position(), m_source.size()))
            m_cancelled = true;
        return !m_cancelled;
    }

    void insert(const QVariantList& values) {
        if (m_result.problemCount == 0)
            m_db.execute(m_sql, values);
        ++m_result.records;
    }

    Database& m_db;
    ImportSource& m_source;
    const Request& m_request;
    ColumnMapping m_mapping;
    // The fields written, and for each the assignment that fills it (-1: none).
    QList<OrderFields::Field> m_written;
    QList<qsizetype> m_assignment;
    QString m_sql;
    Result m_result;
    // Kept record numbers and the rows they came from.
    QHash<int, qint64> m_numbered;
    QList<QVariantList> m_unnumbered;
    bool m_cancelled = false;
};

QString plural(qint64 count, const QString& one, const QString& many) {
    return u"%1 %2"_s.arg(count).arg(count == 1 ? one : many);
}

} // namespace

Result run(Database& db, ImportSource& source, const Request& request) {
    // An empty file has not even a heading line: nothing to import, and nothing wrong.
    if (source.columns().isEmpty()) {
        Result nothing;
        nothing.dryRun = request.dryRun;
        return nothing;
    }
    return Run(db, source, request).run();
}

QString summary(const Result& result, const QString& shownFile) {
    QStringList lines;
    switch (result.outcome) {
    case Outcome::Imported:
        lines << u"%1 %2 from %3"_s.arg(result.dryRun ? u"Would import"_s : u"Imported"_s,
                                        plural(result.records, u"record"_s, u"records"_s),
                                        shownFile);
        if (!result.unmappedColumns.isEmpty())
            lines << u"Columns not imported: %1"_s.arg(result.unmappedColumns.join(u", "_s));
        if (!result.missingFields.isEmpty())
            lines << u"Fields not in the file, left as a new record has them: %1"_s.arg(
                result.missingFields.join(u", "_s));
        if (result.sourceHadKeys && !result.keysKept)
            lines << u"Record numbers (zelid) are given anew after the last, as the database "
                     u"already holds records."_s;
        break;
    case Outcome::NoRows:
        lines << u"%1 holds no records; nothing was imported."_s.arg(shownFile);
        break;
    case Outcome::Refused:
        lines << u"Nothing was imported from %1; %2:"_s.arg(
            shownFile,
            plural(result.problemCount, u"problem was found"_s, u"problems were found"_s));
        lines << result.problems;
        if (result.problemCount > result.problems.size())
            lines << u"... and %1 more."_s.arg(result.problemCount - result.problems.size());
        break;
    case Outcome::Cancelled:
        lines << u"The import was stopped; nothing was imported from %1."_s.arg(shownFile);
        break;
    }
    return lines.join(u'\n');
}

} // namespace Importer
