#pragma once

#include "core/AppState.h"
#include "gui/orders/frmMain.h"
#include "gui/support/FakeServices.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

#include <memory>

class QWidget;

// The main form as each of its tests starts it: a folder of the test's own holding pvx.mdb,
// made the working directory since the program looks for its file there, a fresh shared
// state, fake services, and the form itself. A test class derives from it and calls
// initFixture() and cleanupFixture() from its own init() and cleanup().
class MainFormFixture {
public:
    MainFormFixture();
    ~MainFormFixture();
    MainFormFixture(const MainFormFixture&) = delete;
    MainFormFixture& operator=(const MainFormFixture&) = delete;

    void initFixture();
    // Drops the form before the state it works on, and gives the test runner its directory back.
    void cleanupFixture();

    AppState& state() const { return *m_state; }
    FakeServices& services() const { return *m_services; }
    frmMain* form() const { return m_form.get(); }
    QString dirPath() const;
    QString databasePath() const;

    // Creates pvx.mdb in the test's folder with the given rows.
    void createDatabase(const QList<QVariantMap>& rows);
    // A new form on the current state and services, replacing any before it; not yet loaded.
    frmMain& makeForm();
    // Starts the form from the test's folder, as the program is started; false when loading
    // gave up.
    bool showForm();
    // Creates pvx.mdb with the rows (unless there are none and the file is already there, so
    // a second load reads back what the first one stored), sets the user's locale when one is
    // named, and shows the form in the active window.
    void load(const QList<QVariantMap>& rows = {}, const QString& locale = {});
    // Forgets the form and everything the state held open (the file lock goes with them), so
    // the next form starts afresh.
    void discardForm();

    // Lets queued events run: focus changes, posted checks, deferred updates.
    static void settle();
    // A click as the window system delivers it: the focus moves on the press, and what that
    // sets off runs before the button comes up.
    static void click(QWidget* button);
    // Closes the form and everything it holds open, then reads the file with the sqlite3 tool.
    QList<QVariantMap> fileRows(const QString& sql);

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<frmMain> m_form;
};
