// The desktop launcher's choice of folder, the database it makes there the first time with
// the real pvxadmin, and what it says when it cannot start Purvex.
#include "Launcher.h"

#include "support/FakeServices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The records of a database as the sqlite3 tool counts them; fails the test when it cannot.
QString recordCount(const QString& path) {
    QProcess sqlite3;
    sqlite3.start(QStringLiteral(PVX_SQLITE3_TOOL),
                  {u"-readonly"_s, path, u"SELECT count(*) FROM pvx"_s});
    if (!sqlite3.waitForFinished(30000) || sqlite3.exitCode() != 0) {
        QTest::qFail(qPrintable(u"sqlite3 cannot read "_s + path), __FILE__, __LINE__);
        return u"unreadable"_s;
    }
    return QString::fromUtf8(sqlite3.readAllStandardOutput()).trimmed();
}

} // namespace

class tst_Launcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void startsPurvexInTheFolder_data();
    void startsPurvexInTheFolder();
    void failuresSayWhyAndMakeNothing_data();
    void failuresSayWhyAndMakeNothing();
    void aFailureIsShownInAWindowToo();

private:
    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    Launcher::Places places() const {
        return {path(u"home"_s), {}, QStringLiteral(PVX_BINARY_DIR)};
    }
    // A database of one record, so that a new, empty one in its place would show.
    void keptDatabase(const QString& folder);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Launcher::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(path(u"home"_s)));
}

void tst_Launcher::keptDatabase(const QString& folder) {
    QVERIFY(QDir().mkpath(path(folder)));
    QProcess sqlite3;
    sqlite3.start(QStringLiteral(PVX_SQLITE3_TOOL),
                  {path(folder + u"/pvx.mdb"_s),
                   u"CREATE TABLE pvx (zelid INTEGER PRIMARY KEY, descr TEXT);"
                   u"INSERT INTO pvx (descr) VALUES ('kept');"_s});
    QVERIFY(sqlite3.waitForFinished(30000));
    QCOMPARE(sqlite3.exitCode(), 0);
}

void tst_Launcher::startsPurvexInTheFolder_data() {
    QTest::addColumn<QString>("argument"); // relative to the test's folder; empty: none
    QTest::addColumn<QString>("dataDir");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("made");
    QTest::newRow("the default") << QString() << QString() << u"home/Purvex"_s << true;
    QTest::newRow("PURVEX_DATA_DIR") << QString() << u"data"_s << u"data"_s << true;
    QTest::newRow("a new folder two levels down") << u"a/b"_s << QString() << u"a/b"_s << true;
    QTest::newRow("a folder with a database") << u"kept"_s << QString() << u"kept"_s << false;
    QTest::newRow("the database itself") << u"kept/pvx.mdb"_s << u"data"_s << u"kept"_s << false;
    QTest::newRow("a database not made yet") << u"new/pvx.mdb"_s << QString() << u"new"_s << true;
}

void tst_Launcher::startsPurvexInTheFolder() {
    QFETCH(QString, argument);
    QFETCH(QString, dataDir);
    QFETCH(QString, folder);
    QFETCH(bool, made);
    keptDatabase(u"kept"_s);
    const QByteArray kept = bytesOf(path(u"kept/pvx.mdb"_s));
    Launcher::Places places = this->places();
    if (!dataDir.isEmpty())
        places.dataDir = path(dataDir);

    Launcher::Start start;
    try {
        start = Launcher::prepare(
            argument.isEmpty() ? std::nullopt : std::optional<QString>(path(argument)), places);
    } catch (const Launcher::Failure& failure) {
        QFAIL(qPrintable(failure.message));
    }
    QCOMPARE(start.folder, path(folder));
    QCOMPARE(start.program, QStringLiteral(PVX_BINARY_DIR "/purvex"));
    QCOMPARE(recordCount(path(folder + u"/pvx.mdb"_s)), made ? u"0"_s : u"1"_s);
    QCOMPARE(bytesOf(path(u"kept/pvx.mdb"_s)), kept);
    // Nothing but the database: no work files left beside it.
    QCOMPARE(QDir(path(folder)).entryList(QDir::Files | QDir::Hidden), QStringList{u"pvx.mdb"_s});
}

void tst_Launcher::failuresSayWhyAndMakeNothing_data() {
    QTest::addColumn<QString>("argument"); // relative to the test's folder; empty: none
    QTest::addColumn<bool>("homeKnown");
    QTest::addColumn<QString>("message"); // %1: the test's folder
    QTest::newRow("a file that is no pvx.mdb")
        << u"notes.txt"_s << true
        << u"Purvex opens only a database named pvx.mdb, and %1/notes.txt is not one."_s;
    QTest::newRow("a folder under a file")
        << u"notes.txt/Purvex"_s << true
        << u"Purvex could not make the folder %1/notes.txt/Purvex for its data."_s;
    QTest::newRow("a pvx.mdb that links to nowhere")
        << u"linked"_s << true
        << u"Purvex could not make a new database in %1/linked: %1/linked/pvx.mdb already "
           u"exists; it was left as it is"_s;
    QTest::newRow("no home folder")
        << QString() << false
        << u"Purvex cannot tell where your home folder is: HOME is not set."_s;
}

void tst_Launcher::failuresSayWhyAndMakeNothing() {
    QFETCH(QString, argument);
    QFETCH(bool, homeKnown);
    QFETCH(QString, message);
    QFile notes(path(u"notes.txt"_s));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QVERIFY(QDir().mkpath(path(u"linked"_s)));
    QVERIFY(QFile::link(path(u"nowhere"_s), path(u"linked/pvx.mdb"_s)));
    Launcher::Places places = this->places();
    if (!homeKnown)
        places.home.clear();

    try {
        Launcher::prepare(
            argument.isEmpty() ? std::nullopt : std::optional<QString>(path(argument)), places);
        QFAIL("the launcher went ahead");
    } catch (const Launcher::Failure& failure) {
        QCOMPARE(failure.message, message.replace(u"%1"_s, m_dir->path()));
    }
    QVERIFY(!QFile::exists(path(u"nowhere"_s)));
    QCOMPARE(QDir(path(u"linked"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{u"pvx.mdb"_s});
    QCOMPARE(QDir(path(u"home"_s)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
}

void tst_Launcher::aFailureIsShownInAWindowToo() {
    const QString why = u"Purvex could not make the folder /x for its data."_s;
    for (const bool windows : {true, false}) {
        FakeServices services;
        QString written;
        QTextStream err(&written);
        Launcher::reportFailure(why, err, windows ? &services : nullptr);
        QCOMPARE(written, u"purvex-launch: "_s + why + u'\n');
        QCOMPARE(services.messages.size(), windows ? 1 : 0);
        if (windows) {
            QCOMPARE(services.messages.first().text, why);
            QCOMPARE(services.messages.first().title, u"Purvex"_s);
            QCOMPARE(services.messages.first().buttons, MsgButtons::Ok);
        }
    }
}

QTEST_MAIN(tst_Launcher)
#include "tst_Launcher.moc"
