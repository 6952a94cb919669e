#pragma once

#include "core/MainWindowHost.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/LockedWrite.h"
#include "engine/Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <memory>

// The program's shared state, owned by the application and handed to the forms.
// A test builds a fresh one.
// The locked-record protocol's gLockRetry and gLockTries come from LockRetryState.
struct AppState : LockRetryState {
    // The open database and the main form's recordset over pvx.
    std::unique_ptr<Database> gDatabase;
    std::unique_ptr<Recordset> gOrders;
    // A SortOrder: 1 order date (newest first), 2 description, 3 vendor.
    int gSortOrder = codeOf(SortOrder::OrderDate);

    // The folder that was current at start-up, ending in a separator, and the files in it.
    QString gDataDir;
    QString gDbPath;
    QString gHelpFile;
    // "dbname on host:port" while the database open is on a server (pvx.server), else empty.
    QString gServer;
    // True while backup or compaction has closed the database; closing the main form
    // then does not end the program.
    bool gMaintenance = false;
    // How backup and compaction close the main form and load it again.
    MainWindowHost mainWindow;

    // How the last modal dialog was left: True unless a valid OK cleared it.
    bool gCancel = true;

    // The short-date field order ("mdy", "dmy", "ymd", "ydm") and its separator.
    QString gDateFmt;
    QString gDateSep;
    // The date handed between a date field and the calendar.
    QDateTime gSelDate;
    // The report date range.
    QDate gStartDate;
    QDate gEndDate;

    // Set once the program has been ended through the services; nothing more runs.
    bool programEnded = false;
    int exitStatus = 0;
};
