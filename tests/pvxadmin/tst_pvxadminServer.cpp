// pvxadmin on a database shared on a PostgreSQL server: made with create --server, then
// read by the same commands as a pvx.mdb, named by --server or by a folder's pvx.server.

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "support/PgCluster.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run pvxadmin(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestPvxadminServer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PgCluster> m_cluster;
    QString m_shared;
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_cluster = std::make_unique<PgCluster>();
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        m_shared = m_cluster->createDatabase(QStringLiteral("shared"));
    }

    // The tables on an empty database, once; the grants printed are enough for a user's
    // role to work with the records and no more.
    void createMakesTablesAndTellsTheGrants() {
        const Run made = pvxadmin({QStringLiteral("create"), QStringLiteral("--server"), m_shared});
        QCOMPARE(made.exitCode, 0);
        QVERIFY2(made.out.contains(QLatin1String("Made the tables of Purvex in shared on ")),
                 qPrintable(made.out));
        const Run again =
            pvxadmin({QStringLiteral("create"), QStringLiteral("--server"), m_shared});
        QCOMPARE(again.exitCode, 1);
        QVERIFY(again.err.contains(QLatin1String("already holds Purvex's tables")));

        // create DIR makes a file, also in a folder that names the server.
        const QString folder = m_dir.filePath(QStringLiteral("own"));
        QVERIFY(QDir().mkpath(folder));
        QFile serverFile(folder + QStringLiteral("/pvx.server"));
        QVERIFY(serverFile.open(QIODevice::WriteOnly));
        serverFile.write(m_shared.toUtf8());
        serverFile.close();
        QCOMPARE(pvxadmin({QStringLiteral("create"), folder}).exitCode, 0);
        QVERIFY(QFile::exists(folder + QStringLiteral("/pvx.mdb")));

        auto admin = Database::openServer(m_shared);
        admin->execute(QStringLiteral("CREATE ROLE purvex_user LOGIN"));
        for (const QString& line : made.out.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("GRANT")))
                admin->execute(line);
        }
        auto user = Database::openServer(m_shared + QStringLiteral(" user=purvex_user"));
        auto rs = user->openDynaset(QStringLiteral("pvx"));
        rs->addNew();
        rs->setValue(QStringLiteral("descr"), QStringLiteral("Rebate one"));
        rs->setValue(QStringLiteral("Type"), 1);
        rs->setValue(QStringLiteral("status"), 0);
        rs->setValue(QStringLiteral("vendor"), QStringLiteral("Acme"));
        rs->setValue(QStringLiteral("dateorder"), QDate(2020, 1, 2));
        rs->setValue(QStringLiteral("dateexpect"), QDate(2020, 3, 1));
        rs->setValue(QStringLiteral("amount"), QVariant::fromValue(Currency::fromRaw(125000)));
        rs->update();
        rs->close();
        for (const char* sql :
             {"CREATE TABLE mine (a integer)", "DROP TABLE pvx", "DELETE FROM LayoutVersion"}) {
            try {
                user->execute(QString::fromLatin1(sql));
                QFAIL(sql);
            } catch (const EngineError& error) {
                QCOMPARE(error.number(), ErrorNumber::PermissionDenied);
            }
        }
    }

    void commandsReadTheServer_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        const QString out = m_dir.filePath(QStringLiteral("report.pdf"));
        QTest::newRow("check") << QStringList{"check", "--server"} << 0 << "ok";
        QTest::newRow("due") << QStringList{"due", "--format", "tsv", "--server"} << 1
                             << "Rebate one";
        QTest::newRow("report") << QStringList{"report",     "all-rebates", "--from",
                                               "2020-01-01", "--to",        "2020-12-31",
                                               "--pdf",      out,           "--server"}
                                << 0 << "1 page";
        QTest::newRow("custom")
            << QStringList{"custom", "--field",  "Description",        "--field",
                           "Amount", "--starts", "Description=rebate", "--tsv",
                           "-",      "--server"}
            << 0 << "Rebate one";
        QTest::newRow("custom yes/no") << QStringList{"custom",
                                                      "--field",
                                                      "Description",
                                                      "--field",
                                                      "Fully Received",
                                                      "--hide",
                                                      "Fully Received",
                                                      "--false",
                                                      "Fully Received",
                                                      "--sort",
                                                      "Description",
                                                      "--html",
                                                      m_dir.filePath(QStringLiteral("r.htm")),
                                                      "--server"}
                                       << 0 << "Wrote";
        QTest::newRow("designs") << QStringList{"designs", "--server"} << 0
                                 << "No designs are saved in shared on";
        QTest::newRow("folder with pvx.server")
            << QStringList{"due", "FOLDER"} << 1 << "Rebate one";
    }

    void commandsReadTheServer() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        if (arguments.last() == QLatin1String("--server")) {
            arguments << m_shared;
        } else {
            QFile file(m_dir.filePath(QStringLiteral("pvx.server")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("# the shared database\n" + m_shared.toUtf8() + "\n");
            file.close();
            arguments.last() = m_dir.path();
        }
        const Run run = pvxadmin(arguments);
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(says), qPrintable(run.out + run.err));
    }
    void copyGoesBothWays_data() {
        QTest::addColumn<bool>("byServerFile");
        QTest::newRow("server:CONNECTION") << false;
        QTest::newRow("folder with pvx.server") << true;
    }

    // A demo file to an empty server and back into a new folder: the same checksum printed
    // both ways (the values themselves are compared in the copy's own tests); a second copy
    // onto either target is refused.
    void copyGoesBothWays() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(bool, byServerFile);
        const QString tag = byServerFile ? QStringLiteral("byfile") : QStringLiteral("bystring");
        const QString connection = m_cluster->createDatabase(QStringLiteral("copy_") + tag);
        QString server = QStringLiteral("server:") + connection;
        if (byServerFile) {
            server = m_dir.filePath(tag + QStringLiteral("_server"));
            QVERIFY(QDir().mkpath(server));
            QFile file(server + QStringLiteral("/pvx.server"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(connection.toUtf8());
        }
        const QString from = m_dir.filePath(tag + QStringLiteral("_from"));
        const QString back = m_dir.filePath(tag + QStringLiteral("_back"));
        QVERIFY(QDir().mkpath(back));
        QCOMPARE(pvxadmin({QStringLiteral("demo"), from}).exitCode, 0);

        const Run up = pvxadmin({QStringLiteral("copy"), from, server});
        QVERIFY2(up.exitCode == 0, qPrintable(up.err));
        QVERIFY2(up.out.contains(QLatin1String("\npvx\t60\n")), qPrintable(up.out));
        const qsizetype sum = up.out.indexOf(QLatin1String("SHA-256\t"));
        QVERIFY(sum > 0);
        const QString checksum = up.out.mid(sum).trimmed();
        QCOMPARE(checksum.size(), 8 + 64);

        const Run again = pvxadmin({QStringLiteral("copy"), from, server});
        QCOMPARE(again.exitCode, 2);
        QVERIFY2(again.err.contains(QLatin1String("holds records or designs already")),
                 qPrintable(again.err));

        const Run down = pvxadmin({QStringLiteral("copy"), server, back});
        QVERIFY2(down.exitCode == 0, qPrintable(down.err));
        QCOMPARE(down.out.mid(down.out.indexOf(QLatin1String("SHA-256\t"))).trimmed(), checksum);
        const Run over = pvxadmin({QStringLiteral("copy"), server, back});
        QCOMPARE(over.exitCode, 2);
        QVERIFY2(over.err.contains(QLatin1String("exists already")), qPrintable(over.err));

        QCOMPARE(pvxadmin({QStringLiteral("copy"), from}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestPvxadminServer)
#include "tst_pvxadminServer.moc"
