#include "AdminCommands.h"

#include "AdminHelp.h"
#include "CopyCommand.h"
#include "CustomCommand.h"
#include "DemoData.h"
#include "DesignCommands.h"
#include "DueCommand.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "NewDatabaseFile.h"
#include "ReportCommand.h"

#include "core/UserLocale.h"
#include "custom/CatalogueCheck.h"
#include "custom/DesignCheck.h"
#include "custom/ReportCatalogue.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Schema.h"
#include "reports/DueItems.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>

namespace AdminCommands {
namespace {

const QString databaseName = QStringLiteral("pvx.mdb");

// A usage error: the command line itself is wrong.
struct UsageError {
    QString message;
};

// The command was understood but could not be carried out.
struct Failure {
    QString message;
};

struct Options {
    QString command;
    QString dir;
    // copy only: where the copy goes (dir is where it comes from)
    QString copyTo;
    std::int64_t records = DefaultDemoRecords;
    // --help, alone or after a command (whose help it then asks for), and --version
    bool help = false;
    bool version = false;
    // check only: values the forms never write count as faults, not warnings
    bool strict = false;
    // report only
    QString reportName;
    QString pdf;
    std::optional<QDate> from;
    std::optional<QDate> to;
    // custom only
    CustomCommand::Arguments custom;
    // due only
    int days = DueItems::DefaultDays;
    DueCommand::Format format = DueCommand::Format::Text;
    // import and export only
    ImportCommand::Request importing;
    ExportCommand::Request exporting;
};

QString hint() {
    return QStringLiteral(" (see pvxadmin --help)");
}

std::int64_t parseRecordCount(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    // Digits only: toLongLong would also take "+5" and " 5".
    bool digits = !text.isEmpty();
    for (QChar c : text)
        digits = digits && c >= u'0' && c <= u'9';
    if (!ok || !digits || value <= 0 || value > std::numeric_limits<int>::max())
        throw UsageError{
            QStringLiteral("--records needs a positive whole number, not \"%1\"").arg(text)};
    return value;
}

// Days ahead for due: up to ten years, more would only be a mistake.
int parseDays(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\d{1,4}$"));
    const int value = digits.match(text).hasMatch() ? text.toInt() : -1;
    if (value < 0 || value > 3660)
        throw UsageError{
            QStringLiteral("--days needs a whole number from 0 to 3660, not \"%1\"").arg(text)};
    return value;
}

// Dates on the command line are ISO, the same in every locale and for every script.
QDate parseIsoDate(const QString& option, const QString& text) {
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = iso.match(text).hasMatch()
                           ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd"))
                           : QDate();
    if (!date.isValid())
        throw UsageError{
            QStringLiteral("%1 needs a date written yyyy-mm-dd, not \"%2\"").arg(option, text)};
    return date;
}

// Every option of every command, so that one that belongs to another command is named as
// such rather than called unknown.
struct OptionSet {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};
    QCommandLineOption records{QStringLiteral("records"), {}, QStringLiteral("N")};
    QCommandLineOption pdf{QStringLiteral("pdf"), {}, QStringLiteral("FILE")};
    QCommandLineOption tsv{QStringLiteral("tsv"), {}, QStringLiteral("FILE")};
    QCommandLineOption html{QStringLiteral("html"), {}, QStringLiteral("FILE")};
    QCommandLineOption from{QStringLiteral("from"), {}, QStringLiteral("DATE")};
    QCommandLineOption to{QStringLiteral("to"), {}, QStringLiteral("DATE")};
    QCommandLineOption field{QStringLiteral("field"), {}, QStringLiteral("NAME")};
    QCommandLineOption hide{QStringLiteral("hide"), {}, QStringLiteral("NAME")};
    QCommandLineOption total{QStringLiteral("total"), {}, QStringLiteral("NAME")};
    QCommandLineOption width{QStringLiteral("width"), {}, QStringLiteral("NAME=UNITS")};
    QCommandLineOption starts{QStringLiteral("starts"), {}, QStringLiteral("NAME=TEXT")};
    QCommandLineOption less{QStringLiteral("less"), {}, QStringLiteral("NAME=NUMBER")};
    QCommandLineOption greater{QStringLiteral("greater"), {}, QStringLiteral("NAME=NUMBER")};
    QCommandLineOption wantTrue{QStringLiteral("true"), {}, QStringLiteral("NAME")};
    QCommandLineOption wantFalse{QStringLiteral("false"), {}, QStringLiteral("NAME")};
    QCommandLineOption sort{QStringLiteral("sort"), {}, QStringLiteral("NAME")};
    QCommandLineOption title{QStringLiteral("title"), {}, QStringLiteral("TEXT")};
    QCommandLineOption cm{QStringLiteral("cm")};
    QCommandLineOption landscape{QStringLiteral("landscape")};
    QCommandLineOption pageNumbers{QStringLiteral("page-numbers"), {}, QStringLiteral("WHERE")};
    QCommandLineOption noDate{QStringLiteral("no-date")};
    QCommandLineOption strict{QStringLiteral("strict")};
    QCommandLineOption days{QStringLiteral("days"), {}, QStringLiteral("N")};
    QCommandLineOption format{QStringLiteral("format"), {}, QStringLiteral("FORMAT")};
    QCommandLineOption table{QStringLiteral("table"), {}, QStringLiteral("NAME")};
    QCommandLineOption map{QStringLiteral("map"), {}, QStringLiteral("FIELD=COLUMN")};
    QCommandLineOption dryRun{QStringLiteral("dry-run")};
    QCommandLineOption csv{QStringLiteral("csv"), {}, QStringLiteral("FILE")};
    QCommandLineOption design{QStringLiteral("design"), {}, QStringLiteral("NAME")};
    QCommandLineOption saveAs{QStringLiteral("save-as"), {}, QStringLiteral("NAME")};
    QCommandLineOption replace{QStringLiteral("replace")};
    QCommandLineOption server{QStringLiteral("server"), {}, QStringLiteral("CONNECTION")};

    QList<QCommandLineOption> all() const {
        return {help,  version, records,   pdf,         tsv,    html,    from,     to,        field,
                hide,  total,   width,     starts,      less,   greater, wantTrue, wantFalse, sort,
                title, cm,      landscape, pageNumbers, noDate, strict,  days,     format,    table,
                map,   dryRun,  csv,       design,      saveAs, replace, server};
    }

    // The options each command takes (besides --help).
    QList<QCommandLineOption> of(const QString& command) const {
        if (command == QLatin1String("create"))
            return {server};
        if (command == QLatin1String("demo"))
            return {records};
        if (command == QLatin1String("check"))
            return {strict, server};
        if (command == QLatin1String("due"))
            return {days, format, server};
        if (command == QLatin1String("designs"))
            return {server};
        if (command == QLatin1String("import"))
            return {table, map, dryRun};
        if (command == QLatin1String("export"))
            return {csv};
        if (command == QLatin1String("report"))
            return {pdf, from, to, server};
        if (command == QLatin1String("custom"))
            return {field,  hide,     total,     width, starts, less,   greater,   from,
                    to,     wantTrue, wantFalse, sort,  title,  cm,     landscape, pageNumbers,
                    noDate, pdf,      tsv,       html,  design, saveAs, replace,   server};
        return {};
    }
};

const QStringList& commandNames() {
    static const QStringList commands{QStringLiteral("create"),  QStringLiteral("demo"),
                                      QStringLiteral("check"),   QStringLiteral("report"),
                                      QStringLiteral("custom"),  QStringLiteral("due"),
                                      QStringLiteral("import"),  QStringLiteral("export"),
                                      QStringLiteral("designs"), QStringLiteral("copy")};
    return commands;
}

// Reads the command line into the parser; a usage error when it cannot.
void parseInto(QCommandLineParser& parser, const OptionSet& options, const QStringList& arguments) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options.all());
    // The parser takes the program's name from the first entry.
    if (!parser.parse(QStringList{QStringLiteral("pvxadmin")} + arguments))
        throw UsageError{parser.errorText() + hint()};
}

Options parse(const QStringList& arguments) {
    Options options;
    const OptionSet set;
    QCommandLineParser parser;
    parseInto(parser, set, arguments);
    QStringList positional = parser.positionalArguments();
    // Asking for help or the version needs nothing else to be right: "pvxadmin create
    // --help" is asked before the folder is known.
    options.help = parser.isSet(set.help);
    options.version = !options.help && parser.isSet(set.version);
    if ((options.help || options.version) && positional.isEmpty())
        return options;

    if (positional.isEmpty())
        throw UsageError{QStringLiteral("no command given") + hint()};
    options.command = positional.takeFirst();
    if (!commandNames().contains(options.command))
        throw UsageError{QStringLiteral("unknown command \"%1\"").arg(options.command) + hint()};
    if (options.help || options.version)
        return options;

    // An option of another command is refused, so that nothing given is silently ignored.
    QStringList allowed;
    for (const QCommandLineOption& option : set.of(options.command))
        allowed << option.names();
    for (const QString& name : parser.optionNames()) {
        if (!allowed.contains(name))
            throw UsageError{QStringLiteral("--%1 does not belong to the %2 command")
                                 .arg(name, options.command) +
                             hint()};
    }

    const bool report = options.command == QLatin1String("report");
    if (report) {
        if (positional.isEmpty())
            throw UsageError{QStringLiteral("report needs a report name") + hint()};
        options.reportName = positional.takeFirst();
        if (!ReportCommand::reportNames().contains(options.reportName))
            throw UsageError{QStringLiteral("unknown report \"%1\"; the reports are %2")
                                 .arg(options.reportName,
                                      ReportCommand::reportNames().join(QStringLiteral(", ")))};
    }
    if (options.command == QLatin1String("copy")) {
        if (positional.size() != 2)
            throw UsageError{QStringLiteral("copy needs FROM and TO, each a directory or "
                                            "server:CONNECTION") +
                             hint()};
        options.dir = positional.takeFirst();
        options.copyTo = positional.takeFirst();
        return options;
    }
    // --server names the database instead of a directory.
    if (parser.isSet(set.server)) {
        const QString connection = parser.value(set.server).trimmed();
        if (connection.isEmpty())
            throw UsageError{QStringLiteral("--server needs a connection string") + hint()};
        options.dir = ReportCommand::serverPlace(connection);
    } else {
        if (positional.isEmpty())
            throw UsageError{QStringLiteral("%1 needs a directory").arg(options.command) + hint()};
        options.dir = positional.takeFirst();
    }
    if (options.command == QLatin1String("import")) {
        if (positional.isEmpty())
            throw UsageError{QStringLiteral("import needs the file to import after the directory") +
                             hint()};
        options.importing = {options.dir, positional.takeFirst(), parser.value(set.table),
                             parser.values(set.map), parser.isSet(set.dryRun)};
    }
    if (options.command == QLatin1String("export")) {
        if (parser.value(set.csv).isEmpty())
            throw UsageError{QStringLiteral("export needs --csv FILE") + hint()};
        options.exporting = {options.dir, parser.value(set.csv)};
    }
    if (!positional.isEmpty())
        throw UsageError{QStringLiteral("unexpected argument \"%1\"").arg(positional.first()) +
                         hint()};
    if (parser.isSet(set.records))
        options.records = parseRecordCount(parser.value(set.records));
    options.strict = parser.isSet(set.strict);
    if (parser.isSet(set.days))
        options.days = parseDays(parser.value(set.days));
    if (parser.isSet(set.format)) {
        const QString format = parser.value(set.format);
        if (format == QLatin1String("text"))
            options.format = DueCommand::Format::Text;
        else if (format == QLatin1String("tsv"))
            options.format = DueCommand::Format::Tsv;
        else
            throw UsageError{QStringLiteral("--format is text or tsv, not \"%1\"").arg(format) +
                             hint()};
    }
    if (report) {
        const QString pdf = parser.value(set.pdf);
        if (pdf.isEmpty())
            throw UsageError{QStringLiteral("report needs --pdf FILE") + hint()};
        options.pdf = pdf;
        const bool range = parser.isSet(set.from) || parser.isSet(set.to);
        if (range && !ReportCommand::takesDateRange(options.reportName))
            throw UsageError{QStringLiteral("the %1 report covers every date; --from and --to "
                                            "belong to all-orders, all-rebates and all-sales")
                                 .arg(options.reportName)};
        if (parser.isSet(set.from))
            options.from = parseIsoDate(QStringLiteral("--from"), parser.value(set.from));
        if (parser.isSet(set.to))
            options.to = parseIsoDate(QStringLiteral("--to"), parser.value(set.to));
    }
    if (options.command == QLatin1String("custom")) {
        CustomCommand::Arguments& c = options.custom;
        c.database = options.dir;
        c.fields = parser.values(set.field);
        c.hide = parser.values(set.hide);
        c.total = parser.values(set.total);
        c.width = parser.values(set.width);
        c.starts = parser.values(set.starts);
        c.less = parser.values(set.less);
        c.greater = parser.values(set.greater);
        c.from = parser.values(set.from);
        c.to = parser.values(set.to);
        c.wantTrue = parser.values(set.wantTrue);
        c.wantFalse = parser.values(set.wantFalse);
        c.sort = parser.values(set.sort);
        const auto single = [&parser](const QCommandLineOption& option) {
            return parser.isSet(option) ? std::optional<QString>(parser.value(option))
                                        : std::nullopt;
        };
        c.title = single(set.title);
        c.pageNumbers = single(set.pageNumbers);
        c.pdf = single(set.pdf);
        c.tsv = single(set.tsv);
        c.html = single(set.html);
        c.centimeters = parser.isSet(set.cm);
        c.landscape = parser.isSet(set.landscape);
        c.noDate = parser.isSet(set.noDate);
        c.design = single(set.design);
        c.saveAs = single(set.saveAs);
        c.replace = parser.isSet(set.replace);
        try {
            CustomCommand::checkForm(c);
        } catch (const CustomCommand::BadArgument& error) {
            throw UsageError{error.message};
        }
    }
    return options;
}

// create and demo make the folder they are given, and the folders above it, as mkdir -p
// does; a failure names the reason.
void makeFolder(const QString& dir) {
    const QFileInfo info(dir);
    if (info.exists() || info.isSymLink())
        return;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(dir).toStdString()),
                                        error);
    if (error)
        throw Failure{
            QStringLiteral("cannot make the folder %1: %2")
                .arg(QDir::toNativeSeparators(dir), QString::fromLocal8Bit(error.message()))};
}

QString existingDirectory(const QString& dir) {
    const QFileInfo info(dir);
    if (!info.exists())
        throw Failure{ReportCommand::whyMissing(dir)};
    if (!info.isDir())
        throw Failure{QStringLiteral("%1 is not a directory").arg(QDir::toNativeSeparators(dir))};
    return info.absoluteFilePath();
}

// Builds a new pvx.mdb in dir, with demoRecords sample records, and checks it before it
// takes its name.
QString makeDatabase(const QString& dir, std::int64_t demoRecords) {
    makeFolder(dir);
    const QString folder = existingDirectory(dir);
    std::optional<NewDatabaseFile> file;
    try {
        file.emplace(QDir(folder).filePath(databaseName));
    } catch (const std::runtime_error& error) {
        throw Failure{QString::fromStdString(error.what())};
    }
    {
        auto db = Database::create(file->temporaryPath());
        Schema::create(*db);
        const QStringList problems = Schema::check(*db);
        if (!problems.isEmpty())
            throw Failure{
                QStringLiteral("the new database failed its check: %1").arg(problems.first())};
        if (demoRecords > 0) {
            // A large cache keeps a million-row run from writing pages out and reading
            // them back inside its one transaction.
            db->execute(QStringLiteral("PRAGMA cache_size = -262144"));
            DemoData(QDate::currentDate()).insert(*db, demoRecords);
            // The full integrity check of a million rows would cost more than making them;
            // SQLite's own commit is trusted, and the count shows nothing was lost.
            const qint64 stored =
                db->scalar(QStringLiteral("SELECT count(*) FROM pvx")).toLongLong();
            if (stored != demoRecords)
                throw Failure{QStringLiteral("the new database holds %1 records instead of %2")
                                  .arg(stored)
                                  .arg(demoRecords)};
        }
        db->close();
    }
    try {
        file->commit();
    } catch (const std::runtime_error& error) {
        throw Failure{QString::fromStdString(error.what())};
    }
    return file->finalPath();
}

// The tables, the catalogue and the designs table on an empty database of a server, then
// the grants a user's role needs, for the administrator to run: reading and writing the
// rows, handing out record numbers, and nothing more (no table is made or dropped by users).
int createOnServer(Database& db, QTextStream& out) {
    if (db.tableExists(QStringLiteral("pvx")))
        throw Failure{QStringLiteral("%1 already holds Purvex's tables; nothing was changed")
                          .arg(db.serverName())};
    Schema::create(db);
    out << QStringLiteral("Made the tables of Purvex in %1.\n").arg(db.serverName());
    out << QStringLiteral(
               "-- A user's role (here purvex_user; give your own) needs these grants:\n"
               "GRANT SELECT, INSERT, UPDATE, DELETE ON pvx, TypeNames, StatusNames, RptSpec, "
               "%1 TO purvex_user;\n"
               "GRANT SELECT ON LayoutVersion TO purvex_user;\n"
               "GRANT USAGE ON SEQUENCE pvx_zelid_seq TO purvex_user;\n")
               .arg(QString::fromLatin1(Schema::DesignsTable));
    return ExitOk;
}

int report(const Options& options, QTextStream& out, QTextStream& err) {
    // Pages are laid out with the fonts they are printed in, which takes a GUI application
    // (main makes one for this command).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Failure{QStringLiteral("reports cannot be made without a GUI application")};
    const ReportCommand::Result result = ReportCommand::write(
        {options.reportName, options.dir, options.pdf, options.from, options.to});
    if (result.pages == 0) {
        err << "pvxadmin: " << result.message << '\n';
        return ExitFailure;
    }
    // What went to the standard output is the report alone.
    (options.pdf == QLatin1String("-") ? err : out)
        << QStringLiteral("Wrote %1 (%2 %3).\n")
               .arg(ReportCommand::shownTarget(options.pdf))
               .arg(result.pages)
               .arg(result.pages == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
    return ExitOk;
}

int custom(const Options& options, QTextStream& out, QTextStream& err) {
    if (options.custom.pdf && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Failure{QStringLiteral("reports cannot be made without a GUI application")};
    return CustomCommand::run(options.custom, out, err);
}

// Exit 0 when nothing is overdue and 1 when something is; a scheduled job mails the list
// only then. Any error is 2, so that it is never taken for "nothing overdue".
int due(const Options& options, QTextStream& out, QTextStream& err) {
    try {
        const bool overdue =
            DueCommand::run({options.dir, options.days, options.format, QDate::currentDate()}, out);
        return overdue ? ExitFailure : ExitOk;
    } catch (const EngineError& error) {
        err << "pvxadmin: " << QString(error.description()).replace(u'\n', u' ') << '\n';
    } catch (const std::exception& error) {
        err << "pvxadmin: " << error.what() << '\n';
    }
    return ExitUsage;
}

int check(const QString& dirOrFile, bool strict, QTextStream& out) {
    // Checking only reads: it locks no one out and works on a read-only copy. A file found
    // damaged at open is opened all the same, to list what is wrong with it.
    auto db = ReportCommand::openServerOf(dirOrFile);
    if (!db)
        db =
            Database::openReadOnly(ReportCommand::databasePath(dirOrFile), Database::Damaged::Open);
    QStringList problems = Schema::check(*db);
    // A sound catalogue's rows must also make reports on this file's tables.
    if (problems.isEmpty()) {
        try {
            problems = CatalogueCheck::problems(*db, ReportCatalogue::read(*db));
        } catch (const CatalogueError& error) {
            problems << error.message();
        }
    }
    // Values the forms never write are shown as they are and kept; they are worth knowing
    // about, so that they can be mended, but they do not make the file unsound.
    QStringList oddValues;
    // A saved design that cannot be loaded is the user's to mend or delete; it never makes
    // the file unsound, not even with --strict.
    QStringList designs;
    if (problems.isEmpty()) {
        oddValues = Schema::oddValues(*db);
        designs = DesignCheck::warnings(*db, ReportCatalogue::read(*db), userLocale());
    }
    db->close();
    for (const QString& problem : problems)
        out << problem << '\n';
    for (const QString& odd : oddValues)
        out << (strict ? QString() : QStringLiteral("warning: ")) << odd << '\n';
    for (const QString& design : designs)
        out << "warning: " << design << '\n';
    if (problems.isEmpty() && (oddValues.isEmpty() || !strict)) {
        out << "ok\n";
        return ExitOk;
    }
    return ExitFailure;
}

} // namespace

bool needsPages(const QStringList& arguments) {
    const OptionSet set;
    QCommandLineParser parser;
    try {
        parseInto(parser, set, arguments);
    } catch (const UsageError&) {
        return false;
    }
    if (parser.isSet(set.help) || parser.isSet(set.version))
        return false;
    const QString command = parser.positionalArguments().value(0);
    return command == QLatin1String("report") ||
           (command == QLatin1String("custom") && parser.isSet(set.pdf));
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        const Options options = parse(arguments);
        if (options.help) {
            out << (options.command.isEmpty() ? AdminHelp::full()
                                              : AdminHelp::ofCommand(options.command));
            return ExitOk;
        }
        if (options.version) {
            out << AdminHelp::version();
            return ExitOk;
        }
        if (options.command == QLatin1String("check"))
            return check(options.dir, options.strict, out);
        if (options.command == QLatin1String("report"))
            return report(options, out, err);
        if (options.command == QLatin1String("custom"))
            return custom(options, out, err);
        if (options.command == QLatin1String("due"))
            return due(options, out, err);
        if (options.command == QLatin1String("import"))
            return ImportCommand::run(options.importing, out, err);
        if (options.command == QLatin1String("export"))
            return ExportCommand::run(options.exporting, out, err);
        if (options.command == QLatin1String("designs"))
            return DesignCommands::list(options.dir, out, err);
        if (options.command == QLatin1String("copy"))
            return CopyCommand::run(options.dir, options.copyTo, out, err);

        // create DIR makes a pvx.mdb, also beside a pvx.server; only --server makes tables
        // on a server.
        if (options.command == QLatin1String("create") &&
            ReportCommand::isServerPlace(options.dir)) {
            auto server = ReportCommand::openServerOf(options.dir);
            return createOnServer(*server, out);
        }
        const bool demo = options.command == QLatin1String("demo");
        const QString path = makeDatabase(options.dir, demo ? options.records : 0);
        if (demo)
            out << QStringLiteral("Made %1 with %2 sample records.\n")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(options.records);
        else
            out << QStringLiteral("Made %1.\n").arg(QDir::toNativeSeparators(path));
        return ExitOk;
    } catch (const UsageError& error) {
        err << "pvxadmin: " << error.message << '\n';
        return ExitUsage;
    } catch (const CustomCommand::BadArgument& error) {
        err << "pvxadmin: " << error.message << '\n';
        return ExitUsage;
    } catch (const Failure& error) {
        err << "pvxadmin: " << error.message << '\n';
        return ExitFailure;
    } catch (const EngineError& error) {
        err << "pvxadmin: " << QString(error.description()).replace(u'\n', u' ') << '\n';
        return ExitFailure;
    } catch (const std::exception& error) {
        err << "pvxadmin: " << error.what() << '\n';
        return ExitFailure;
    }
}

} // namespace AdminCommands
