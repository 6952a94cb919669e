#include "gui/reports/frmOutput.h"

#include "gui/reports/FocusScrollBar.h"
#include "gui/reports/PagePreview.h"
#include "gui/reports/Printing.h"
#include "reports/PagePainter.h"

#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int DesignWidth = 8580;
constexpr int DesignHeight = 5715;

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QScrollBar* scrollBar(QWidget* parent, const QString& name, Qt::Orientation orientation,
                      int minimum, int maximum, int small, int large, int value) {
    auto* bar = new FocusScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(small);
    bar->setPageStep(large);
    bar->setValue(value);
    return bar;
}

} // namespace

frmOutput::frmOutput(Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_services(services) {
    setObjectName(u"frmOutput"_s);
    setWindowTitle(u"Report Output"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(this, HelpTopic::ReportOutput);

    m_document = new PageDocument(this);
    m_document->setPageSize(defaultPageSize(m_services.locale()));
    connect(m_document, &PageDocument::newPage, this, &frmOutput::vsPrinter_NewPage);
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setSingleShot(true);
    m_layoutTimer->setInterval(0);
    connect(m_layoutTimer, &QTimer::timeout, this, &frmOutput::layOutSlice);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    m_layout->setObjectName(u"elasticOutput"_s);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(m_layout);

    createControls();
    placeControls();

    connect(scrlPage, &QScrollBar::valueChanged, this, &frmOutput::scrlPage_Change);
    connect(scrlZoom, &QScrollBar::valueChanged, this, &frmOutput::scrlZoom_Change);
    connect(cmdPrint, &QPushButton::clicked, this, &frmOutput::cmdPrint_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmOutput::cmdOk_Click);
    connect(cmdSavePdf, &QPushButton::clicked, this, &frmOutput::cmdSavePdf_Click);
    createShortcuts();

    resize(m_layout->openingSize());
}

frmOutput::~frmOutput() = default;

void frmOutput::createControls() {
    vsViewPort1 = new QScrollArea(m_layout);
    vsViewPort1->setObjectName(u"vsViewPort1"_s);
    vsViewPort1->setBackgroundRole(QPalette::Dark);
    vsViewPort1->setAlignment(Qt::AlignCenter);
    vsViewPort1->setWidgetResizable(false);

    vsPrinter = new PagePreview(*m_document);
    vsPrinter->setObjectName(u"vsPrinter"_s);
    vsViewPort1->setWidget(vsPrinter);

    scrlPage = scrollBar(m_layout, u"scrlPage"_s, Qt::Vertical, 1, 1, 1, 2, 1);
    scrlZoom = scrollBar(m_layout, u"scrlZoom"_s, Qt::Horizontal, 10, 250, 10, 50, 60);
    vsPrinter->setZoom(scrlZoom->value());

    Picture1 = new QLabel(m_layout);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setAlignment(Qt::AlignCenter);
    const QIcon lens =
        QIcon::fromTheme(u"zoom-in"_s, style()->standardIcon(QStyle::SP_FileDialogContentsView));
    Picture1->setPixmap(lens.pixmap(24, 24));

    cmdPrint = button(m_layout, u"cmdPrint"_s, u"&Print"_s);
    cmdOk = button(m_layout, u"cmdOk"_s, u"&Ok"_s);
    // "&Print" already answers to Alt+P, and a shared mnemonic would only move the focus.
    cmdSavePdf = button(m_layout, u"cmdSavePdf"_s, u"Save as P&DF..."_s);
}

void frmOutput::placeControls() {
    // clang-format off
    ElasticLayout& l = *m_layout;
    l.place(vsViewPort1,  120,  120, 7695, 4815);
    l.place(scrlPage,    8040,  240,  255, 4695);
    l.place(Picture1,     360, 5160,  495,  495);
    l.place(scrlZoom,     960, 5280, 2655,  255);
    l.place(cmdSavePdf,  3690, 5160, 1170,  375);
    l.place(cmdPrint,    4920, 5160, 1335,  375);
    l.place(cmdOk,       6600, 5160, 1335,  375);
    // clang-format on
}

void frmOutput::createShortcuts() {
    // The keys work wherever the focus is in the window, on the bars as well, so that a page
    // key always means a page.
    const auto shortcut = [this](const QKeySequence& keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    shortcut(QKeySequence(Qt::Key_PageUp), [this] { showPage(scrlPage->value() - 1); });
    shortcut(QKeySequence(Qt::Key_PageDown), [this] { showPage(scrlPage->value() + 1); });
    for (const QKeySequence& first :
         {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Home)})
        shortcut(first, [this] { showPage(1); });
    for (const QKeySequence& last :
         {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)})
        shortcut(last, [this] {
            // The last page is known once the whole document is laid out.
            finishLayout();
            showPage(scrlPage->maximum());
        });
    // Ctrl+= as well: on many keyboards "+" needs Shift.
    for (const QKeySequence& in :
         {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        shortcut(in, [this] { zoomBy(1); });
    shortcut(QKeySequence::ZoomOut, [this] { zoomBy(-1); });
    shortcut(QKeySequence::Print, [this] { cmdPrint_Click(); });
    shortcut(QKeySequence(Qt::Key_Escape), [this] { cmdOk_Click(); });

    vsViewPort1->viewport()->installEventFilter(this);
    // Page, then zoom, then the buttons, as the window reads from right to left at the foot.
    setTabOrder(vsViewPort1, scrlPage);
    setTabOrder(scrlPage, scrlZoom);
    setTabOrder(scrlZoom, cmdSavePdf);
    setTabOrder(cmdSavePdf, cmdPrint);
    setTabOrder(cmdPrint, cmdOk);
}

void frmOutput::showPage(int number) {
    const int before = scrlPage->value();
    scrlPage->setValue(number);
    // A page turned to is read from its top.
    if (scrlPage->value() != before)
        vsViewPort1->verticalScrollBar()->setValue(vsViewPort1->verticalScrollBar()->minimum());
}

void frmOutput::zoomBy(int steps) {
    scrlZoom->setValue(scrlZoom->value() + steps * scrlZoom->singleStep());
}

bool frmOutput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == vsViewPort1->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // A notch of the wheel is 120; a touchpad sends less at a time.
            m_wheelZoom += wheel->angleDelta().y();
            const int steps = m_wheelZoom / 120;
            m_wheelZoom -= steps * 120;
            if (steps != 0)
                zoomBy(steps);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmOutput::setRepeatHeader(const TableFormat& format, const QStringList& titles) {
    m_repeatHeader = true;
    m_headerFormat = format;
    m_headerTitles = titles;
}

void frmOutput::clearRepeatHeader() {
    m_repeatHeader = false;
}

void frmOutput::startDoc(QPageLayout::Orientation orientation) {
    m_layoutTimer->stop();
    m_pending.clear();
    m_ending = false;
    m_docRepeatHeader = m_repeatHeader;
    m_docHeaderFormat = m_headerFormat;
    m_docHeaderTitles = m_headerTitles;
    m_document->setPageSize(defaultPageSize(m_services.locale()));
    m_document->setOrientation(orientation);
    m_document->start();
    // The paper may have turned; the page bar keeps its place.
    vsPrinter->refresh();
}

void frmOutput::setHeader(const QString& text) {
    m_document->setHeader(text);
    vsPrinter->update();
}

void frmOutput::setFooter(const QString& text) {
    m_document->setFooter(text);
    vsPrinter->update();
}

void frmOutput::queue(Output output) {
    // Output with no open document has nowhere to go, as on the page printer itself.
    if (m_document->isOpen() && !m_ending)
        m_pending.push_back(std::move(output));
}

void frmOutput::tableRow(const TableFormat& format, const QStringList& cells) {
    queue({Output::Table, format, cells, {}, false});
}

void frmOutput::table(const TableFormat& format, const QList<QStringList>& rows) {
    for (const QStringList& row : rows)
        tableRow(format, row);
}

void frmOutput::setBold(bool bold) {
    if (m_document->isOpen() && !m_ending) {
        queue({Output::Bold, {}, {}, {}, bold});
        return;
    }
    // Not to change the face of output printed before it and still waiting.
    finishLayout();
    m_document->setBold(bold);
}

void frmOutput::paragraph(const QString& text) {
    queue({Output::Paragraph, {}, {}, text, false});
}

template <class Done> void frmOutput::layOut(Done done) {
    while (!m_pending.empty() && !done()) {
        const Output output = std::move(m_pending.front());
        m_pending.pop_front();
        switch (output.kind) {
        case Output::Table:
            m_document->table(output.format, {output.cells});
            break;
        case Output::Paragraph:
            m_document->paragraph(output.text);
            break;
        case Output::Bold:
            m_document->setBold(output.bold);
            break;
        }
    }
    if (m_pending.empty() && m_ending) {
        m_ending = false;
        m_document->end();
    }
}

void frmOutput::finishLayout() {
    m_layoutTimer->stop();
    layOut([] { return false; });
    updatePageBar();
}

void frmOutput::layOutSlice() {
    // Short enough that the window answers the user meanwhile.
    constexpr qint64 SliceNs = 15'000'000;
    QElapsedTimer timer;
    timer.start();
    int done = 0;
    layOut([&] { return ++done % 16 == 0 && timer.nsecsElapsed() > SliceNs; });
    updatePageBar();
    if (layoutPending())
        m_layoutTimer->start();
}

void frmOutput::updatePageBar() {
    // The last page may still grow until the document ends.
    const int whole = m_document->pageCount() - (layoutPending() ? 1 : 0);
    scrlPage->setMaximum(std::max(1, whole));
}

void frmOutput::endDoc() {
    m_ending = m_document->isOpen();
    // The page the user is looking at is laid out before anything else is shown.
    const int shown = scrlPage->value();
    layOut([&] { return m_document->pageCount() > shown; });
    updatePageBar();
    vsPrinter->setPage(scrlPage->value());
    vsPrinter->refresh();
    if (layoutPending())
        m_layoutTimer->start();
}

int frmOutput::pageCount() {
    finishLayout();
    return m_document->pageCount();
}

PageDocument& frmOutput::document() {
    finishLayout();
    return *m_document;
}

void frmOutput::showWindow() {
    show();
    raise();
    activateWindow();
}

void frmOutput::scrlPage_Change() {
    vsPrinter->setPage(scrlPage->value());
}

void frmOutput::scrlZoom_Change() {
    vsPrinter->setZoom(scrlZoom->value());
}

void frmOutput::cmdPrint_Click() {
    finishLayout();
    if (m_document->pageCount() == 0)
        return;
    std::unique_ptr<QPrinter> printer = m_services.choosePrinter(this);
    if (!printer)
        return;
    m_services.setBusy(true);
    const bool printed = printDocument(*m_document, *printer);
    m_services.setBusy(false);
    if (!printed)
        m_services.message(u"The report could not be printed.  Check that the printer is "
                           u"ready, then try again."_s);
}

void frmOutput::cmdOk_Click() {
    close();
}

void frmOutput::cmdSavePdf_Click() {
    finishLayout();
    if (m_document->pageCount() == 0)
        return;
    const QString fileName =
        m_services.saveFileName(this, u"Save as PDF"_s, u"report.pdf"_s,
                                u"PDF Files (*.pdf);;All Files (*)"_s, OverwriteQuestion::ByDialog);
    if (fileName.isEmpty())
        return;
    m_services.setBusy(true);
    QString error;
    const bool written = writePdf(*m_document, fileName, &error);
    m_services.setBusy(false);
    if (!written)
        m_services.message(u"The report could not be saved as %1.  %2."_s.arg(
            QDir::toNativeSeparators(fileName), error));
}

void frmOutput::vsPrinter_NewPage(int) {
    if (!m_docRepeatHeader)
        return;
    // Whatever the report had set for its own rows holds again after the headings.
    const bool bold = m_document->bold();
    m_document->setBold(true);
    m_document->table(m_docHeaderFormat, {m_docHeaderTitles});
    m_document->setBold(bold);
}
