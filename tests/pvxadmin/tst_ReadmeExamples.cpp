// The README's pvxadmin examples, read from the README itself and run as they are written
// there, by the shell, in a home folder of the test's own: a README that drifts from the
// program fails here.
#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// pvxadmin's commands in the README's code blocks, keyed by pvxadmin's command (create,
// due, ...): lines joined where they end in "\", comments left out, and of a crontab line
// the command after the five fields of its schedule.
QMultiMap<QString, QString> pvxadminExamples(const QString& readme) {
    QMultiMap<QString, QString> examples;
    bool inBlock = false;
    bool crontab = false;
    QString line;
    for (const QString& text : readme.split(u'\n')) {
        if (text.startsWith(u"```"_s)) {
            inBlock = !inBlock;
            crontab = text == u"```crontab";
            continue;
        }
        line += line.isEmpty() ? text : u' ' + text.trimmed();
        if (!inBlock || line.endsWith(u'\\')) {
            line.chop(inBlock ? 1 : line.size());
            continue;
        }
        QString command = std::exchange(line, QString()).trimmed();
        if (crontab && !command.startsWith(u'#'))
            command = command.section(QRegularExpression(u"\\s+"_s), 5);
        const QStringList words = command.split(u' ');
        if (words.first().endsWith(u"pvxadmin"_s))
            examples.insert(words.value(1), command);
    }
    return examples;
}

} // namespace

class tst_ReadmeExamples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examplesRunAsWritten();

private:
    // A command by the shell, with this build's pvxadmin where the README names the
    // installed or the built one.
    Run shell(const QString& command) const;
    QString home(const QString& relative) const { return m_dir.filePath(u"home/"_s + relative); }
    QString read(const QString& file) const {
        return QString::fromUtf8(custom::readAll(home(file)));
    }
    QStringList descriptions(const QString& where) const;

    QTemporaryDir m_dir;
};

Run tst_ReadmeExamples::shell(const QString& command) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home({}));
    environment.insert(u"LOGNAME"_s, u"reader"_s);
    environment.insert(u"PATH"_s, m_dir.filePath(u"bin:"_s) + environment.value(u"PATH"_s));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home({}));
    process.start(u"/bin/sh"_s,
                  {u"-c"_s, QString(command).replace(QRegularExpression(u"^\\S*pvxadmin"_s),
                                                     QStringLiteral(PVX_BINARY_DIR "/pvxadmin"))});
    Run run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
               QString::fromUtf8(process.readAllStandardError())};
    return run;
}

QStringList tst_ReadmeExamples::descriptions(const QString& where) const {
    const Run run =
        shell(QStringLiteral(PVX_SQLITE3_TOOL) +
              u" -readonly ~/purchases/pvx.mdb \"SELECT descr FROM pvx %1\""_s.arg(where));
    QStringList found = run.out.split(u'\n', Qt::SkipEmptyParts);
    found.sort();
    return run.exitCode == 0 ? found : QStringList{u"sqlite3 failed: "_s + run.err};
}

void tst_ReadmeExamples::examplesRunAsWritten() {
    const auto examples = pvxadminExamples(
        QString::fromUtf8(custom::readAll(QStringLiteral(PVX_SOURCE_DIR "/README.md"))));
    // The README shows these; one gone missing would leave nothing to run here.
    QCOMPARE(examples.uniqueKeys(), QStringList({u"create"_s, u"custom"_s, u"due"_s, u"report"_s}));
    // A mail command that notes what it was asked to send.
    QVERIFY(QDir().mkpath(home({})) && QDir().mkpath(m_dir.filePath(u"bin"_s)));
    QFile mail(m_dir.filePath(u"bin/mail"_s));
    QVERIFY(mail.open(QIODevice::WriteOnly));
    mail.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >~/mail-to; cat >~/mail-body\n");
    mail.close();
    QVERIFY(mail.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // On a fresh machine create makes the folder it is given; nothing is overdue in the new
    // database, so the scheduled job sends no mail.
    for (const QString& command : examples.values(u"create"_s)) {
        const Run run = shell(command);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(command + run.err));
    }
    QVERIFY(QFile::exists(home(u"purchases/pvx.mdb"_s)));
    for (const QString& command : examples.values(u"due"_s))
        shell(command);
    QVERIFY(QFile::exists(home(u".pvx-due.txt"_s)) && !QFile::exists(home(u"mail-to"_s)));

    // The rest want records: the demo's, some overdue, some of earlier years.
    QVERIFY(QFile::remove(home(u"purchases/pvx.mdb"_s)));
    QCOMPARE(shell(u"pvxadmin demo ~/purchases"_s).exitCode, 0);
    const Run due = shell(u"pvxadmin due ~/purchases"_s);
    QCOMPARE(due.exitCode, 1);
    for (const QString& command : examples.values(u"due"_s)) {
        shell(command);
        QCOMPARE(read(u"mail-to"_s), u"-s\nPurvex: overdue\nreader\n"_s);
        QCOMPARE(read(u"mail-body"_s), due.out);
    }
    for (const QString& command : examples.values(u"report"_s)) {
        const Run run = shell(command);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(command + run.err));
        QVERIFY(!pdf::pages(home(u"overdue.pdf"_s)).isEmpty());
    }

    // This year's spending lists this year's orders and no other.
    const QStringList thisYear =
        descriptions(u"WHERE dateorder >= '%1-01-01'"_s.arg(QDate::currentDate().year()));
    QVERIFY(!thisYear.isEmpty() && thisYear.size() < descriptions({}).size());
    // A design is saved before it is run.
    QStringList customs = examples.values(u"custom"_s);
    std::stable_partition(customs.begin(), customs.end(),
                          [](const QString& command) { return command.contains(u"--save-as"_s); });
    for (const QString& command : std::as_const(customs)) {
        const Run run = shell(command);
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(command + run.err));
        if (command.contains(u"--save-as"_s)) {
            QVERIFY2(run.out.startsWith(u"Saved the design"_s), qPrintable(run.out));
            continue;
        }
        const QString html = command.section(u"--html "_s, 1).section(u' ', 0, 0);
        const auto page = custom::parseHtml(home(html.mid(2)));
        QVERIFY(page);
        QStringList listed;
        // After the title and the headings; the total stands under an empty description.
        for (const auto& row : page->rows.mid(2)) {
            if (!row.isEmpty() && !row.first().text.trimmed().isEmpty())
                listed << row.first().text.trimmed();
        }
        listed.sort();
        QCOMPARE(listed, thisYear);
    }
}

QTEST_GUILESS_MAIN(tst_ReadmeExamples)
#include "tst_ReadmeExamples.moc"
