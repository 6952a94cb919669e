#include "gui/reports/BuiltInReports.h"

#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "reports/PrintBuiltInReport.h"
#include "reports/ReportSink.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "engine/Database.h"
#include "gui/app/Services.h"

#include <QWidget>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The output window's side of a report. The window is only made once there is something
// to show, so a report that finds nothing leaves no window behind, nor disturbs the one
// the user is reading.
class WindowSink : public ReportSink {
public:
    explicit WindowSink(std::function<frmOutput&()> window) : m_window(std::move(window)) {}

    void setRepeatHeader(const TableFormat& format, const QStringList& titles) override {
        out().setRepeatHeader(format, titles);
    }
    void startDoc() override { out().startDoc(); }
    void setHeader(const QString& text) override { out().setHeader(text); }
    void tableRow(const TableFormat& format, const QStringList& cells) override {
        out().tableRow(format, cells);
    }
    void paragraph() override { out().paragraph(); }
    void endDoc() override { out().endDoc(); }

    bool used() const { return m_out != nullptr; }
    frmOutput& out() {
        if (!m_out)
            m_out = &m_window();
        return *m_out;
    }

private:
    std::function<frmOutput&()> m_window;
    frmOutput* m_out = nullptr;
};

} // namespace

BuiltInReports::BuiltInReports(AppState& state, Services& services, QObject* parent)
    : QObject(parent), m_state(state), m_services(services) {}

BuiltInReports::~BuiltInReports() {
    // A window of its own form goes with that form; one without a form goes with us.
    if (m_output && !m_output->parent())
        delete m_output.data();
}

void BuiltInReports::runReport(BuiltInReport report) {
    const bool dateRange = report == BuiltInReport::AllOrders ||
                           report == BuiltInReport::AllRebates || report == BuiltInReport::AllSales;
    if (dateRange && !askForDates())
        return;
    print(report);
}

frmOutput* BuiltInReports::output() const {
    return m_output.data();
}

QWidget* BuiltInReports::parentWidget() const {
    return qobject_cast<QWidget*>(parent());
}

bool BuiltInReports::askForDates() {
    m_state.gCancel = true;
    {
        frmRptDate dialog(m_state, m_services, parentWidget());
        m_services.runModal(dialog);
    }
    return !m_state.gCancel;
}

frmOutput& BuiltInReports::outputWindow() {
    if (!m_output)
        m_output = new frmOutput(m_services, parentWidget());
    return *m_output;
}

void BuiltInReports::print(BuiltInReport report) {
    ErrorTrap trap(m_state, m_services);
    const ReportStep step = [&trap](const std::function<void()>& statement) {
        bool done = false;
        trap([&] {
            statement();
            done = true;
        });
        return done;
    };

    const ReportRequest request{report, m_state.gStartDate, m_state.gEndDate, m_services.today(),
                                m_services.locale()};
    Database* db = m_state.gDatabase.get();
    if (!db) {
        // Reached only when start-up failed to open the file and the program carried on.
        trap([] { throw EngineError(ErrorNumber::ObjectNotSet, u"Object variable not set"_s); });
        return;
    }

    // The hourglass goes back whatever happens on the way, a trapped error included, and
    // before the message that nothing matched.
    struct Busy {
        Services& services;
        bool on = true;
        explicit Busy(Services& s) : services(s) { services.setBusy(true); }
        ~Busy() { end(); }
        void end() {
            if (std::exchange(on, false))
                services.setBusy(false);
        }
    } busy(m_services);

    WindowSink sink([this]() -> frmOutput& { return outputWindow(); });
    const ReportOutcome outcome = printBuiltInReport(*db, request, sink, step);
    if (outcome == ReportOutcome::Printed)
        trap([&] { sink.out().showWindow(); });
    busy.end();
    if (outcome == ReportOutcome::NothingToReport)
        m_services.message(nothingToReportMessage(report), {}, MsgButtons::Ok);
}
