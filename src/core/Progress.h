#pragma once

#include <QString>

// Long work the user can watch: a file copied or a database compacted. The work reports what
// it is doing and how far it has got; the user may ask it to stop until it reaches the point
// where stopping would leave things half done.
class Progress {
public:
    virtual ~Progress() = default;

    // What is being done now and how much of it there is, in units of the caller's choosing
    // (bytes, pages); 0 when that is not known, and the bar then only shows that work goes on.
    virtual void setStage(const QString& text, qint64 total) = 0;
    // How much of the stage is done. Returns false once the user has asked to stop.
    virtual bool advance(qint64 done) = 0;
    // From here on the work must run to its end: the user can no longer stop it.
    virtual void disallowCancel() = 0;
    virtual bool wasCancelled() const = 0;
};

// Work watched by nobody: for a command run from a script, or work too short to show.
class QuietProgress final : public Progress {
public:
    void setStage(const QString&, qint64) override {}
    bool advance(qint64) override { return true; }
    void disallowCancel() override {}
    bool wasCancelled() const override { return false; }
};
