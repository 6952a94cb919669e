#include "gui/help/HelpWindow.h"

#include "gui/help/HelpContext.h"

#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The collection's namespace and folder, as tools/helpgen writes them into the project.
const QString Namespace = u"org.example.purvex"_s;
const QString Folder = u"help"_s;

} // namespace

HelpBrowser::HelpBrowser(QHelpEngine& engine, QWidget* parent)
    : QTextBrowser(parent), m_engine(engine) {
    setObjectName(u"browser"_s);
    // A link out of the help, to a web address, opens in the web browser.
    setOpenExternalLinks(true);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& url) {
    if (url.scheme() == u"qthelp"_s)
        return m_engine.fileData(url);
    return QTextBrowser::loadResource(type, url);
}

HelpWindow::HelpWindow(QHelpEngine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), m_engine(engine) {
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"Purvex Help"_s);
    // Open beside the program's windows, never in front of one it waits on.
    setAttribute(Qt::WA_DeleteOnClose, false);

    navigation = new QTabWidget(this);
    navigation->setObjectName(u"navigation"_s);
    navigation->addTab(m_engine.contentWidget(), tr("&Contents"));

    auto* indexPage = new QWidget(navigation);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexFilter = new QLineEdit(indexPage);
    indexFilter->setObjectName(u"indexFilter"_s);
    indexFilter->setPlaceholderText(tr("Type a word to look for"));
    indexFilter->setClearButtonEnabled(true);
    indexLayout->addWidget(indexFilter);
    indexLayout->addWidget(m_engine.indexWidget());
    navigation->addTab(indexPage, tr("&Index"));

    auto* searchPage = new QWidget(navigation);
    auto* searchLayout = new QVBoxLayout(searchPage);
    QHelpSearchEngine* search = m_engine.searchEngine();
    searchLayout->addWidget(search->queryWidget());
    searchLayout->addWidget(search->resultWidget(), 1);
    navigation->addTab(searchPage, tr("&Search"));

    browser = new HelpBrowser(m_engine, this);
    cmdBack = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), this);
    cmdBack->setObjectName(u"cmdBack"_s);
    cmdForward =
        new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"), this);
    cmdForward->setObjectName(u"cmdForward"_s);
    cmdContents = new QPushButton(tr("C&ontents"), this);
    cmdContents->setObjectName(u"cmdContents"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addWidget(cmdContents);
    buttons->addStretch();
    auto* pageSide = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(pageSide);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addLayout(buttons);
    pageLayout->addWidget(browser, 1);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(navigation);
    splitter->addWidget(pageSide);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);
    connect(cmdBack, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(cmdForward, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(cmdContents, &QPushButton::clicked, this,
            [this] { showPage(pageUrl(u"index.html"_s)); });
    connect(browser, &QTextBrowser::backwardAvailable, cmdBack, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, cmdForward, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

    connect(m_engine.contentWidget(), &QHelpContentWidget::linkActivated, this,
            &HelpWindow::showPage);
    connect(m_engine.contentModel(), &QHelpContentModel::contentsCreated, this,
            &HelpWindow::selectInContents);
    connect(m_engine.indexWidget(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& document) { showPage(document.url); });
    connect(m_engine.indexWidget(), &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents) {
                if (!documents.isEmpty())
                    showPage(documents.first().url);
            });
    connect(indexFilter, &QLineEdit::textChanged, m_engine.indexWidget(),
            [this](const QString& text) { m_engine.indexWidget()->filterIndices(text); });
    connect(indexFilter, &QLineEdit::returnPressed, m_engine.indexWidget(),
            &QHelpIndexWidget::activateCurrentItem);
    connect(search->queryWidget(), &QHelpSearchQueryWidget::search, this, &HelpWindow::searchNow);
    connect(search->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this,
            &HelpWindow::showPage);

    resize(900, 640);
}

HelpWindow::~HelpWindow() = default;

QUrl HelpWindow::pageUrl(const QString& page) {
    return QUrl(u"qthelp://%1/%2/%3"_s.arg(Namespace, Folder, page));
}

QUrl HelpWindow::topicUrl(int context) const {
    const QList<QHelpLink> topics = m_engine.documentsForIdentifier(u"context-%1"_s.arg(context));
    return topics.isEmpty() ? pageUrl(u"index.html"_s) : topics.first().url;
}

void HelpWindow::show(const HelpRequest& request) {
    switch (request.kind) {
    case HelpRequest::Kind::Contents:
        navigation->setCurrentIndex(0);
        showPage(pageUrl(u"index.html"_s));
        break;
    case HelpRequest::Kind::Search:
        navigation->setCurrentIndex(2);
        if (browser->source().isEmpty())
            showPage(pageUrl(u"index.html"_s));
        break;
    case HelpRequest::Kind::UsingHelp:
        showPage(pageUrl(u"using-help.html"_s));
        break;
    case HelpRequest::Kind::Topic:
        showPage(topicUrl(request.context));
        break;
    }
    QWidget::show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    if (request.kind == HelpRequest::Kind::Search)
        m_engine.searchEngine()->queryWidget()->setFocus(Qt::OtherFocusReason);
    else
        browser->setFocus(Qt::OtherFocusReason);
}

void HelpWindow::showPage(const QUrl& url) {
    if (browser->source() == url)
        browser->reload();
    else
        browser->setSource(url);
}

QUrl HelpWindow::currentPage() const {
    return browser->source();
}

QString HelpWindow::pageText() const {
    return browser->toPlainText();
}

void HelpWindow::searchNow() {
    QHelpSearchEngine* search = m_engine.searchEngine();
    search->search(search->queryWidget()->searchInput());
}

void HelpWindow::updateTitle() {
    const QString title = browser->documentTitle();
    setWindowTitle(title.isEmpty() ? u"Purvex Help"_s : title + u" - Purvex Help"_s);
    selectInContents();
}

void HelpWindow::selectInContents() {
    // The contents are read in the background; until they are, there is nothing to mark.
    QHelpContentWidget* contents = m_engine.contentWidget();
    const QModelIndex shown = contents->indexOf(browser->source());
    if (shown.isValid()) {
        contents->scrollTo(shown);
        contents->setCurrentIndex(shown);
    } else if (contents->model() && contents->model()->rowCount() > 0) {
        contents->expand(contents->model()->index(0, 0));
    }
}
