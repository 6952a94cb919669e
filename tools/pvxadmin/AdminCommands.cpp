#include "AdminCommands.h"

#include "DemoData.h"
#include "NewDatabaseFile.h"
#include "ReportCommand.h"

#include "app/Database.h"
#include "app/EngineError.h"
#include "app/Schema.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <limits>
#include <optional>
#include <stdexcept>

namespace AdminCommands {
namespace {

const QString databaseName = QStringLiteral("pvx.mdb");

const char* const usageText =
    "Usage: pvxadmin COMMAND DIR [options]\n"
    "\n"
    "Makes and checks the Purvex database file pvx.mdb in folder DIR, and prints its\n"
    "built-in reports to PDF files.\n"
    "\n"
    "Commands:\n"
    "  create DIR               make a new, empty DIR/pvx.mdb with the tables and the\n"
    "                           standard report catalogue\n"
    "  demo DIR [--records N]   the same, filled with N sample orders, rebates and\n"
    "                           sales (default 60)\n"
    "  check DIR                check DIR/pvx.mdb (or DIR itself when it is a file):\n"
    "                           prints \"ok\" or the problems found\n"
    "  report NAME DIR --pdf FILE [--from DATE] [--to DATE]\n"
    "                           write a built-in report of DIR/pvx.mdb (or DIR itself\n"
    "                           when it is a file) to the PDF file FILE; NAME is one of\n"
    "                           all-orders, all-rebates, all-sales, outstanding,\n"
    "                           overdue. The first three cover the order dates from\n"
    "                           --from to --to (yyyy-mm-dd, both included; 1 January\n"
    "                           of this year to today unless given). When no record\n"
    "                           matches, the report's message is shown instead and\n"
    "                           no file is written (exit status 1).\n"
    "\n"
    "Options:\n"
    "  -h, --help               show this text\n"
    "\n"
    "An existing pvx.mdb is never replaced. Exit status: 0 success, 1 failure,\n"
    "2 wrong arguments.\n";

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
    std::int64_t records = DefaultDemoRecords;
    bool help = false;
    // report only
    QString reportName;
    QString pdf;
    std::optional<QDate> from;
    std::optional<QDate> to;
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

Options parse(const QStringList& arguments) {
    Options options;
    QStringList positional;
    bool optionsEnded = false;
    std::optional<QString> records;
    std::optional<QString> pdf;
    std::optional<QString> from;
    std::optional<QString> to;
    // "--name value" or "--name=value"; true when arg was that option.
    const auto valueOption = [&](qsizetype& i, const QString& name, std::optional<QString>& value,
                                 const QString& what) {
        const QString& arg = arguments[i];
        if (arg == name) {
            if (i + 1 >= arguments.size())
                throw UsageError{QStringLiteral("%1 needs %2").arg(arg, what)};
            value = arguments[++i];
            return true;
        }
        if (arg.startsWith(name + u'=')) {
            value = arg.mid(name.size() + 1);
            return true;
        }
        return false;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            positional << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.help = true;
        } else if (!valueOption(i, QStringLiteral("--records"), records,
                                QStringLiteral("a number")) &&
                   !valueOption(i, QStringLiteral("--pdf"), pdf, QStringLiteral("a file name")) &&
                   !valueOption(i, QStringLiteral("--from"), from, QStringLiteral("a date")) &&
                   !valueOption(i, QStringLiteral("--to"), to, QStringLiteral("a date"))) {
            throw UsageError{QStringLiteral("unknown option \"%1\"").arg(arg) + hint()};
        }
    }
    if (options.help)
        return options;

    if (positional.isEmpty())
        throw UsageError{QStringLiteral("no command given") + hint()};
    options.command = positional.takeFirst();
    static const QStringList commands{QStringLiteral("create"), QStringLiteral("demo"),
                                      QStringLiteral("check"), QStringLiteral("report")};
    if (!commands.contains(options.command))
        throw UsageError{QStringLiteral("unknown command \"%1\"").arg(options.command) + hint()};
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
    if (positional.isEmpty())
        throw UsageError{QStringLiteral("%1 needs a directory").arg(options.command) + hint()};
    options.dir = positional.takeFirst();
    if (!positional.isEmpty())
        throw UsageError{QStringLiteral("unexpected argument \"%1\"").arg(positional.first()) +
                         hint()};
    if (records) {
        if (options.command != QLatin1String("demo"))
            throw UsageError{QStringLiteral("--records belongs to the demo command") + hint()};
        options.records = parseRecordCount(*records);
    }
    if (!report && (pdf || from || to))
        throw UsageError{QStringLiteral("--pdf, --from and --to belong to the report command") +
                         hint()};
    if (report) {
        if (!pdf || pdf->isEmpty())
            throw UsageError{QStringLiteral("report needs --pdf FILE") + hint()};
        options.pdf = *pdf;
        if ((from || to) && !ReportCommand::takesDateRange(options.reportName))
            throw UsageError{QStringLiteral("the %1 report covers every date; --from and --to "
                                            "belong to all-orders, all-rebates and all-sales")
                                 .arg(options.reportName)};
        if (from)
            options.from = parseIsoDate(QStringLiteral("--from"), *from);
        if (to)
            options.to = parseIsoDate(QStringLiteral("--to"), *to);
    }
    return options;
}

QString existingDirectory(const QString& dir) {
    const QFileInfo info(dir);
    if (!info.exists())
        throw Failure{
            QStringLiteral("directory %1 does not exist").arg(QDir::toNativeSeparators(dir))};
    if (!info.isDir())
        throw Failure{QStringLiteral("%1 is not a directory").arg(QDir::toNativeSeparators(dir))};
    return info.absoluteFilePath();
}

// Builds a new pvx.mdb in dir, with demoRecords sample records, and checks it before it
// takes its name.
QString makeDatabase(const QString& dir, std::int64_t demoRecords) {
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
    out << QStringLiteral("Wrote %1 (%2 %3).\n")
               .arg(QDir::toNativeSeparators(QFileInfo(options.pdf).absoluteFilePath()))
               .arg(result.pages)
               .arg(result.pages == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
    return ExitOk;
}

int check(const QString& dirOrFile, QTextStream& out) {
    const QFileInfo info(dirOrFile);
    if (!info.exists())
        throw Failure{QStringLiteral("%1 does not exist").arg(QDir::toNativeSeparators(dirOrFile))};
    const QString path = info.isDir() ? QDir(info.absoluteFilePath()).filePath(databaseName)
                                      : info.absoluteFilePath();
    if (!QFileInfo::exists(path))
        throw Failure{QStringLiteral("%1 does not exist").arg(QDir::toNativeSeparators(path))};

    // Not exclusive: checking only reads, and must not lock out anyone else.
    auto db = Database::open(path, false);
    const QStringList problems = Schema::check(*db);
    db->close();
    if (problems.isEmpty()) {
        out << "ok\n";
        return ExitOk;
    }
    for (const QString& problem : problems)
        out << problem << '\n';
    return ExitFailure;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        const Options options = parse(arguments);
        if (options.help) {
            out << usageText;
            return ExitOk;
        }
        if (options.command == QLatin1String("check"))
            return check(options.dir, out);
        if (options.command == QLatin1String("report"))
            return report(options, out, err);

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
