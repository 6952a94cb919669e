#include "AdminHelp.h"

#include "core/Version.h"

#include <QStringList>

#include <vector>

using namespace Qt::StringLiterals;

namespace AdminHelp {
namespace {

// Terminal lines, and where a description begins beside what it describes.
constexpr int LineWidth = 79;
constexpr int FullColumn = 27;
constexpr int CommandColumn = 25;

struct OptionHelp {
    const char* names;
    const char* text;
};

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* text;
    std::vector<OptionHelp> options;
    // After the options: what holds for all of them.
    const char* notes;
    const char* exitStatus;
};

const char* const generalExitStatus = "0 success, 1 failure, 2 wrong arguments.";

const std::vector<CommandHelp>& commands() {
    static const std::vector<CommandHelp> all{
        {"create",
         "create DIR",
         "Makes a new, empty DIR/pvx.mdb with the tables and the standard report catalogue, "
         "making the folder DIR (and any folder above it) when it does not exist. An existing "
         "pvx.mdb is never replaced. With --server, makes the tables, the catalogue and the "
         "designs table in an empty PostgreSQL database and prints the grants a user's role "
         "needs.",
         {{"--server CONNECTION", "instead of DIR: a libpq connection string, without a password"}},
         "",
         generalExitStatus},
        {"demo",
         "demo DIR [--records N]",
         "The same as create, filled with N sample orders, rebates and sales.",
         {{"--records N", "how many sample records (default 60)"}},
         "",
         generalExitStatus},
        {"check",
         "check DIR [--strict]",
         "Checks DIR/pvx.mdb (or DIR itself when it is a file): prints the problems found, or "
         "\"ok\". Values the program never writes (text in a date, an amount out of range) are "
         "listed as warnings, and so are saved report designs that cannot be loaded. Only "
         "reads: works on a read-only copy.",
         {{"--strict", "the warnings count as problems"}},
         "",
         "0 sound, 1 problems found or the file cannot be read, 2 wrong arguments."},
        {"report",
         "report NAME DIR --pdf FILE [--from DATE] [--to DATE]",
         "Writes a built-in report of DIR/pvx.mdb (or DIR itself when it is a file) to the PDF "
         "file FILE. NAME is one of all-orders, all-rebates, all-sales, outstanding, overdue. "
         "When no record matches, the report's message is shown instead and no file is "
         "written.",
         {{"--pdf FILE", "the PDF file to write"},
          {"--from DATE", "all-orders, all-rebates and all-sales: the first order date "
                          "(yyyy-mm-dd; default 1 January of this year)"},
          {"--to DATE", "the last order date (default today)"}},
         "",
         "0 written, 1 nothing matches or a failure, 2 wrong arguments."},
        {"custom",
         "custom DIR --field NAME ... (--pdf | --tsv | --html) FILE [options]",
         "A custom report of DIR/pvx.mdb (or DIR itself when it is a file) as PDF pages, a "
         "tab-separated text file or an HTML table, replacing FILE. NAME is a report field as "
         "the designer lists it (\"Date Ordered\"), case ignored.",
         {{"--field NAME", "a column of the report, in the order given"},
          {"--design NAME", "start from the saved design NAME (see designs) instead of the "
                            "defaults, --field then optional: every other option changes the "
                            "design for this run only, and --field adds a column"},
          {"--save-as NAME", "store the report as the design NAME (1 to 60 characters), for "
                             "the designer and --design; FILE is then optional"},
          {"--replace", "with --save-as: replace a design of that name"},
          {"--pdf FILE", "PDF pages"},
          {"--tsv FILE", "a tab-separated text file"},
          {"--html FILE", "an HTML table"},
          {"--hide NAME", "no column for the field; its criteria still apply"},
          {"--total NAME", "a total under a number field"},
          {"--width NAME=UNITS", "column width in inches (centimetres with --cm); 0 hides"},
          {"--starts NAME=TEXT", "text fields beginning with TEXT, case ignored"},
          {"--less NAME=NUMBER", "number fields below NUMBER, written as the locale writes "
                                 "numbers (1,000.5 in en_US, 1.000,5 in de_DE)"},
          {"--greater NAME=NUMBER", "number fields above NUMBER"},
          {"--from NAME=DATE", "date fields on or after DATE (yyyy-mm-dd)"},
          {"--to NAME=DATE", "date fields on or before DATE"},
          {"--true NAME", "yes/no fields that say Yes"},
          {"--false NAME", "yes/no fields that say No"},
          {"--sort NAME", "sort by the field; once more for the secondary sort"},
          {"--title TEXT", "the report's title (default \"Purvex Report\")"},
          {"--cm", "widths in centimetres"},
          {"--landscape", "landscape pages (--pdf)"},
          {"--page-numbers WHERE", "bottom (default), header or none (--pdf)"},
          {"--no-date", "no date in the page header (--pdf)"}},
         "Every option that names a field, but --sort, needs the field in the report (given "
         "with --field or in the design): a criterion on any other field is refused, never "
         "ignored. Add the "
         "field, and --hide it when its column is not wanted. Sorts on any field are honoured. "
         "When no record matches, or every field is hidden, it says so and writes nothing. "
         "FILE may be - for the standard output; a named pipe or a device is written to as "
         "it is (never replaced), and a folder is refused. A report counts as written only "
         "once all of it reached FILE.",
         "0 written, 1 nothing to write or a failure, 2 wrong arguments."},
        {"copy",
         "copy FROM TO",
         "Copies a whole database, every record with its record number, the report catalogue "
         "and the saved designs, from FROM to TO, in either direction between a pvx.mdb and a "
         "PostgreSQL server. Each of FROM and TO is a folder holding pvx.mdb, a folder holding "
         "pvx.server, or server:CONNECTION (a libpq connection string). The source is read as "
         "one moment's state while others go on working, and is never written. A pvx.mdb is "
         "made new in TO, which must exist and hold none; a server database takes the copy "
         "only while it holds no records and no designs (its tables are made when it has "
         "none). All of it is copied or nothing is. Prints the rows of each table and the "
         "SHA-256 of every value, which both sides agreed on.",
         {},
         "",
         "0 the copy is in place, 2 on any failure or refusal (nothing was changed)."},
        {"designs",
         "designs DIR",
         "Lists the saved report designs of DIR/pvx.mdb (or DIR itself when it is a file), one "
         "a line, tab-separated: the name, the fields in report order (hidden ones marked) and "
         "where the designer sends the report. Only reads.",
         {},
         "",
         generalExitStatus},
        {"due",
         "due DIR [--days N] [--format text|tsv]",
         "Lists what is overdue in DIR/pvx.mdb (or DIR itself when it is a file): not received "
         "or partly received, expected today or earlier; then what falls due within N days. "
         "One item a line: type, description, vendor, expected date (yyyy-mm-dd) and amount, "
         "oldest first. Only reads.",
         {{"--days N", "days ahead, 0 to 3660 (default 7)"},
          {"--format text|tsv", "tsv: tab-separated lines under a heading line"}},
         "",
         "0 nothing overdue, 1 something overdue, 2 any error."},
        {"import",
         "import DIR FILE [--table NAME] [--map FIELD=COLUMN]... [--dry-run]",
         "Brings the records of FILE into the existing DIR/pvx.mdb (or DIR itself when it is a "
         "file), all of them or none. FILE is an Access-format database (.mdb, .accdb), read "
         "from its table pvx, or a CSV file (UTF-8, comma- or semicolon-separated, under a "
         "heading line). Columns go into the fields of their names, the stored ones (descr, "
         "dateorder) or those the custom report designer shows (\"Date Ordered\"), case "
         "ignored. Dates in ISO form (2026-01-31) or the locale's short date, amounts plain "
         "(1234.56) or as the locale writes money, Type and status as 0, 1, 2 or their words. A "
         "value that cannot be stored exactly (a text longer than its field) stops the import "
         "with a list of rows and reasons, and nothing is written. FILE is only read.",
         {{"--table NAME", "the table of an Access-format file (default pvx)"},
          {"--map FIELD=COLUMN", "the column COLUMN goes into the field FIELD"},
          {"--dry-run", "checks everything and says what would be imported; writes nothing"}},
         "Into an empty database the records keep their record numbers (zelid); into one that "
         "holds records they get new ones.",
         "0 imported, 1 FILE holds no records, 2 any error."},
        {"export",
         "export DIR --csv FILE",
         "Writes every record of DIR/pvx.mdb (or DIR itself when it is a file) to the CSV file "
         "FILE: a heading line of the stored field names, ISO dates, amounts as plain decimals "
         "with a point, Type and status as words; UTF-8. FILE is replaced only once all of it "
         "is written; - is the standard output. Only reads the database.",
         {{"--csv FILE", "the CSV file to write"}},
         "",
         "0 written, 1 not written, 2 wrong arguments."},
    };
    return all;
}

// The words of text in lines of at most LineWidth characters: the first line begins with
// lead, padded to column (or alone on its line when it reaches the column), the others with
// column blanks.
QString wrapped(const QString& lead, int column, const QString& text) {
    QString out = lead;
    if (!lead.isEmpty() && lead.size() + 2 > column) {
        out += u'\n';
        out += QString(column, u' ');
    } else {
        out += QString(column - lead.size(), u' ');
    }
    int used = column;
    bool lineEmpty = true;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!lineEmpty && used + 1 + word.size() > LineWidth) {
            out += u'\n';
            out += QString(column, u' ');
            used = column;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += u' ';
            ++used;
        }
        out += word;
        used += int(word.size());
        lineEmpty = false;
    }
    return out + u'\n';
}

QString paragraph(const QString& text) {
    return wrapped(QString(), 0, text);
}

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

const CommandHelp* find(const QString& name) {
    for (const CommandHelp& command : commands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

} // namespace

QString full() {
    QString out = u"Usage: pvxadmin COMMAND DIR [options]\n"
                  u"  or:  pvxadmin COMMAND --help\n"
                  u"  or:  pvxadmin --version\n\n"_s;
    out += paragraph(u"Makes and checks the Purvex database file pvx.mdb in the folder DIR, "
                     u"lists what is due, writes built-in and custom reports to files, and "
                     u"imports and exports records, without a window."_s);
    out += u"\nCommands:\n"_s;
    for (const CommandHelp& command : commands()) {
        out += wrapped(u"  "_s + latin(command.synopsis), FullColumn, latin(command.text));
        for (const OptionHelp& option : command.options)
            out += wrapped(u"    "_s + latin(option.names), FullColumn, latin(option.text));
        if (*command.notes)
            out += wrapped(QString(), FullColumn, latin(command.notes));
    }
    out += u'\n';
    out += paragraph(u"A database shared on a PostgreSQL server: copy takes server:CONNECTION as "
                     u"FROM or TO; create, check, report, custom, due and designs take --server "
                     u"CONNECTION (a libpq connection string) "
                     u"instead of DIR, and a DIR that holds pvx.server and no pvx.mdb names "
                     u"that server's database. Passwords come from ~/.pgpass, a service file "
                     u"or PGPASSWORD, never from the command line."_s);
    out += u"\nOptions:\n"_s;
    out += wrapped(u"  -h, --help"_s, FullColumn,
                   u"show this help; after a command, that command's help alone"_s);
    out += wrapped(u"  --version"_s, FullColumn, u"show the version"_s);
    out += u'\n';
    out += paragraph(u"Exit status: 0 success, 1 failure, 2 wrong arguments; check, report "
                     u"and custom also exit 1 when they find a fault or nothing to write; "
                     u"due exits 0 when nothing is overdue, 1 when something is and 2 on any "
                     u"error; import exits 1 when the file holds no records and 2 on any "
                     u"error; copy exits 2 on any failure."_s);
    return out;
}

QString ofCommand(const QString& name) {
    const CommandHelp* command = find(name);
    if (!command)
        return {};
    QString out = u"Usage: pvxadmin "_s + latin(command->synopsis) + u"\n\n"_s;
    out += paragraph(latin(command->text));
    out += u"\nOptions:\n"_s;
    for (const OptionHelp& option : command->options)
        out += wrapped(u"  "_s + latin(option.names), CommandColumn, latin(option.text));
    out += wrapped(u"  -h, --help"_s, CommandColumn, u"show this help"_s);
    if (*command->notes)
        out += u'\n' + paragraph(latin(command->notes));
    out += u'\n' + paragraph(u"Exit status: "_s + latin(command->exitStatus));
    return out;
}

QString version() {
    return u"Purvex %1\n"_s.arg(QLatin1String(Version::Text));
}

} // namespace AdminHelp
