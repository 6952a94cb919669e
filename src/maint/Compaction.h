#pragma once

#include "core/Progress.h"

#include <QString>

#include <functional>

// Compacts pvx.mdb in its folder so that the folder never holds less than it did: at every
// moment there is a complete pvx.mdb, either the one there was or its checked compacted copy.
//
// The engine writes the compacted copy to pvxnew.mdb, which is flushed to the disk and must
// pass SQLite's quick check and hold every table with as many rows as pvx.mdb. The database
// as it was is then given the name pvxdb.bak.new (a second name for the same file where the
// file system allows it, else a checked copy), pvxnew.mdb is renamed over pvx.mdb in one
// step, and pvxdb.bak.new over pvxdb.bak, the one earlier generation kept. A failure before
// the swap removes the work files and leaves pvx.mdb and pvxdb.bak exactly as they were.
class Compaction {
public:
    enum class Step {
        RemoveLeftovers, // what an earlier compaction that was cut short left behind
        Compact,         // the engine writes pvxnew.mdb
        Flush,           // pvxnew.mdb onto the disk
        Verify,          // its quick check and the row counts
        KeepBackup,      // the database as it was, as pvxdb.bak.new
        Replace,         // pvxnew.mdb renamed over pvx.mdb
        ReplaceBackup,   // pvxdb.bak.new renamed over pvxdb.bak
        FlushFolder,     // the new names onto the disk
    };

    enum class Outcome {
        Compacted,
        // Compacted, but the database as it was could not take the name pvxdb.bak: it is
        // still there as pvxdb.bak.new, and the earlier pvxdb.bak is unchanged.
        CompactedBackupNotRenamed,
        Failed,
        // The user stopped it before the swap.
        Cancelled,
        // The hook stopped it before a step, as a crash there would: nothing was tidied up.
        Stopped,
    };

    struct Result {
        Outcome outcome = Outcome::Failed;
        Step step = Step::RemoveLeftovers;
        QString reason;
    };

    // Called as each step begins. Returning false stops the compaction there, as if the
    // program had died; throwing makes the step fail. Tests use it to fail or interrupt any
    // step.
    using Hook = std::function<bool(Step)>;

    static const QString DatabaseName; // pvx.mdb
    static const QString WorkName;     // pvxnew.mdb
    static const QString BackupName;   // pvxdb.bak
    static const QString NewBackupName;

    // dataDir is the folder holding pvx.mdb, which must be closed.
    explicit Compaction(const QString& dataDir);

    void setProgress(Progress* progress) { m_progress = progress; }
    void setHook(Hook hook) { m_hook = std::move(hook); }
    // Whether the database as it was may be kept under a second name rather than copied.
    // True by default; tests turn it off to take the way of file systems without links.
    void setLinkingAllowed(bool allowed) { m_linkingAllowed = allowed; }

    Result run();

    QString path(const QString& name) const;

private:
    Progress& progress() { return m_progress ? *m_progress : m_quiet; }
    bool reach(Step step);
    void compact();
    void flushWorkFile();
    void verify();
    // False when the user stopped the copy that stands in for a link.
    bool keepBackup();
    // Removes the work files of this run.
    void discard();
    // Gives pvxdb.bak the database as it was when an earlier run stopped just after its swap.
    // False, with the reason, when the generation an earlier run kept cannot take its name.
    bool finishEarlierSwap(QString* reason);

    QString m_dir;
    Progress* m_progress = nullptr;
    QuietProgress m_quiet;
    Hook m_hook;
    bool m_linkingAllowed = true;
};
