#include "support/CustomFixture.h"
#include "support/PdfText.h"

using namespace custom;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result pvxadmin(const QStringList& arguments, const QString& lang = u"en_US.UTF-8"_s) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LANGUAGE"})
        environment.remove(QLatin1String(name));
    environment.insert(u"LANG"_s, lang);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace

// pvxadmin custom as a script runs it.
class tst_pvxadminCustom : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesEachKindOfFile_data();
    void writesEachKindOfFile();
    void badArgumentsNameTheArgument_data();
    void badArgumentsNameTheArgument();
    void nothingToWrite_data();
    void nothingToWrite();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_out;
};

void tst_pvxadminCustom::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    createDatabase(m_dir->path());
    m_out = QDir(m_dir->path()).filePath(u"out"_s);
}

void tst_pvxadminCustom::writesEachKindOfFile_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("written");
    QTest::newRow("text") << u"--tsv"_s << u"(2 rows)"_s;
    QTest::newRow("html") << u"--html"_s << u"(2 rows)"_s;
    QTest::newRow("pdf") << u"--pdf"_s << u"(1 page)"_s;
}

void tst_pvxadminCustom::writesEachKindOfFile() {
    QFETCH(QString, option);
    QFETCH(QString, written);
    // Amounts below 1000 of the orders that have a type, in the user's locale, totalled.
    const Result run = pvxadmin({u"custom"_s,    m_dir->path(),   u"--field"_s, u"description"_s,
                                 u"--field"_s,   u"Amount"_s,     u"--field"_s, u"Type"_s,
                                 u"--total"_s,   u"amount"_s,     u"--less"_s,  u"Amount=1.000"_s,
                                 u"--greater"_s, u"Amount=0,5"_s, u"--sort"_s,  u"Record Number"_s,
                                 u"--title"_s,   u"Spend"_s,      option,       m_out},
                                u"de_DE.UTF-8"_s);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"Wrote %1 %2.\n"_s.arg(QDir::toNativeSeparators(m_out), written));

    const QStringList rows = {u"Widget it's 10,10 € Order"_s, u"ab 999,99 € Order"_s,
                              u"1.010,09 €"_s};
    QStringList read;
    if (option == u"--tsv") {
        for (const QString& line :
             QString::fromUtf8(readAll(m_out)).split(u"\r\n"_s, Qt::SkipEmptyParts))
            read << line.split(u'\t').join(u' ').trimmed();
    } else if (option == u"--html") {
        const auto page = parseHtml(m_out);
        QVERIFY(page);
        QCOMPARE(page->title, u"Spend"_s);
        for (const auto& row : page->rows.mid(2))
            read << texts(row).join(u' ').replace(u'\u00a0', u' ').trimmed();
    } else {
        const QStringList pages = pdf::pages(m_out);
        QCOMPARE(pages.size(), 1);
        const QStringList lines = pdf::textLines(pages.at(0));
        QVERIFY2(lines.value(0).simplified().endsWith(u"Spend"_s), qPrintable(lines.value(0)));
        for (const QString& line : lines.mid(2, 3))
            read << line.simplified();
    }
    for (QString& line : read)
        line.replace(u'\u00a0', u' ').replace(u'\u202f', u' ');
    QCOMPARE(read, rows);
}

void tst_pvxadminCustom::badArgumentsNameTheArgument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");

    const QStringList base = {u"custom"_s, u"%DIR%"_s, u"--field"_s, u"Amount"_s};
    const QString tsv = u"--tsv=%DIR%/out.txt"_s;
    QTest::newRow("no output") << base << u"--pdf"_s;
    QTest::newRow("two outputs") << base + QStringList{tsv, u"--html=x.htm"_s} << u"--tsv"_s;
    QTest::newRow("no field") << QStringList{u"custom"_s, u"%DIR%"_s, tsv} << u"--field"_s;
    QTest::newRow("unknown field")
        << base + QStringList{tsv, u"--field"_s, u"Colour"_s} << u"Colour"_s;
    QTest::newRow("unknown sort") << base + QStringList{tsv, u"--sort"_s, u"Colour"_s}
                                  << u"--sort"_s;
    QTest::newRow("three sorts") << base + QStringList{tsv, u"--sort=Amount"_s, u"--sort=Amount"_s,
                                                       u"--sort=Amount"_s}
                                 << u"--sort"_s;
    QTest::newRow("bad number") << base + QStringList{tsv, u"--less"_s, u"Amount=1,5"_s}
                                << u"Amount=1,5"_s;
    QTest::newRow("bad width") << base + QStringList{tsv, u"--width"_s, u"Amount=wide"_s}
                               << u"Amount=wide"_s;
    QTest::newRow("width beyond any number")
        << base + QStringList{tsv, u"--width"_s, u"Amount=1e308"_s} << u"Amount=1e308"_s;
    QTest::newRow("negative width")
        << base + QStringList{tsv, u"--width"_s, u"Amount=-1"_s} << u"Amount=-1"_s;
    QTest::newRow("bad date") << base + QStringList{tsv, u"--from"_s, u"Date Ordered=1/2/2026"_s}
                              << u"Date Ordered=1/2/2026"_s;
    QTest::newRow("no such day") << base + QStringList{tsv, u"--to=Date Ordered=2026-02-30"_s}
                                 << u"2026-02-30"_s;
    QTest::newRow("no value") << base + QStringList{tsv, u"--starts"_s, u"Description"_s}
                              << u"--starts"_s;
    QTest::newRow("criterion of another kind")
        << base + QStringList{tsv, u"--starts"_s, u"Amount=1"_s} << u"Amount=1"_s;
    QTest::newRow("page numbers") << base + QStringList{tsv, u"--page-numbers"_s, u"top"_s}
                                  << u"top"_s;
    // Every option but --sort names a field of the report; one that does not is refused,
    // never dropped without a word.
    QTest::newRow("criterion on a field not in the report")
        << base + QStringList{tsv, u"--from"_s, u"date ordered=2026-01-01"_s}
        << u"add --field \"Date Ordered\""_s;
    QTest::newRow("text criterion on a field not in the report")
        << base + QStringList{tsv, u"--starts=Description=a"_s} << u"--field \"Description\""_s;
    QTest::newRow("yes/no criterion on a field not in the report")
        << base + QStringList{tsv, u"--true"_s, u"Outstanding"_s} << u"--hide \"Outstanding\""_s;
    QTest::newRow("hiding a field not in the report")
        << base + QStringList{tsv, u"--hide=Vendor"_s} << u"\"Vendor\" is not in the report"_s;
    QTest::newRow("width of a field not in the report")
        << base + QStringList{tsv, u"--width"_s, u"Vendor=2"_s} << u"--width \"Vendor=2\""_s;
    QTest::newRow("option of another command")
        << base + QStringList{tsv, u"--records"_s, u"5"_s} << u"--records"_s;
}

void tst_pvxadminCustom::badArgumentsNameTheArgument() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    arguments.replaceInStrings(u"%DIR%"_s, m_dir->path());
    const Result run = pvxadmin(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.startsWith(u"pvxadmin: "_s) && run.err.count(u'\n') == 1 &&
                 run.err.contains(named),
             qPrintable(run.err));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"pvx.mdb"_s});
}

void tst_pvxadminCustom::nothingToWrite_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("message");
    QTest::newRow("no rows") << u"--starts=Description=zzz"_s
                             << u"No order records have been entered that may be included in the "
                                u"specified report"_s;
    QTest::newRow("every field hidden")
        << u"--width=Description=0"_s << CustomReportText::allHidden();
}

void tst_pvxadminCustom::nothingToWrite() {
    QFETCH(QString, option);
    QFETCH(QString, message);
    for (const QString& output : {u"--pdf"_s, u"--html"_s}) {
        const Result run =
            pvxadmin({u"custom"_s, m_dir->path(), u"--field=Description"_s, option, output, m_out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, u"pvxadmin: "_s + message + u'\n');
        QVERIFY(!QFile::exists(m_out));
    }
}

QTEST_GUILESS_MAIN(tst_pvxadminCustom)
#include "tst_pvxadminCustom.moc"
