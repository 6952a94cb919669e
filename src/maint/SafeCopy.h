#pragma once

#include "core/Progress.h"

#include <QString>

#include <functional>
class QFile;

// Copies a closed file over another without ever leaving less than there was. The copy is
// written under a temporary name beside the destination (so on the same volume), flushed to
// the disk, read back and compared byte for byte with the source, and only then given the
// destination's name, which the system does in one step. Whatever fails on the way, the
// temporary file goes and the destination is exactly as it was; the source is only read.
class SafeCopy {
public:
    enum class Step {
        CheckTarget,     // the source can be read and the destination is not the source
        CreateTemporary, // the temporary file beside the destination
        Copy,            // the source's bytes into it
        Flush,           // onto the disk
        Compare,         // read back and compared with the source
        Replace,         // renamed over the destination
        FlushFolder,     // the new name onto the disk
    };

    enum class Outcome {
        Copied,
        // The destination is the source itself, under the same name or another: nothing done.
        SameFile,
        Failed,
        // The user stopped the copy before it was put in place.
        Cancelled,
        // The hook stopped it before a step, as a crash there would: nothing was tidied up.
        Stopped,
    };

    struct Result {
        Outcome outcome = Outcome::Failed;
        // The step that failed, or that the copy stopped before.
        Step step = Step::CheckTarget;
        // What went wrong, in the system's words.
        QString reason;
    };

    // Called as each step begins. Returning false stops the copy there, as if the program had
    // died; throwing makes the step fail. Tests use it to fail or interrupt any step.
    using Hook = std::function<bool(Step)>;

    SafeCopy(const QString& source, const QString& destination);

    // Where the work is shown; by default nowhere.
    void setProgress(Progress* progress) { m_progress = progress; }
    void setHook(Hook hook) { m_hook = std::move(hook); }

    // The name the copy has until it has been checked.
    QString temporaryPath() const { return m_temporary; }

    Result run();

private:
    Progress& progress() { return m_progress ? *m_progress : m_quiet; }
    // Lets the hook act before the step; false when it stopped the copy.
    bool reach(Step step);
    bool isSameFile() const;
    // Copies the open source into the open temporary file; false when the user stopped it.
    bool copyBytes(QFile& from, QFile& to);
    // Throws when the temporary file differs from the source; false when the user stopped it.
    bool compareBytes(QFile& from);

    QString m_source;
    QString m_destination;
    QString m_temporary;
    Progress* m_progress = nullptr;
    QuietProgress m_quiet;
    Hook m_hook;
};
