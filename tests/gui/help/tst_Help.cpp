// The help as the user reaches it: F1 on what has the focus or on the highlighted menu
// item, the Help menu and button, the help window on the compiled help, and the About box.
#include "core/Version.h"
#include "gui/help/HelpKey.h"
#include "gui/help/HelpViewer.h"
#include "gui/help/HelpWindow.h"
#include "gui/help/frmAbout.h"
#include "gui/orders/frmFind.h"
#include "gui/support/MainFormFixture.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString HelpFile = QStringLiteral(PVX_BINARY_DIR "/help/purvex.qch");

// Waits until the background reading of the help has filled in the page asked for.
void waitForPage(HelpWindow& window) {
    QTRY_VERIFY(!window.pageText().isEmpty());
}

} // namespace

class tst_Help : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        initFixture();
        load({{{u"descr"_s, u"Tent"_s},
               {u"Type"_s, 0},
               {u"status"_s, 0},
               {u"dateorder"_s, QDate(2026, 5, 1)}}});
        installHelpKey(qApp, services());
    }
    void cleanup() {
        delete qApp->findChild<QObject*>(u"HelpKey"_s, Qt::FindDirectChildrenOnly);
        cleanupFixture();
    }

    void f1OpensTheTopicOfTheFocus_data();
    void f1OpensTheTopicOfTheFocus();
    void f1OnAnOpenMenuOpensTheHighlightedItem_data();
    void f1OnAnOpenMenuOpensTheHighlightedItem();
    void helpMenuAndButton_data();
    void helpMenuAndButton();
    void everyNumberHasATopicOfItsOwn_data();
    void everyNumberHasATopicOfItsOwn();
    void helpWindowIsOneAndShowsWhatWasAsked();
    void missingHelpFileSaysWhereItLooked();
    void everyScreenshotHasBeenTaken();
    void aboutBoxLeavesTheFormUsable();
    void theIndexListsTheWordsUsersLookFor_data();
    void theIndexListsTheWordsUsersLookFor();
};

void tst_Help::f1OpensTheTopicOfTheFocus_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("topic");
    QTest::newRow("description box") << u"txtDescr"_s << 16;
    QTest::newRow("type list") << u"cmbType"_s << 2;
    QTest::newRow("amount box") << u"txtAmount"_s << 23;
    QTest::newRow("date field") << u"dcDateExpect"_s << 21;
    QTest::newRow("navigation button") << u"cmdLast"_s << 14;
    QTest::newRow("help button") << u"cmdHelp"_s << 48;
    QTest::newRow("find dialog's control: the dialog's topic") << u"frmFind"_s << 15;
}

void tst_Help::f1OpensTheTopicOfTheFocus() {
    QFETCH(QString, control);
    QFETCH(int, topic);
    QWidget* target = nullptr;
    std::unique_ptr<frmFind> find;
    if (control == u"frmFind"_s) {
        find = std::make_unique<frmFind>(state(), services(), form());
        find->show();
        target = find->txtName;
    } else {
        target = form()->findChild<QWidget*>(control);
        QVERIFY(target);
    }
    target->setFocus();
    settle();
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_F1);
    QCOMPARE(services().helpRequests.size(), 1);
    QCOMPARE(services().helpRequests.last(), (HelpRequest{HelpRequest::Kind::Topic, topic}));
    // F1 only asks for help: the record is untouched.
    QVERIFY(!form()->mDirty);
}

void tst_Help::f1OnAnOpenMenuOpensTheHighlightedItem_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("topic");
    QTest::newRow("File, Backup") << u"mnuBackup"_s << 33;
    QTest::newRow("File, Exit") << u"mnuExit"_s << 35;
    QTest::newRow("Reports, Overdue") << u"mnuRpt(5)"_s << 42;
    QTest::newRow("Help, About") << u"mnuAbout"_s << 49;
}

void tst_Help::f1OnAnOpenMenuOpensTheHighlightedItem() {
    QFETCH(QString, item);
    QFETCH(int, topic);
    auto* action = form()->findChild<QAction*>(item);
    QVERIFY(action);
    QMenu* menu = nullptr;
    for (QAction* entry : form()->menuBar()->actions())
        if (entry->menu() && entry->menu()->actions().contains(action))
            menu = entry->menu();
    QVERIFY(menu);
    menu->popup(form()->mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(menu->isVisible());
    menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_F1);
    menu->close();
    QCOMPARE(services().helpRequests.size(), 1);
    QCOMPARE(services().helpRequests.last(), (HelpRequest{HelpRequest::Kind::Topic, topic}));
}

void tst_Help::helpMenuAndButton_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("kind");
    QTest::newRow("Contents") << u"mnuHelp(1)"_s << int(HelpRequest::Kind::Contents);
    QTest::newRow("Search for Help on") << u"mnuHelp(2)"_s << int(HelpRequest::Kind::Search);
    QTest::newRow("Using Help") << u"mnuHelp(3)"_s << int(HelpRequest::Kind::UsingHelp);
    QTest::newRow("Help button") << u"cmdHelp"_s << int(HelpRequest::Kind::Contents);
}

void tst_Help::helpMenuAndButton() {
    QFETCH(QString, control);
    QFETCH(int, kind);
    if (auto* button = form()->findChild<QPushButton*>(control)) {
        click(button);
    } else {
        auto* action = form()->findChild<QAction*>(control);
        QVERIFY(action);
        action->trigger();
    }
    QCOMPARE(services().helpRequests.size(), 1);
    QCOMPARE(int(services().helpRequests.last().kind), kind);
    // Any other index of the Help menu does nothing.
    form()->mnuHelp_Click(4);
    QCOMPARE(services().helpRequests.size(), 1);
}

void tst_Help::everyNumberHasATopicOfItsOwn_data() {
    QTest::addColumn<int>("topic");
    QList<int> numbers{2, 8, 9, 10, 11};
    for (int n = 13; n <= 49; ++n)
        numbers << n;
    numbers << 51 << 66 << 68 << 70;
    for (int n : numbers)
        QTest::addRow("%d", n) << n;
}

void tst_Help::everyNumberHasATopicOfItsOwn() {
    QFETCH(int, topic);
    FakeServices messages;
    HelpViewer viewer(messages, {HelpFile});
    viewer.show({HelpRequest::Kind::Topic, topic});
    QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.messages.value(0).text));
    HelpWindow& window = *viewer.window();
    waitForPage(window);
    QVERIFY2(window.currentPage() != HelpWindow::pageUrl(u"index.html"_s),
             "no topic carries this number");
    const QString title = window.browser->documentTitle();
    QVERIFY(!title.isEmpty());
    QCOMPARE(window.windowTitle(), title + u" - Purvex Help"_s);
    // A topic says what the thing is for and how to use it, not just its name.
    QVERIFY2(window.pageText().size() > title.size() + 400, qPrintable(window.pageText()));
}

void tst_Help::helpWindowIsOneAndShowsWhatWasAsked() {
    FakeServices messages;
    HelpViewer viewer(messages, {HelpFile});
    viewer.show({HelpRequest::Kind::UsingHelp, 0});
    HelpWindow* window = viewer.window();
    QVERIFY(window && window->isVisible());
    QVERIFY(!window->isModal());
    QCOMPARE(window->currentPage(), HelpWindow::pageUrl(u"using-help.html"_s));
    waitForPage(*window);

    viewer.show({HelpRequest::Kind::Search, 0});
    QCOMPARE(viewer.window(), window);
    QTRY_VERIFY(QApplication::focusWidget() && window->isAncestorOf(QApplication::focusWidget()) &&
                QApplication::focusWidget() != window->browser);

    // The search box finds the topics that hold the word.
    auto* query = window->findChild<QHelpSearchQueryWidget*>();
    QVERIFY(query);
    query->setSearchInput(u"overdue"_s);
    QSignalSpy searched(window->engine().searchEngine(), &QHelpSearchEngine::searchingFinished);
    // The index may still be in the making the first time: the user would search again.
    const auto found = [&] {
        searched.clear();
        QTest::keyClick(query->findChild<QLineEdit*>(), Qt::Key_Return);
        return searched.wait(5000) && searched.first().first().toInt() >= 3;
    };
    QTRY_VERIFY_WITH_TIMEOUT(found(), 20000);

    viewer.show({HelpRequest::Kind::Contents, 0});
    QCOMPARE(viewer.window(), window);
    QCOMPARE(window->currentPage(), HelpWindow::pageUrl(u"index.html"_s));
    QTRY_VERIFY(window->pageText().contains(u"Entering an order"_s));
    QCOMPARE(window->windowTitle(), window->browser->documentTitle() + u" - Purvex Help"_s);

    // A link on the page leads to another topic, and Back returns.
    window->browser->setSource(window->topicUrl(16));
    QTRY_VERIFY(window->cmdBack->isEnabled());
    window->cmdBack->click();
    QCOMPARE(window->currentPage(), HelpWindow::pageUrl(u"index.html"_s));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Help::missingHelpFileSaysWhereItLooked() {
    FakeServices messages;
    const QString missing = dirPath() + u"/nowhere/purvex.qch"_s;
    HelpViewer viewer(messages, {missing});
    viewer.show({HelpRequest::Kind::Topic, 16});
    QVERIFY(!viewer.window());
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().title, u"Help Not Found"_s);
    QVERIFY(messages.messages.first().text.contains(QDir::toNativeSeparators(missing)));
    // Asking again says it again rather than failing quietly.
    viewer.show({HelpRequest::Kind::Contents, 0});
    QCOMPARE(messages.messages.size(), 2);
}

void tst_Help::everyScreenshotHasBeenTaken() {
    // The help builds without a screenshot not taken yet (they come from the built program);
    // once scripts/help-screenshots.sh has run, every picture a topic shows is there.
    const QDir help(QStringLiteral(PVX_SOURCE_DIR "/help"));
    const QRegularExpression image(uR"(!\[[^\]]*\]\(([^)\s]+)\))"_s);
    int pictures = 0;
    QDirIterator topics(help.path(), {u"*.md"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (topics.hasNext()) {
        const QString path = topics.next();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const auto& match : image.globalMatch(text)) {
            const QString picture = QFileInfo(path).dir().filePath(match.captured(1));
            QVERIFY2(QFileInfo(picture).isFile(),
                     qPrintable(help.relativeFilePath(path) + u": "_s + match.captured(1)));
            ++pictures;
        }
    }
    QVERIFY(pictures > 10);
}

void tst_Help::aboutBoxLeavesTheFormUsable() {
    form()->findChild<QAction*>(u"mnuAbout"_s)->trigger();
    frmAbout* about = form()->aboutBox();
    QVERIFY(about && about->isVisible());
    QTRY_VERIFY(about->isActiveWindow());
    QCOMPARE(about->windowTitle(), u"About Purvex"_s);
    QCOMPARE(about->Label1->text(), u"Purvex"_s);
    QCOMPARE(about->Label2->text(), u"Version "_s + QString::fromLatin1(Version::Text));
    // Addresses only where the build names them; no line is left empty between the others.
    QStringList lines;
    for (QLabel* line : {about->Label3, about->Label4, about->Label5, about->Label6, about->Label7,
                         about->Label8}) {
        if (line->isVisible())
            lines << line->text();
    }
    const QString home = QString::fromLatin1(Version::HomePage);
    const QString tracker = QString::fromLatin1(Version::IssueTracker);
    QCOMPARE(lines.size(), 4 + !home.isEmpty() + !tracker.isEmpty());
    QCOMPARE(lines.filter(u"Home page:"_s).size(), int(!home.isEmpty()));
    QCOMPARE(lines.filter(u"Report problems at"_s).size(), int(!tracker.isEmpty()));
    QVERIFY(lines.last().startsWith(u"Database: "_s));
    QVERIFY(lines.filter(u"example"_s).isEmpty());
    QVERIFY(!about->isModal());
    QVERIFY(!QApplication::activeModalWidget());

    // The form goes on working while the box is open: the user edits and saves a record.
    form()->activateWindow();
    QTRY_VERIFY(form()->isActiveWindow());
    form()->txtDescr->setFocus();
    QTest::keyClick(form()->txtDescr, Qt::Key_End);
    QTest::keyClicks(form()->txtDescr, u" poles"_s);
    click(form()->cmdUpdate);
    QCOMPARE(form()->txtDescr->text(), u"Tent poles"_s);
    QVERIFY2(services().messages.isEmpty(), qPrintable(services().messages.value(0).text));
    QVERIFY(!form()->mDirty);

    form()->findChild<QAction*>(u"mnuAbout"_s)->trigger();
    QCOMPARE(form()->aboutBox(), about);
    click(about->cmdOk);
    QTRY_VERIFY(!form()->aboutBox());
    QCOMPARE(fileRows(u"SELECT descr FROM pvx"_s).value(0).value(u"descr"_s).toString(),
             u"Tent poles"_s);
}

void tst_Help::theIndexListsTheWordsUsersLookFor_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("page"); // one of the pages it leads to
    QTest::newRow("drive") << u"drive"_s << u"topics/file-menu-backup.html"_s;
    QTest::newRow("backup file") << u"backup file"_s << u"topics/pack-database.html"_s;
    QTest::newRow("pvxdb.bak") << u"pvxdb.bak"_s << u"topics/pack-database.html"_s;
    QTest::newRow("keys of the output window") << u"keys"_s << u"topics/report-output.html"_s;
}

void tst_Help::theIndexListsTheWordsUsersLookFor() {
    QFETCH(QString, word);
    QFETCH(QString, page);
    FakeServices messages;
    HelpViewer viewer(messages, {HelpFile});
    viewer.show({HelpRequest::Kind::Contents, 0});
    QHelpEngine& engine = viewer.window()->engine();
    QStringList pages;
    for (const QHelpLink& link : engine.documentsForKeyword(word))
        pages << link.url.path();
    QVERIFY2(pages.contains(u"/help/"_s + page), qPrintable(pages.join(u", "_s)));

    // The program's names for its controls are not in it, nor one entry in two spellings.
    QHelpIndexModel& index = *engine.indexModel();
    QTRY_VERIFY(!index.isCreatingIndex() && index.rowCount() > 100);
    const QRegularExpression controlName(u"^((cmd|txt|cmb|dc|frm|mnu|chk|opt)[A-Z]|List\\d)"_s);
    QSet<QString> seen;
    for (const QString& entry : index.stringList()) {
        QVERIFY2(!controlName.match(entry).hasMatch(), qPrintable(entry));
        QVERIFY2(!seen.contains(entry.toLower()), qPrintable(entry));
        seen.insert(entry.toLower());
    }
}

QTEST_MAIN(tst_Help)
#include "tst_Help.moc"
