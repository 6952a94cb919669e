// The status line of the main form: what is overdue and what falls due soon, at a glance.

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/EngineError.h"
#include "engine/Schema.h"
#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"
#include "reports/DueItems.h"

#include <QLabel>
#include <QStatusBar>
#include <QTextDocumentFragment>

using namespace Qt::StringLiterals;

namespace {} // namespace

void frmMain::createStatusLine() {
    lblDue = new QLabel(this);
    lblDue->setObjectName(u"lblDue"_s);
    lblDue->setTextFormat(Qt::RichText);
    // A link for the mouse only: the form's Tab order stays as it is, and the keyboard has
    // the Reports menu's Overdue entry.
    lblDue->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    lblDue->setFocusPolicy(Qt::NoFocus);
    statusBar()->setObjectName(u"sbrStatus"_s);
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(lblDue, 1);
    setHelpContext(statusBar(), HelpTopic::StatusLine);
    setHelpContext(lblDue, HelpTopic::StatusLine);
    connect(lblDue, &QLabel::linkActivated, this,
            [this] { mnuRpt_Click(codeOf(BuiltInReport::Overdue)); });
}

void frmMain::addMissingIndexes() {
    // A file from an earlier release lacks the index the counts read. Building it takes a
    // moment once; a file that cannot take it is counted without, only more slowly.
    m_services.setBusy(true);
    try {
        Schema::addMissingIndexes(*m_state.gDatabase);
    } catch (const EngineError&) {
    }
    m_services.setBusy(false);
}

void frmMain::UpdateStatusLine() {
    if (!m_state.gDatabase || !m_state.gDatabase->isOpen())
        return;
    DueItems::Counts counts;
    try {
        counts = DueItems::count(*m_state.gDatabase, m_services.today());
    } catch (const EngineError&) {
        // The line is a reminder, not a command: when it cannot count, it says nothing
        // rather than something wrong, and the form goes on.
        lblDue->clear();
        return;
    }
    const QLocale locale = m_services.locale();
    QString text =
        counts.overdue == 0
            ? u"Nothing overdue"_s
            : u"<a href=\"overdue\">%1 overdue</a>"_s.arg(locale.toString(counts.overdue));
    if (counts.due > 0)
        text += u" \u00b7 %1 due within %2 days"_s.arg(locale.toString(counts.due),
                                                       locale.toString(DueItems::DefaultDays));
    // Which database is open, so that nobody takes the shared one for their own file.
    if (!m_state.gServer.isEmpty())
        text = m_state.gServer.toHtmlEscaped() + u" \u00b7 "_s + text;
    lblDue->setText(text);
    lblDue->setToolTip(counts.overdue == 0
                           ? QString()
                           : u"Click to see the overdue items in the Overdue report"_s);
}

QString frmMain::statusLineText() const {
    return QTextDocumentFragment::fromHtml(lblDue->text()).toPlainText();
}
