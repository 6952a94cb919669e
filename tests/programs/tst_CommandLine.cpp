// The command lines of purvex, pvxadmin and purvex-launch as a user or a packager tries
// them, with no display, and their manual pages as man and lintian read them.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// No display of any kind: what answers here must not need one.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    return environment;
}

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = withoutDisplay()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

Run program(const QString& name, const QStringList& arguments) {
    return run(QStringLiteral(PVX_BINARY_DIR "/") + name, arguments);
}

const QStringList adminCommands = {u"create"_s, u"demo"_s,   u"check"_s,
                                   u"report"_s, u"custom"_s, u"due"_s};

// A command's own help between its usage line and its options, as one line.
QString description(const QString& help) {
    const qsizetype start = help.indexOf(u"\n\n"_s);
    const qsizetype end = help.indexOf(u"\nOptions:"_s);
    return start < 0 || end < start ? QString() : help.mid(start, end - start).simplified();
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionIsTheBuilds_data();
    void versionIsTheBuilds();
    void helpNeedsNoDisplay_data();
    void helpNeedsNoDisplay();
    void anythingElseGetsTheUsage_data();
    void anythingElseGetsTheUsage();
    void eachCommandsHelpIsItsOwn_data();
    void eachCommandsHelpIsItsOwn();
    void manPagesRender_data();
    void manPagesRender();
};

void tst_CommandLine::versionIsTheBuilds_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"purvex", "pvxadmin", "purvex-launch"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_CommandLine::versionIsTheBuilds() {
    QFETCH(QString, name);
    const Run version = program(name, {u"--version"_s});
    QCOMPARE(version.err, QString());
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, u"Purvex " PVX_VERSION "\n"_s);
}

void tst_CommandLine::helpNeedsNoDisplay_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("says");
    QTest::newRow("purvex --help")
        << u"purvex"_s << u"--help"_s << u"pvx.mdb in the current folder"_s;
    QTest::newRow("purvex -h") << u"purvex"_s << u"-h"_s << u"pvxadmin create DIR"_s;
    QTest::newRow("pvxadmin --help") << u"pvxadmin"_s << u"--help"_s << u"COMMAND --help"_s;
    QTest::newRow("purvex-launch --help") << u"purvex-launch"_s << u"--help"_s << u"~/Purvex"_s;
    QTest::newRow("purvex-launch -h") << u"purvex-launch"_s << u"-h"_s << u"PURVEX_DATA_DIR"_s;
}

void tst_CommandLine::helpNeedsNoDisplay() {
    QFETCH(QString, name);
    QFETCH(QString, option);
    QFETCH(QString, says);
    const Run help = program(name, {option});
    QCOMPARE(help.err, QString());
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.out.startsWith(u"Usage: "_s + name), qPrintable(help.out));
    QVERIFY2(help.out.simplified().contains(says), qPrintable(help.out));
    // Terminal lines, as help2man and a reader expect them.
    for (const QString& line : help.out.split(u'\n'))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void tst_CommandLine::anythingElseGetsTheUsage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("purvex with a file") << u"purvex"_s << QStringList{u"pvx.mdb"_s} << u"pvx.mdb"_s;
    QTest::newRow("purvex with an unknown option")
        << u"purvex"_s << QStringList{u"--verbose"_s} << u"--verbose"_s;
    QTest::newRow("purvex with a toolkit option")
        << u"purvex"_s << QStringList{u"-platform"_s, u"offscreen"_s} << u"-platform"_s;
    QTest::newRow("purvex with more after --help")
        << u"purvex"_s << QStringList{u"--help"_s, u"now"_s} << u"now"_s;
    QTest::newRow("purvex with more after --version")
        << u"purvex"_s << QStringList{u"--version"_s, u"--help"_s} << u"--help"_s;
    QTest::newRow("purvex-launch with two folders")
        << u"purvex-launch"_s << QStringList{u"/tmp"_s, u"/var/tmp"_s} << u"one folder"_s;
    QTest::newRow("purvex-launch with an unknown option")
        << u"purvex-launch"_s << QStringList{u"--folder=/tmp"_s} << u"--folder=/tmp"_s;
}

void tst_CommandLine::anythingElseGetsTheUsage() {
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    const Run wrong = program(name, arguments);
    QCOMPARE(wrong.exitCode, 2);
    QCOMPARE(wrong.out, QString());
    QVERIFY2(wrong.err.startsWith(name + u": "_s), qPrintable(wrong.err));
    QVERIFY2(wrong.err.section(u'\n', 0, 0).contains(named), qPrintable(wrong.err));
    QVERIFY2(wrong.err.contains(u"\nUsage: "_s + name), qPrintable(wrong.err));
}

void tst_CommandLine::eachCommandsHelpIsItsOwn_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("command");
    for (const QString& command : adminCommands)
        QTest::newRow(qPrintable(command)) << QStringList{command, u"--help"_s} << command;
    // Asked for before the command, or with the rest of a command line that is not
    // complete yet: still that command's help, and nothing is done.
    QTest::newRow("--help before the command") << QStringList{u"--help"_s, u"due"_s} << u"due"_s;
    QTest::newRow("-h with a half-written command line")
        << QStringList{u"report"_s, u"overdue"_s, u"-h"_s} << u"report"_s;
}

void tst_CommandLine::eachCommandsHelpIsItsOwn() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, command);
    const Run help = program(u"pvxadmin"_s, arguments);
    QCOMPARE(help.err, QString());
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.out.startsWith(u"Usage: pvxadmin "_s + command + u' '), qPrintable(help.out));
    QVERIFY2(help.out.contains(u"\nExit status: "_s), qPrintable(help.out));
    for (const QString& other : adminCommands) {
        if (other != command)
            QVERIFY2(!help.out.contains(u"pvxadmin "_s + other), qPrintable(other));
    }
    // The whole help is made of the commands' own: it says the same.
    const QString own = description(help.out);
    QVERIFY(!own.isEmpty());
    const Run full = program(u"pvxadmin"_s, {u"--help"_s});
    QVERIFY2(full.out.simplified().contains(own), qPrintable(own));
}

void tst_CommandLine::manPagesRender_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("purvex") << u"purvex"_s
                            << QStringList{u"purvex - keep track of mail-order purchases"_s,
                                           u"--version"_s, u"pvx.mdb"_s, u"pvxadmin(1)"_s};
    QTest::newRow("pvxadmin") << u"pvxadmin"_s
                              << QStringList{u"pvxadmin - make, check and report"_s,
                                             u"create DIR"_s,
                                             u"due DIR"_s,
                                             u"--page-numbers WHERE"_s,
                                             u"EXAMPLES"_s,
                                             u"purvex(1)"_s};
    QTest::newRow("purvex-launch") << u"purvex-launch"_s
                                   << QStringList{u"purvex-launch - start Purvex"_s, u"[FOLDER]"_s,
                                                  u"PURVEX_DATA_DIR"_s, u"pvxadmin(1)"_s};
}

void tst_CommandLine::manPagesRender() {
    QFETCH(QString, name);
    QFETCH(QStringList, mentions);
    const QString page = QStringLiteral(PVX_BINARY_DIR "/man/") + name + u".1.gz"_s;
    QVERIFY2(QFile::exists(page), qPrintable(page));

    QProcessEnvironment environment = withoutDisplay();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    environment.insert(u"MANWIDTH"_s, u"200"_s);
    environment.insert(u"MANPAGER"_s, u"cat"_s);
    // As lintian reads a page: every warning of the formatter counts.
    const Run checked = run(
        QStringLiteral(PVX_MAN_TOOL),
        {u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s, u"-Tutf8"_s, u"-Z"_s, page}, environment);
    QCOMPARE(checked.exitCode, 0);
    QCOMPARE(checked.err, QString());

    const Run shown = run(QStringLiteral(PVX_MAN_TOOL), {u"-l"_s, page}, environment);
    QCOMPARE(shown.exitCode, 0);
    // Bold and underlining as the terminal would show them, and hyphens as typed.
    QString text = shown.out;
    text.remove(QRegularExpression(u".\b"_s)).replace(u'\u2010', u'-').replace(u'\u2212', u'-');
    text = text.simplified();
    QVERIFY2(text.startsWith(name.toUpper() + u"(1)"_s), qPrintable(text.left(80)));
    QVERIFY2(text.contains(u"Purvex " PVX_VERSION ""_s), qPrintable(text.right(120)));
    for (const QString& mention : mentions)
        QVERIFY2(text.contains(mention), qPrintable(mention));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
