// The desktop launcher's choice of folder, the database it makes there the first time with
// the real pvxadmin, and what it says when it cannot start Purvex. (Starting purvex and the
// window that shows a failure are checked on the installed package by check-package.sh.)
#include "Launcher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Launcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void startsPurvexInTheFolder_data();
    void startsPurvexInTheFolder();
    void failuresSayWhyAndMakeNothing_data();
    void failuresSayWhyAndMakeNothing();

private:
    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    // What the sqlite3 tool answers; fails the test when it cannot.
    QString sqlite(const QString& folder, const QString& sql) const;
    // The launcher as started with the argument (relative to the test's folder; empty: none).
    Launcher::Start prepare(const QString& argument, Launcher::Places places) const {
        return Launcher::prepare(
            argument.isEmpty() ? std::nullopt : std::optional<QString>(path(argument)), places);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    Launcher::Places m_places;
};

QString tst_Launcher::sqlite(const QString& folder, const QString& sql) const {
    QProcess sqlite3;
    sqlite3.start(QStringLiteral(PVX_SQLITE3_TOOL), {path(folder + u"/pvx.mdb"_s), sql});
    if (!sqlite3.waitForFinished(30000) || sqlite3.exitCode() != 0) {
        QTest::qFail(qPrintable(u"sqlite3 failed in "_s + folder), __FILE__, __LINE__);
        return u"failed"_s;
    }
    return QString::fromUtf8(sqlite3.readAllStandardOutput()).trimmed();
}

void tst_Launcher::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_places = {path(u"home"_s), {}, QStringLiteral(PVX_BINARY_DIR)};
    // A database of one record, which a new, empty one in its place would lose; a file
    // that is no database; and a pvx.mdb that links to nowhere.
    QVERIFY(QDir().mkpath(path(u"kept"_s)) && QDir().mkpath(path(u"home"_s)));
    sqlite(u"kept"_s, u"CREATE TABLE pvx (descr TEXT); INSERT INTO pvx VALUES ('kept');"_s);
    QFile notes(path(u"notes.txt"_s));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QVERIFY(QDir().mkpath(path(u"linked"_s)));
    QVERIFY(QFile::link(path(u"nowhere"_s), path(u"linked/pvx.mdb"_s)));
}

void tst_Launcher::startsPurvexInTheFolder_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("dataDir"); // PURVEX_DATA_DIR
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("records"); // 0 in a database made now
    QTest::newRow("the default") << QString() << QString() << u"home/Purvex"_s << u"0"_s;
    QTest::newRow("PURVEX_DATA_DIR") << QString() << u"data"_s << u"data"_s << u"0"_s;
    QTest::newRow("a new folder two levels down") << u"a/b"_s << QString() << u"a/b"_s << u"0"_s;
    QTest::newRow("a folder with a database") << u"kept"_s << QString() << u"kept"_s << u"1"_s;
    QTest::newRow("the database itself") << u"kept/pvx.mdb"_s << u"data"_s << u"kept"_s << u"1"_s;
    QTest::newRow("a database not made yet") << u"new/pvx.mdb"_s << QString() << u"new"_s << u"0"_s;
}

void tst_Launcher::startsPurvexInTheFolder() {
    QFETCH(QString, argument);
    QFETCH(QString, dataDir);
    QFETCH(QString, folder);
    QFETCH(QString, records);
    if (!dataDir.isEmpty())
        m_places.dataDir = path(dataDir);
    try {
        const Launcher::Start start = prepare(argument, m_places);
        QCOMPARE(start.folder, path(folder));
        QCOMPARE(start.program, QStringLiteral(PVX_BINARY_DIR "/purvex"));
    } catch (const Launcher::Failure& failure) {
        QFAIL(qPrintable(failure.message));
    }
    QCOMPARE(sqlite(folder, u"SELECT count(*) FROM pvx"_s), records);
    QCOMPARE(sqlite(u"kept"_s, u"SELECT descr FROM pvx"_s), u"kept"_s);
    // Nothing but the database: no work files left beside it.
    QCOMPARE(QDir(path(folder)).entryList(QDir::Files | QDir::Hidden), QStringList{u"pvx.mdb"_s});
}

void tst_Launcher::failuresSayWhyAndMakeNothing_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("message"); // %1: the test's folder
    QTest::newRow("a file that is no pvx.mdb")
        << u"notes.txt"_s
        << u"Purvex opens only a database named pvx.mdb, and %1/notes.txt is not one."_s;
    QTest::newRow("a folder under a file")
        << u"notes.txt/Purvex"_s
        << u"Purvex could not make the folder %1/notes.txt/Purvex for its data."_s;
    QTest::newRow("a pvx.mdb that links to nowhere")
        << u"linked"_s
        << u"Purvex could not make a new database in %1/linked: %1/linked/pvx.mdb already "
           u"exists; it was left as it is"_s;
    QTest::newRow("no home folder")
        << QString() << u"Purvex cannot tell where your home folder is: HOME is not set."_s;
}

void tst_Launcher::failuresSayWhyAndMakeNothing() {
    QFETCH(QString, argument);
    QFETCH(QString, message);
    m_places.home.clear();
    try {
        prepare(argument, m_places);
        QFAIL("the launcher went ahead");
    } catch (const Launcher::Failure& failure) {
        QCOMPARE(failure.message, message.replace(u"%1"_s, m_dir->path()));
    }
    QVERIFY(!QFile::exists(path(u"nowhere"_s)));
    QCOMPARE(QDir(path(u"linked"_s)).entryList(QDir::Files | QDir::System),
             QStringList{u"pvx.mdb"_s});
    QCOMPARE(QDir(path(u"home"_s)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
}

QTEST_GUILESS_MAIN(tst_Launcher)
#include "tst_Launcher.moc"
