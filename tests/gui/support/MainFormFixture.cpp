#include "gui/support/MainFormFixture.h"

#include "support/OrderFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

MainFormFixture::MainFormFixture() = default;
MainFormFixture::~MainFormFixture() = default;

void MainFormFixture::initFixture() {
    m_previousDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
}

void MainFormFixture::cleanupFixture() {
    m_form.reset();
    m_state.reset();
    m_services.reset();
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

QString MainFormFixture::dirPath() const {
    return m_dir->path();
}

QString MainFormFixture::databasePath() const {
    return m_dir->filePath(u"pvx.mdb"_s);
}

void MainFormFixture::createDatabase(const QList<QVariantMap>& rows) {
    OrderFixture::createDatabase(m_dir->path(), rows);
}

frmMain& MainFormFixture::makeForm() {
    m_form = std::make_unique<frmMain>(*m_state, *m_services);
    return *m_form;
}

bool MainFormFixture::showForm() {
    QDir::setCurrent(m_dir->path());
    return makeForm().loadAndShow();
}

void MainFormFixture::load(const QList<QVariantMap>& rows, const QString& locale) {
    if (!rows.isEmpty() || !QFile::exists(databasePath()))
        createDatabase(rows);
    if (!locale.isEmpty())
        m_services->userLocale = QLocale(locale);
    QVERIFY(showForm());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void MainFormFixture::discardForm() {
    m_form.reset();
    m_state = std::make_unique<AppState>();
}

void MainFormFixture::settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void MainFormFixture::click(QWidget* button) {
    QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(button->objectName()));
    QTest::mousePress(button, Qt::LeftButton);
    settle();
    QTest::mouseRelease(button, Qt::LeftButton);
    settle();
}

QList<QVariantMap> MainFormFixture::fileRows(const QString& sql) {
    // After the program has ended nothing was closed; the objects still hold the file.
    if (m_form && !m_state->programEnded)
        m_form->close();
    discardForm();

    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL),
                 {u"-readonly"_s, u"-json"_s, databasePath(), sql});
    if (!sqlite.waitForFinished(10000) || sqlite.exitStatus() != QProcess::NormalExit ||
        sqlite.exitCode() != 0) {
        // An empty answer would pass for "no rows"; the test fails instead.
        QTest::qFail(qPrintable(u"sqlite3 could not read the file: "_s +
                                QString::fromLocal8Bit(sqlite.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
    QList<QVariantMap> rows;
    const QJsonArray array = QJsonDocument::fromJson(sqlite.readAllStandardOutput()).array();
    for (const QJsonValue& row : array)
        rows << row.toObject().toVariantMap();
    return rows;
}
