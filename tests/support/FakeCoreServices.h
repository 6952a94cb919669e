#pragma once

#include "core/CoreServices.h"
#include "core/Progress.h"

#include <QList>
#include <QLocale>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

// Records every message shown and answers from a script; the clock and the locale are set
// by the test. Base is CoreServices for what runs without windows, Services for the forms
// (FakeServices), so that both fakes record alike.
template <class Base> class FakeServicesOf : public Base {
public:
    struct Message {
        QString text;
        QString title; // as shown: the application's title when none was given
        MsgButtons buttons;
        bool hourglass; // whether the busy pointer was up while the box waited
    };

    QDate today() override { return clock.date(); }
    QDateTime now() override { return clock; }
    QLocale locale() override { return userLocale; }
    void endProgram(int status) override {
        ended = true;
        exitStatus = status;
    }

    // Answers for the next Yes/No questions, in order; Yes when the script has run out.
    std::deque<MsgAnswer> answers;
    // Called with each message as it is shown (after it is recorded), to act in between.
    std::function<void(const Message&)> onMessage;

    // Each progress window shown: its title, the stages of the work in order, how often the
    // work reported its progress, and whether it could still be stopped when it ended.
    struct ProgressShown {
        QString title;
        QStringList stages;
        int advances = 0;
        bool cancelDisallowed = false;
        bool closed = false;
    };
    QList<ProgressShown> progress;
    // The user presses Cancel as soon as a stage whose text contains this begins; empty: never.
    QString cancelInStage;
    // A progress window as the user would watch it, recorded in progress.
    std::unique_ptr<Progress> startProgress(const QString& title) {
        progress.append({title, {}, 0, false, false});
        return std::make_unique<Recorder>(*this, int(progress.size()) - 1);
    }

    QList<Message> messages;
    // Whether the hourglass is up, and how often it went up.
    bool hourglass = false;
    int busyCalls = 0;
    bool ended = false;
    int exitStatus = 0;
    QDateTime clock{QDate(2026, 12, 7), QTime(10, 30)};
    QLocale userLocale{QLocale::English, QLocale::UnitedStates};

protected:
    MsgAnswer showMessage(const QString& text, const QString& title, MsgButtons buttons) override {
        messages.append({text, title.isEmpty() ? applicationTitle() : title, buttons, hourglass});
        if (onMessage)
            onMessage(messages.constLast());
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return MsgAnswer::Yes;
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showBusyPointer(bool busy) override {
        if (busy)
            ++busyCalls;
        hourglass = busy;
    }

private:
    // Writes what the work reports into the record of its window.
    class Recorder final : public Progress {
    public:
        Recorder(FakeServicesOf& services, int index) : m_services(services), m_index(index) {}
        ~Recorder() override { shown().closed = true; }

        void setStage(const QString& text, qint64) override {
            shown().stages << text;
            if (m_cancelAllowed && !m_services.cancelInStage.isEmpty() &&
                text.contains(m_services.cancelInStage))
                m_cancelled = true;
        }
        bool advance(qint64) override {
            ++shown().advances;
            return !wasCancelled();
        }
        void disallowCancel() override {
            m_cancelAllowed = false;
            shown().cancelDisallowed = true;
        }
        bool wasCancelled() const override { return m_cancelAllowed && m_cancelled; }

    private:
        ProgressShown& shown() { return m_services.progress[m_index]; }

        FakeServicesOf& m_services;
        int m_index;
        bool m_cancelAllowed = true;
        bool m_cancelled = false;
    };
};

using FakeCoreServices = FakeServicesOf<CoreServices>;
