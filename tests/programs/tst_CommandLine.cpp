// The command lines of purvex, pvxadmin and purvex-launch as a user or a packager tries
// them, with no display, and their manual pages as man and lintian read them.
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
Run run(const QString& program, const QStringList& arguments, const QStringList& variables = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    for (const QString& variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program.contains(u'/') ? program : QStringLiteral(PVX_BINARY_DIR "/") + program,
                  arguments);
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                  QString::fromUtf8(process.readAllStandardError())};
    return result;
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
    void manPagesRender_data();
    void manPagesRender();
};

void tst_CommandLine::answersWithoutADisplay_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("begins"); // on the standard output, or the error when refused
    QTest::addColumn<QString>("says");
    const QString version = u"Purvex " PVX_VERSION "\n"_s;
    for (const char* program : {"purvex", "pvxadmin", "purvex-launch"}) {
        const QString name = QString::fromLatin1(program);
        QTest::addRow("%s --version", program)
            << name << QStringList{u"--version"_s} << 0 << version << version;
        QTest::addRow("%s --help", program)
            << name << QStringList{u"--help"_s} << 0 << u"Usage: "_s + name << u"--version"_s;
    }
    // A command's help alone, asked for before the command line is complete.
    QTest::newRow("pvxadmin create --help")
        << u"pvxadmin"_s << QStringList{u"create"_s, u"--help"_s} << 0
        << u"Usage: pvxadmin create DIR\n"_s << u"\nExit status: 0 success"_s;
    QTest::newRow("pvxadmin --help due")
        << u"pvxadmin"_s << QStringList{u"--help"_s, u"due"_s} << 0 << u"Usage: pvxadmin due DIR"_s
        << u"\nExit status: 0 nothing overdue"_s;
    QTest::newRow("pvxadmin report overdue -h")
        << u"pvxadmin"_s << QStringList{u"report"_s, u"overdue"_s, u"-h"_s} << 0
        << u"Usage: pvxadmin report NAME"_s << u"--to DATE"_s;
    QTest::newRow("purvex -h") << u"purvex"_s << QStringList{u"-h"_s} << 0 << u"Usage: purvex"_s
                               << u"pvx.mdb in the current folder"_s;
    QTest::newRow("purvex with a file") << u"purvex"_s << QStringList{u"pvx.mdb"_s} << 2
                                        << u"purvex: "_s << u"\"pvx.mdb\"\nUsage: purvex"_s;
    QTest::newRow("purvex with a toolkit option")
        << u"purvex"_s << QStringList{u"-platform"_s, u"offscreen"_s} << 2 << u"purvex: "_s
        << u"\"-platform\"\nUsage: purvex"_s;
    QTest::newRow("purvex with more after --version")
        << u"purvex"_s << QStringList{u"--version"_s, u"--help"_s} << 2 << u"purvex: "_s
        << u"\"--help\"\nUsage: purvex"_s;
    QTest::newRow("purvex-launch with two folders")
        << u"purvex-launch"_s << QStringList{u"/tmp"_s, u"/var"_s} << 2 << u"purvex-launch: "_s
        << u"one folder at most\nUsage: purvex-launch"_s;
    QTest::newRow("purvex-launch with an unknown option")
        << u"purvex-launch"_s << QStringList{u"--folder=/tmp"_s} << 2 << u"purvex-launch: "_s
        << u"\"--folder=/tmp\"\nUsage: purvex-launch"_s;
}

void tst_CommandLine::answersWithoutADisplay() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, begins);
    QFETCH(QString, says);
    const Run answer = run(program, arguments);
    QCOMPARE(answer.exitCode, exitCode);
    // An answer goes to the standard output; a refusal to the error output alone.
    const QString& text = exitCode == 0 ? answer.out : answer.err;
    QCOMPARE(exitCode == 0 ? answer.err : answer.out, QString());
    QVERIFY2(text.startsWith(begins) && text.contains(says), qPrintable(text));
    for (const QString& line : text.split(u'\n'))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void tst_CommandLine::manPagesRender_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("purvex") << u"purvex"_s
                            << QStringList{u"purvex - keep track of mail-order purchases"_s,
                                           u"--version"_s, u"pvxadmin(1)"_s};
    QTest::newRow("pvxadmin") << u"pvxadmin"_s
                              << QStringList{u"pvxadmin - make, check and report"_s,
                                             u"create DIR"_s, u"--page-numbers WHERE"_s,
                                             u"EXAMPLES"_s, u"purvex(1)"_s};
    QTest::newRow("purvex-launch")
        << u"purvex-launch"_s
        << QStringList{u"purvex-launch - start Purvex"_s, u"[FOLDER]"_s, u"PURVEX_DATA_DIR"_s};
}

void tst_CommandLine::manPagesRender() {
    QFETCH(QString, name);
    QFETCH(QStringList, mentions);
    const QString page = QStringLiteral(PVX_BINARY_DIR "/man/") + name + u".1.gz"_s;
    QVERIFY2(QFile::exists(page), qPrintable(page));
    const QStringList variables = {u"LC_ALL=C.UTF-8"_s, u"MANWIDTH=200"_s, u"MANPAGER=cat"_s};
    // As lintian reads a page: every warning of the formatter counts.
    const Run checked =
        run(QStringLiteral(PVX_MAN_TOOL),
            {u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s, u"-Tutf8"_s, u"-Z"_s, page}, variables);
    QCOMPARE(checked.exitCode, 0);
    QCOMPARE(checked.err, QString());

    const Run shown = run(QStringLiteral(PVX_MAN_TOOL), {u"-l"_s, page}, variables);
    QCOMPARE(shown.exitCode, 0);
    // Without the terminal's bold and underlining, and with hyphens as typed.
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
