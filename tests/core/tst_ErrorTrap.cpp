#include "core/ErrorTrap.h"
#include "engine/LockedWrite.h"
#include "engine/Recordset.h"
#include "support/DatabaseFaults.h"
#include "support/FakeCoreServices.h"
#include "support/OrderFixture.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_ErrorTrap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dispatch_data();
    void dispatch();
    void trapResumesWithTheNextStatement();
    void nothingRunsOnceTheProgramHasEnded();
    void cancelledFileDialogSetsCancel();
    void lockedWrite_data();
    void lockedWrite();
    void questionComesAgainAfter99MoreFailures();
};

void tst_ErrorTrap::dispatch_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");

    QTest::newRow("object not set")
        << 91 << "Object variable not set"
        << "There was an error accessing the database file.  Aborting..."
        << "Purvex";
    QTest::newRow("in use") << 3045 << "locked"
                            << "The database is in use.  You are attempting to run the "
                               "non-network version in a network environment.  The program "
                               "will exit."
                            << "Database File Already In Use";
    QTest::newRow("invalid object")
        << 3420 << "Object invalid or no longer set."
        << "An error has occurred.  You may have forgotten to close a window before packing or "
           "backing up the program's database.  Please rerun the program."
        << "Purvex";
    QTest::newRow("any other") << 3024 << "Could not find file 'pvx.mdb'."
                               << "3024  Could not find file 'pvx.mdb'."
                               << "Purvex";
}

void tst_ErrorTrap::dispatch() {
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QString, text);
    QFETCH(QString, title);

    AppState state;
    FakeCoreServices services;
    ReportError(EngineError(number, description), state, services);

    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].text, text);
    QCOMPARE(services.messages[0].title, title);
    QCOMPARE(services.messages[0].buttons, MsgButtons::Ok);
    QVERIFY(services.ended);
    QVERIFY(state.programEnded);
    QCOMPARE(services.exitStatus, 1);
}

void tst_ErrorTrap::trapResumesWithTheNextStatement() {
    AppState state;
    FakeCoreServices services;
    ErrorTrap trap(state, services);
    QStringList ran;
    trap([&] {
        ran << "first";
        throw EngineError(ErrorNumber::RecordLocked, "locked");
    });
    trap([&] { ran << "second"; });
    QCOMPARE(ran, QStringList({"first", "second"}));
    QVERIFY(services.messages.isEmpty());
    QVERIFY(state.gLockRetry);
    QCOMPARE(state.gLockTries, 1);
}

void tst_ErrorTrap::nothingRunsOnceTheProgramHasEnded() {
    AppState state;
    FakeCoreServices services;
    ErrorTrap trap(state, services);
    bool ranAfter = false;
    trap([] { throw EngineError(3049, "The database is damaged."); });
    trap([&] { ranAfter = true; });
    QVERIFY(!ranAfter);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].text, QString("3049  The database is damaged."));
}

void tst_ErrorTrap::cancelledFileDialogSetsCancel() {
    AppState state;
    state.gCancel = false;
    FakeCoreServices services;
    ReportError(EngineError(ErrorNumber::DialogCancelled, "cancelled"), state, services);
    QVERIFY(state.gCancel);
    QVERIFY(services.messages.isEmpty());
    QVERIFY(!services.ended);
}

// A real row written through the recordset while the file refuses it `failures` times.
void tst_ErrorTrap::lockedWrite_data() {
    QTest::addColumn<int>("failures");
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("saved");

    QTest::newRow("no failure") << 0 << QList<MsgAnswer>{} << 0 << true;
    QTest::newRow("99 failures are silent") << 99 << QList<MsgAnswer>{} << 0 << true;
    QTest::newRow("100th asks, Yes") << 100 << QList<MsgAnswer>{MsgAnswer::Yes} << 1 << true;
    QTest::newRow("100th asks, No ends") << 100 << QList<MsgAnswer>{MsgAnswer::No} << 1 << false;
    QTest::newRow("Yes, then 99 silent") << 198 << QList<MsgAnswer>{MsgAnswer::Yes} << 1 << true;
}

void tst_ErrorTrap::lockedWrite() {
    QFETCH(int, failures);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(int, questions);
    QFETCH(bool, saved);

    QTemporaryDir dir;
    const QString path = OrderFixture::createDatabase(dir.path(), {{{"descr", "Old"}}});
    AppState state;
    FakeCoreServices services;
    for (MsgAnswer answer : answers)
        services.answers.push_back(answer);
    state.gDatabase = Database::open(path, true);
    state.gOrders = state.gDatabase->openDynaset("pvx", "dateorder DESC");
    state.gOrders->moveFirst();
    state.gOrders->edit();
    state.gOrders->setValue("descr", "New");
    DatabaseFaults::failNextWrites(*state.gDatabase, failures);

    ErrorTrap trap(state, services);
    const bool written = writeWithRetry(state, trap, [&] { state.gOrders->update(); });

    QCOMPARE(written, saved);
    QCOMPARE(services.messages.size(), questions);
    for (const auto& message : services.messages) {
        QCOMPARE(message.text,
                 QString("Could not update locked record.  Do you wish to try again?"));
        QCOMPARE(message.title, QString("Locked Record"));
        QCOMPARE(message.buttons, MsgButtons::YesNo);
    }
    QCOMPARE(services.ended, !saved);
    state.gOrders.reset();
    state.gDatabase.reset();

    auto check = Database::open(path, true);
    QCOMPARE(check->scalar("SELECT descr FROM pvx").toString(),
             saved ? QString("New") : QString("Old"));
}

void tst_ErrorTrap::questionComesAgainAfter99MoreFailures() {
    AppState state;
    FakeCoreServices services;
    services.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::No};
    ErrorTrap trap(state, services);
    int attempts = 0;
    QList<int> askedAt;
    services.onMessage = [&](const FakeCoreServices::Message&) { askedAt << attempts; };
    writeWithRetry(state, trap, [&] {
        ++attempts;
        throw EngineError(ErrorNumber::RecordLockedOnSave, "locked");
    });
    QCOMPARE(askedAt, QList<int>({100, 199, 298}));
    QVERIFY(services.ended);
}

QTEST_MAIN(tst_ErrorTrap)
#include "tst_ErrorTrap.moc"
