// The README's pvxadmin examples, read from the README itself and run as they are written
// there, by the shell, in a home folder of the test's own: a README that drifts from the
// program fails here.
#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Example {
    QString command;  // as the shell or cron runs it
    QString pvxadmin; // its pvxadmin command: create, due, report, ...
    bool cron = false;
};

// The commands of the README's code blocks: lines joined where they end in "\", comments
// left out, and for a crontab block the command after the five schedule fields.
QList<Example> pvxadminExamples(const QString& readme) {
    QList<Example> examples;
    QString language;
    bool inBlock = false;
    QString pending;
    for (const QString& line : readme.split(u'\n')) {
        if (line.startsWith(u"```"_s)) {
            inBlock = !inBlock;
            language = line.mid(3).trimmed();
            continue;
        }
        if (!inBlock)
            continue;
        pending += pending.isEmpty() ? line : u' ' + line.trimmed();
        if (pending.endsWith(u'\\')) {
            pending.chop(1);
            continue;
        }
        QString command = pending.trimmed();
        pending.clear();
        if (command.isEmpty() || command.startsWith(u'#'))
            continue;
        const bool cron = language == u"crontab";
        if (cron)
            command = command.section(QRegularExpression(u"\\s+"_s), 5);
        const QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        if (words.value(0).endsWith(u"pvxadmin"_s))
            examples.append({command, words.value(1), cron});
    }
    return examples;
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class tst_ReadmeExamples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void examplesRunAsWritten();

private:
    // Runs an example by the shell, with this build's pvxadmin where the README names the
    // installed or the built one.
    Run shell(const Example& example) const;
    Run pvxadmin(const QStringList& arguments) const;
    QString home(const QString& relative) const { return QDir(m_home).filePath(relative); }
    QStringList sqlite(const QString& query) const;
    QList<Example> of(const QString& pvxadminCommand) const;

    QList<Example> m_examples;
    QTemporaryDir m_dir;
    QString m_home;
    QProcessEnvironment m_environment;
};

void tst_ReadmeExamples::initTestCase() {
    QFile readme(QStringLiteral(PVX_SOURCE_DIR "/README.md"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    m_examples = pvxadminExamples(QString::fromUtf8(readme.readAll()));
    QStringList commands;
    for (const Example& example : m_examples)
        commands << example.pvxadmin;
    commands.removeDuplicates();
    commands.sort();
    // The README shows these; one that went missing would leave nothing to run here.
    QCOMPARE(commands, QStringList({u"create"_s, u"custom"_s, u"due"_s, u"report"_s}));

    // A home of the test's own, and a mail command that notes what it was asked to send.
    QVERIFY(m_dir.isValid());
    m_home = m_dir.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_home));
    const QString bin = m_dir.filePath(u"bin"_s);
    QVERIFY(QDir().mkpath(bin));
    QFile mail(bin + u"/mail"_s);
    QVERIFY(mail.open(QIODevice::WriteOnly));
    mail.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >\"$HOME/mail-arguments\"\n"
               "cat >\"$HOME/mail-body\"\n");
    mail.close();
    QVERIFY(mail.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(u"HOME"_s, m_home);
    m_environment.insert(u"LOGNAME"_s, u"reader"_s);
    m_environment.insert(u"PATH"_s, bin + u':' + m_environment.value(u"PATH"_s));
}

Run tst_ReadmeExamples::shell(const Example& example) const {
    QString command = example.command;
    command.replace(QRegularExpression(u"^\\S*pvxadmin"_s),
                    QStringLiteral(PVX_BINARY_DIR "/pvxadmin"));
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.setWorkingDirectory(m_home);
    process.start(u"/bin/sh"_s, {u"-c"_s, command});
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

Run tst_ReadmeExamples::pvxadmin(const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Run run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
    }
    return run;
}

QStringList tst_ReadmeExamples::sqlite(const QString& query) const {
    QProcess sqlite3;
    sqlite3.start(QStringLiteral(PVX_SQLITE3_TOOL),
                  {u"-readonly"_s, home(u"purchases/pvx.mdb"_s), query});
    if (!sqlite3.waitForFinished(30000) || sqlite3.exitCode() != 0) {
        QTest::qFail("sqlite3 cannot read the examples' database", __FILE__, __LINE__);
        return {u"unreadable"_s};
    }
    return QString::fromUtf8(sqlite3.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

QList<Example> tst_ReadmeExamples::of(const QString& pvxadminCommand) const {
    QList<Example> found;
    for (const Example& example : m_examples) {
        if (example.pvxadmin == pvxadminCommand)
            found << example;
    }
    return found;
}

void tst_ReadmeExamples::examplesRunAsWritten() {
    // On a fresh machine: create makes the folder it is given.
    QVERIFY(!QFile::exists(home(u"purchases"_s)));
    for (const Example& example : of(u"create"_s)) {
        const Run run = shell(example);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(example.command + run.err));
    }
    QVERIFY(QFile::exists(home(u"purchases/pvx.mdb"_s)));

    // The scheduled job on the new, empty database: nothing overdue, no mail.
    for (const Example& example : of(u"due"_s)) {
        QVERIFY(example.cron);
        shell(example);
        QVERIFY(QFile::exists(home(u".pvx-due.txt"_s)));
        QVERIFY(!QFile::exists(home(u"mail-arguments"_s)));
    }

    // The rest want records: the demo's, some of them overdue, some of earlier years.
    QVERIFY(QFile::remove(home(u"purchases/pvx.mdb"_s)));
    QCOMPARE(pvxadmin({u"demo"_s, home(u"purchases"_s)}).exitCode, 0);
    const Run due = pvxadmin({u"due"_s, home(u"purchases"_s)});
    QCOMPARE(due.exitCode, 1);
    for (const Example& example : of(u"due"_s)) {
        shell(example);
        QFile arguments(home(u"mail-arguments"_s));
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(arguments.readAll()), u"-s\nPurvex: overdue\nreader\n"_s);
        QFile body(home(u"mail-body"_s));
        QVERIFY(body.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(body.readAll()), due.out);
    }

    for (const Example& example : of(u"report"_s)) {
        const Run run = shell(example);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(example.command + run.err));
        QVERIFY(!pdf::pages(home(u"overdue.pdf"_s)).isEmpty());
    }

    // This year's spending lists this year's orders and no other.
    const QString newYear = QDate(QDate::currentDate().year(), 1, 1).toString(Qt::ISODate);
    QStringList thisYear = sqlite(u"SELECT descr FROM pvx WHERE dateorder >= '%1'"_s.arg(newYear));
    QVERIFY(!thisYear.isEmpty());
    QVERIFY(thisYear.size() < sqlite(u"SELECT descr FROM pvx"_s).size());
    for (const Example& example : of(u"custom"_s)) {
        const Run run = shell(example);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(example.command + run.err));
        const auto page = custom::parseHtml(home(u"spent.htm"_s));
        QVERIFY(page);
        QStringList listed;
        // The title and the headings first; the total last, under an empty description.
        for (const auto& row : page->rows.mid(2)) {
            if (!row.isEmpty() && !row.first().text.trimmed().isEmpty())
                listed << row.first().text.trimmed();
        }
        listed.sort();
        thisYear.sort();
        QCOMPARE(listed, thisYear);
    }
}

QTEST_GUILESS_MAIN(tst_ReadmeExamples)
#include "tst_ReadmeExamples.moc"
