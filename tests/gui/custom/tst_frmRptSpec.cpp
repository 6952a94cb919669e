#include "gui/custom/frmRptSpec.h"

#include "gui/dates/DateField.h"
#include "gui/orders/frmMain.h"
#include "gui/reports/frmOutput.h"
#include "gui/support/MainFormFixture.h"
#include "reports/PageDocument.h"
#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString WidthMessage = u"You must enter a valid number for the column width"_s;
const QString NumberMessage = u"You must enter a number or leave this selection field blank"_s;
const QString DateMessage = u"You must enter a valid date or leave this selection field blank."_s;

QString textOf(QWidget* box) {
    if (auto* date = qobject_cast<DateField*>(box))
        return date->text();
    return static_cast<QLineEdit*>(box)->text();
}

QStringList texts(const QListWidget* list) {
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

void clickButton(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

} // namespace

// The custom report designer as the main form opens it, through its own widgets, on the
// program's catalogue in a real file.
class tst_frmRptSpec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void settingsSurviveATripBetweenTheLists_data();
    void settingsSurviveATripBetweenTheLists();
    void leavingAControlStoresOrRefusesIt_data();
    void leavingAControlStoresOrRefusesIt();
    void theKeyboardAloneComposesAReport();
    void theSortListsStandApartFromTheReport();
    void generateReachesEachTarget_data();
    void generateReachesEachTarget();
    void theMenuEntryBringsTheOpenDesignerForward();
    void aDesignerLeftOpenAcrossMaintenanceStopsCleanly_data();
    void aDesignerLeftOpenAcrossMaintenanceStopsCleanly();
    void generateUsesTheValueBeingTyped_data();
    void generateUsesTheValueBeingTyped();
    void columnsWiderThanThePageShowNothing_data();
    void columnsWiderThanThePageShowNothing();
    void aDamagedCatalogueKeepsTheUnsavedEdit_data();
    void aDamagedCatalogueKeepsTheUnsavedEdit();

private:
    // The main form on the fixture's orders, and the designer its menu entry opens.
    frmRptSpec* open(const QString& locale = u"en_US"_s);
    frmRptSpec* chooseCustomReports();
    FakeServices& services() const { return m_main->services(); }
    QString path(const QString& name) const { return QDir(m_main->dirPath()).filePath(name); }
    frmOutput* output() const { return m_main->form()->findChild<frmOutput*>(); }
    void clickItem(QListWidget* list, const QString& text);
    void add(const QString& desc);
    void typeInto(QWidget* box, const QString& text);
    // A text report read back, each line split at its tabs.
    static QList<QStringList> rowsOf(const QString& file);
    // Generates to a text file and reads it back.
    QList<QStringList> textReport();

    std::unique_ptr<MainFormFixture> m_main;
    QPointer<frmRptSpec> m_designer;
};

void tst_frmRptSpec::init() {
    m_main = std::make_unique<MainFormFixture>();
    m_main->initFixture();
}

void tst_frmRptSpec::cleanup() {
    delete m_designer.data();
    m_main->cleanupFixture();
    m_main.reset();
}

frmRptSpec* tst_frmRptSpec::open(const QString& locale) {
    m_main->load(custom::orders(), locale);
    return chooseCustomReports();
}

frmRptSpec* tst_frmRptSpec::chooseCustomReports() {
    m_main->form()->mnuRptCustom->trigger();
    MainFormFixture::settle();
    const QList<frmRptSpec*> open = m_main->form()->findChildren<frmRptSpec*>();
    m_designer = open.size() == 1 ? open.first() : nullptr;
    if (m_designer && !QTest::qWaitForWindowActive(m_designer))
        return nullptr;
    return m_designer;
}

void tst_frmRptSpec::clickItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->scrollToItem(found.first());
    const QPoint at = list->visualItemRect(found.first()).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    MainFormFixture::settle();
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    MainFormFixture::settle();
}

void tst_frmRptSpec::add(const QString& desc) {
    clickItem(m_designer->List1, desc);
    MainFormFixture::click(m_designer->cmdAdd);
}

void tst_frmRptSpec::typeInto(QWidget* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    MainFormFixture::settle();
    auto* date = qobject_cast<DateField*>(box);
    QWidget* editor = date ? date->lineEdit() : box;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
}

QList<QStringList> tst_frmRptSpec::textReport() {
    const QString file = path(u"report.txt"_s);
    QFile::remove(file);
    m_designer->optReportTo[1]->click();
    services().nextSaveFileName = file;
    MainFormFixture::click(m_designer->cmdGenerate);
    return rowsOf(file);
}

QList<QStringList> tst_frmRptSpec::rowsOf(const QString& file) {
    QString text = QString::fromUtf8(custom::readAll(file));
    if (text.endsWith(u"\r\n"))
        text.chop(2);
    QList<QStringList> rows;
    for (const QString& line : text.split(u"\r\n"_s))
        rows << line.split(u'\t');
    return rows;
}

void tst_frmRptSpec::settingsSurviveATripBetweenTheLists_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    // Control name and what is typed into it; "check" ticks a box or an option.
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("text") << u"Vendor"_s << 1
                          << QStringList{u"txtWidth"_s, u"1.75"_s, u"txtStarting"_s, u"Wid"_s};
    QTest::newRow("number") << u"Amount"_s << 2
                            << QStringList{u"txtLess"_s,  u"2000"_s,  u"txtGreater"_s, u"-10.5"_s,
                                           u"chkTotal"_s, u"check"_s, u"chkHide"_s,    u"check"_s};
    QTest::newRow("date") << u"Date Ordered"_s << 3
                          << QStringList{u"dcStartDate"_s, u"1/1/1999"_s, u"dcEndDate"_s,
                                         u"3/31/1999"_s};
    QTest::newRow("yes/no") << u"Fully Received"_s << 4 << QStringList{u"optFalse"_s, u"check"_s};
}

void tst_frmRptSpec::settingsSurviveATripBetweenTheLists() {
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QStringList, entries);
    frmRptSpec& d = *open();
    QVERIFY(!d.frame1->isVisible());
    const QStringList available = texts(d.List1);
    add(u"Description"_s);
    add(field);
    QCOMPARE(texts(d.List2), QStringList({u"Description"_s, field}));
    QCOMPARE(d.frame1->title(), u"Details For "_s + field);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(d.fraSel[i]->isVisible(), i + 1 == kind);

    for (int i = 0; i < entries.size(); i += 2) {
        auto* control = d.findChild<QWidget*>(entries.at(i));
        if (entries.at(i + 1) == u"check")
            clickButton(static_cast<QAbstractButton*>(control));
        else
            typeInto(control, entries.at(i + 1));
    }
    // Leaving by a click on another field stores the last entry too.
    clickItem(d.List2, u"Description"_s);
    QVERIFY(d.fraSel[0]->isVisible());
    clickItem(d.List2, field);
    MainFormFixture::click(d.cmdRemove);
    QVERIFY(!d.frame1->isVisible());
    // Back at its place among the available fields.
    QStringList expected = available;
    expected.removeOne(u"Description"_s);
    QCOMPARE(texts(d.List1), expected);
    // Nothing is selected now.
    MainFormFixture::click(d.cmdUp);
    MainFormFixture::click(d.cmdDown);
    QCOMPARE(services().messages.size(), 2);
    QCOMPARE(services().messages.at(0).text, u"You must select the field to move up in the list"_s);
    QCOMPARE(services().messages.at(1).text,
             u"You must select the field to move down in the list"_s);

    // Back in the report, and moved to the top, it still has what was set.
    add(field);
    MainFormFixture::click(d.cmdUp);
    MainFormFixture::click(d.cmdUp);
    QCOMPARE(texts(d.List2), QStringList({field, u"Description"_s}));
    for (int i = 0; i < entries.size(); i += 2) {
        auto* control = d.findChild<QWidget*>(entries.at(i));
        if (entries.at(i + 1) == u"check")
            QVERIFY(static_cast<QAbstractButton*>(control)->isChecked());
        else
            QCOMPARE(textOf(control), entries.at(i + 1));
    }
    // The first entry does not go up, and nobody is told.
    QCOMPARE(services().messages.size(), 2);
}

void tst_frmRptSpec::leavingAControlStoresOrRefusesIt_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("control");
    // Each is typed, then the box is left by a click on another field of the report.
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("kept");     // the user is kept with the field, in the refused box
    QTest::addColumn<QString>("shown"); // what the box shows when the field is shown again
    QTest::addColumn<bool>("hidden");
    const QString us = u"en_US"_s;
    const QString de = u"de_DE"_s;
    const QString amount = u"Amount"_s;
    const QString date = u"Date Ordered"_s;
    QTest::newRow("width 0 hides, a later width leaves it hidden")
        << us << amount << u"txtWidth"_s << QStringList{u"0"_s, u"3"_s} << QString() << false
        << u"3"_s << true;
    QTest::newRow("width no number keeps the width, the focus goes on")
        << us << amount << u"txtWidth"_s << QStringList{u"2"_s, u"two"_s} << WidthMessage << false
        << u"2"_s << false;
    QTest::newRow("negative width keeps the width")
        << us << amount << u"txtWidth"_s << QStringList{u"2"_s, u"-1"_s} << WidthMessage << false
        << u"2"_s << false;
    QTest::newRow("German width") << de << amount << u"txtWidth"_s << QStringList{u"1.000,5"_s}
                                  << QString() << false << u"1000,5"_s << false;
    QTest::newRow("bound no number") << us << amount << u"txtLess"_s << QStringList{u"12a"_s}
                                     << NumberMessage << true << u"12a"_s << false;
    QTest::newRow("German bound as typed")
        << de << amount << u"txtGreater"_s << QStringList{u"1.000,50"_s} << QString() << false
        << u"1.000,50"_s << false;
    QTest::newRow("date no date") << us << date << u"dcStartDate"_s << QStringList{u"2/30/1999"_s}
                                  << DateMessage << true << u"2/30/1999"_s << false;
    QTest::newRow("German date") << de << date << u"dcEndDate"_s << QStringList{u"31.3.1999"_s}
                                 << QString() << false << u"31.03.1999"_s << false;
}

void tst_frmRptSpec::leavingAControlStoresOrRefusesIt() {
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, control);
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(bool, kept);
    QFETCH(QString, shown);
    QFETCH(bool, hidden);
    frmRptSpec& d = *open(locale);
    add(u"Description"_s);
    add(field);
    auto* box = d.findChild<QWidget*>(control);
    for (const QString& text : typed) {
        clickItem(d.List2, field);
        typeInto(box, text);
        clickItem(d.List2, u"Description"_s);
    }
    QCOMPARE(services().messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(services().messages.first().text, message);
    QCOMPARE(box->hasFocus() || box->isAncestorOf(QApplication::focusWidget()), kept);
    if (kept) {
        QCOMPARE(d.List2->currentItem()->text(), field);
        QCOMPARE(textOf(box), typed.last());
        // A command is refused as well, once more with the message.
        MainFormFixture::click(d.cmdUp);
        QCOMPARE(texts(d.List2), QStringList({u"Description"_s, field}));
        QCOMPARE(services().messages.size(), 2);
        QCOMPARE(services().messages.last().text, message);
        const FieldSettings& settings = d.fieldSettings(d.curSpecId());
        QVERIFY(settings.LessThan.isEmpty() && settings.StartDate.isNull());
        return;
    }
    clickItem(d.List2, field);
    QCOMPARE(textOf(box), shown);
    QCOMPARE(d.chkHide->isChecked(), hidden);
}

void tst_frmRptSpec::theKeyboardAloneComposesAReport() {
    frmRptSpec& d = *open();
    QCOMPARE(QApplication::focusWidget(), d.List1);
    QCOMPARE(d.List1->currentRow(), 0);
    const std::array<QPushButton*, 4> arrows = {d.cmdAdd, d.cmdRemove, d.cmdUp, d.cmdDown};
    const QStringList tips = {u"Add"_s, u"Remove"_s, u"Move Up"_s, u"Move Down"_s};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(arrows[i]->toolTip(), tips.at(i));
        QVERIFY(arrows[i]->text().isEmpty() && !arrows[i]->icon().isNull());
    }

    // Enter adds the current field and the next becomes current; letters jump to a field.
    const QStringList first = {d.List1->item(0)->text(), d.List1->item(1)->text()};
    QTest::keyClick(d.List1, Qt::Key_Return);
    QTest::keyClick(d.List1, Qt::Key_Return);
    QTest::keyClicks(d.List1, u"Vend"_s);
    QTest::keyClick(d.List1, Qt::Key_Enter);
    QCOMPARE(texts(d.List2), first + QStringList{u"Vendor"_s});
    QVERIFY(d.fraSel[0]->isVisible());
    // Delete takes the current field out.
    d.List2->setFocus();
    QTest::keyClick(d.List2, Qt::Key_Delete);
    QCOMPARE(texts(d.List2), first);
    QVERIFY(!d.frame1->isVisible());

    // Choosing a file target hides the page layout; the screen shows it again as it was.
    d.Tab1->setCurrentIndex(1);
    clickButton(d.optOrient[1]);
    d.optReportTo[0]->setFocus();
    QTest::keyClick(d.optReportTo[0], Qt::Key_Down);
    QVERIFY(d.optReportTo[1]->isChecked());
    QVERIFY(!d.fraOrient->isVisible() && !d.fraFormat->isVisible());
    QTest::keyClick(d.optReportTo[1], Qt::Key_Up);
    QVERIFY(d.fraOrient->isVisible() && d.optOrient[1]->isChecked());
    QTest::keyClick(d.optReportTo[0], Qt::Key_Down);

    // Alt+G generates; the designer stays as it was.
    services().nextSaveFileName = path(u"keys.txt"_s);
    QTest::keyClick(&d, Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(path(u"keys.txt"_s)));
    QCOMPARE(texts(d.List2), first);
    QVERIFY(d.isVisible());
}

void tst_frmRptSpec::theSortListsStandApartFromTheReport() {
    frmRptSpec& d = *open();
    add(u"Description"_s);
    const QList<QStringList> unsorted = textReport();
    // Amount is not in the report; no amount sorts first. "(none)" takes a sort back.
    const QList<QStringList> sorts = {
        {u"Amount"_s, u"(none)"_s}, {u"(none)"_s, u"Amount"_s}, {u"(none)"_s, u"(none)"_s}};
    const QStringList byAmount = {u"a_b [x] *star"_s, u"50% off"_s, u"Widget it's"_s, u"ab"_s,
                                  u"Émile <script>alert(1)</script> & \"q\""_s};
    for (const QStringList& sort : sorts) {
        d.Tab1->setCurrentIndex(2);
        for (QComboBox* list : {d.cmbSort1, d.cmbSort2}) {
            // Typing a field's first letters picks it; Home goes back to "(none)".
            list->setFocus();
            const QString choice = sort.at(list == d.cmbSort1 ? 0 : 1);
            if (choice == u"(none)")
                QTest::keyClick(list, Qt::Key_Home);
            else
                QTest::keyClicks(list, choice);
            QCOMPARE(list->currentText(), choice);
        }
        const QList<QStringList> rows = textReport();
        QStringList column;
        for (const QStringList& row : rows)
            column << row.value(0);
        if (sort.contains(u"Amount"_s))
            QCOMPARE(column, byAmount);
        else
            QCOMPARE(rows, unsorted);
    }
    QCOMPARE(texts(d.List2), QStringList{u"Description"_s});
}

void tst_frmRptSpec::generateReachesEachTarget_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<MsgAnswer>("replace");
    QTest::addColumn<QString>("fileName"); // empty: the dialog is cancelled
    QTest::addColumn<QString>("message");
    const QString replace = u"That file already exists.  Do you wish to replace it?"_s;
    QTest::newRow("screen") << 1 << false << MsgAnswer::Yes << QString() << QString();
    QTest::newRow("text replaces") << 2 << true << MsgAnswer::Yes << u"out.txt"_s << replace;
    QTest::newRow("html") << 3 << false << MsgAnswer::Yes << u"out.htm"_s << QString();
    QTest::newRow("html kept") << 3 << true << MsgAnswer::No << u"out.htm"_s << replace;
    QTest::newRow("dialog cancelled") << 2 << false << MsgAnswer::Yes << QString() << QString();
    QTest::newRow("no fields") << 1 << false << MsgAnswer::Yes << QString()
                               << u"You have not selected any fields to include in the report"_s;
}

void tst_frmRptSpec::generateReachesEachTarget() {
    QFETCH(int, target);
    QFETCH(bool, existing);
    QFETCH(MsgAnswer, replace);
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    frmRptSpec& d = *open();
    const bool fields = !message.startsWith(u"You have not");
    if (fields) {
        add(u"Description"_s);
        add(u"Amount"_s);
        clickButton(d.chkTotal);
        typeInto(d.txtGreater, u"5"_s);
    }
    d.Tab1->setCurrentIndex(1);
    d.optReportTo[target - 1]->click();
    d.txtTitle->setText(u"Big <b>ones</b>"_s);
    const QString file = fileName.isEmpty() ? QString() : path(fileName);
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    services().nextSaveFileName = file;
    services().answers = {replace};
    MainFormFixture::click(d.cmdGenerate);

    QCOMPARE(services().messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(services().messages.first().text, message);
    QVERIFY(!services().hourglass);
    QVERIFY(d.isVisible());
    QCOMPARE(d.List2->count(), fields ? 2 : 0);
    if (target > 1) {
        const FakeServices::SaveDialog& dialog = services().saveRequests.value(0);
        QCOMPARE(dialog.defaultName, target == 3 ? u"pvx.htm"_s : u"pvx.txt"_s);
        QCOMPARE(dialog.filter, target == 3 ? u"Html Files (*.htm);;All Files (*)"_s
                                            : u"Text Files (*.txt);;All Files (*)"_s);
        // The program asks about replacing in its own words, so the dialog must not.
        QCOMPARE(dialog.overwrite, OverwriteQuestion::ByCaller);
    }
    if (!fields || (target > 1 && file.isEmpty()) || replace == MsgAnswer::No) {
        QVERIFY(!output());
        QCOMPARE(custom::readAll(file), existing ? QByteArray("old") : QByteArray());
        return;
    }

    // Amounts above 5: Widget, ab and Émile, with the total of the three.
    const QMap<QString, QString> amounts = {
        {u"Widget it's"_s, u"$10.10"_s},
        {u"Émile <script>alert(1)</script> & \"q\""_s, u"$1,000.00"_s},
        {u"ab"_s, u"$999.99"_s}};
    const QString total = u"$2,010.09"_s;
    QMap<QString, QString> found;
    if (target == 1) {
        QVERIFY(output() && output()->isVisible());
        const PageDocument& document = output()->document();
        QCOMPARE(document.header(), u"12/7/2026|Big <b>ones</b>|"_s);
        const QList<PageLine>& lines = document.page(1).lines;
        QCOMPARE(lines.size(), 5);
        for (int i = 1; i < 4; ++i)
            found.insert(lines.at(i).cells.at(0).text, lines.at(i).cells.at(1).text);
        QCOMPARE(lines.at(4).cells.at(1).text, total);
    } else if (target == 2) {
        const QList<QStringList> rows = rowsOf(file);
        QCOMPARE(rows.size(), 4);
        for (int i = 0; i < 3; ++i)
            found.insert(rows.at(i).at(0), rows.at(i).at(1));
        QCOMPARE(rows.at(3), QStringList({QString(), total}));
    } else {
        const auto page = custom::parseHtml(file);
        QVERIFY(page);
        QCOMPARE(page->title, u"Big <b>ones</b>"_s);
        QVERIFY(!page->hasScript);
        QCOMPARE(page->rows.size(), 6);
        QCOMPARE(custom::texts(page->rows.at(1)), QStringList({u"Description"_s, u"Amount"_s}));
        for (int i = 2; i < 5; ++i)
            found.insert(page->rows.at(i).at(0).text, page->rows.at(i).at(1).text);
        QCOMPARE(page->rows.at(5).at(1).text, total);
    }
    QCOMPARE(found, amounts);
}

void tst_frmRptSpec::theMenuEntryBringsTheOpenDesignerForward() {
    frmRptSpec* designer = open();
    QVERIFY(designer && designer->isVisible() && !designer->isModal());
    QCOMPARE(designer->windowTitle(), u"Custom Report"_s);
    add(u"Description"_s);
    typeInto(designer->txtStarting, u"W"_s);

    // The main form stays usable meanwhile, and the menu entry finds the designer as it is.
    m_main->form()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main->form()));
    QCOMPARE(chooseCustomReports(), designer);
    QTRY_COMPARE(QApplication::activeWindow(), designer);
    QCOMPARE(texts(designer->List2), QStringList{u"Description"_s});
    QCOMPARE(designer->txtStarting->text(), u"W"_s);

    // Every report, custom or built in, goes to the one output window while it is open.
    MainFormFixture::click(designer->cmdGenerate);
    QPointer<frmOutput> window = output();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->document().page(1).lines.value(1).cells.value(0).text, u"Widget it's"_s);
    designer->activateWindow();
    typeInto(designer->txtStarting, u"a_"_s);
    MainFormFixture::click(designer->cmdGenerate);
    QCOMPARE(window->document().page(1).lines.value(1).cells.value(0).text, u"a_b [x] *star"_s);
    m_main->form()->mnuRpt[3]->trigger();
    QCOMPARE(m_main->form()->findChildren<frmOutput*>(), QList<frmOutput*>{window.data()});

    // Cancelled, it is gone with its report; the next one starts afresh.
    MainFormFixture::click(designer->cmdCancel);
    QTRY_VERIFY(!m_designer);
    QVERIFY(chooseCustomReports());
    QCOMPARE(m_designer->List2->count(), 0);
    QVERIFY(services().messages.isEmpty());
}

void tst_frmRptSpec::aDesignerLeftOpenAcrossMaintenanceStopsCleanly_data() {
    QTest::addColumn<bool>("generate");
    QTest::newRow("adding a field") << false;
    QTest::newRow("generating") << true;
}

void tst_frmRptSpec::aDesignerLeftOpenAcrossMaintenanceStopsCleanly() {
    QFETCH(bool, generate);
    frmRptSpec* designer = open();
    if (generate)
        add(u"Description"_s);
    // A backup closes the database and loads the main form again on a new one.
    AppState& state = m_main->state();
    state.gMaintenance = true;
    m_main->form()->Form_Unload();
    m_main->form()->Form_Load();
    state.gMaintenance = false;
    QVERIFY(state.gDatabase && state.gDatabase->isOpen());

    if (generate) {
        designer->optReportTo[1]->setChecked(true);
        services().nextSaveFileName = path(u"late.txt"_s);
        MainFormFixture::click(designer->cmdGenerate);
    } else {
        add(u"Vendor"_s);
    }
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.first().text,
             u"An error has occurred.  You may have forgotten to close a window before packing or "
             u"backing up the program's database.  Please rerun the program."_s);
    QVERIFY(services().ended);
    QVERIFY(!QFile::exists(path(u"late.txt"_s)));
}

void tst_frmRptSpec::generateUsesTheValueBeingTyped_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("control");
    // Typed into the box, or "space" to press Space on it; Alt+G follows at once.
    QTest::addColumn<QString>("entry");
    // The first column of the text file, the totals line included; empty when none is made.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("message");
    const QString amount = u"Amount"_s;
    const QStringList all = {u"Widget it's"_s, u"50% off"_s, u"a_b [x] *star"_s,
                             u"Émile <script>alert(1)</script> & \"q\""_s, u"ab"_s};
    QTest::newRow("greater than") << amount << u"txtGreater"_s << u"500"_s
                                  << QStringList{u"Émile <script>alert(1)</script> & \"q\""_s,
                                                 u"ab"_s}
                                  << QString();
    QTest::newRow("show total") << amount << u"chkTotal"_s << u"space"_s
                                << all + QStringList{QString()} << QString();
    QTest::newRow("starts with") << u"Notes"_s << u"txtStarting"_s << u"LINE"_s
                                 << QStringList{u"Widget it's"_s} << QString();
    QTest::newRow("start date") << u"Date Ordered"_s << u"dcStartDate"_s << u"3/31/1999"_s
                                << QStringList{u"50% off"_s, u"ab"_s} << QString();
    QTest::newRow("true") << u"Fully Received"_s << u"optTrue"_s << u"space"_s
                          << QStringList{u"Widget it's"_s} << QString();
    QTest::newRow("bound no number: refused, nothing made")
        << amount << u"txtLess"_s << u"12a"_s << QStringList() << NumberMessage;
}

void tst_frmRptSpec::generateUsesTheValueBeingTyped() {
    QFETCH(QString, field);
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QStringList, rows);
    QFETCH(QString, message);
    frmRptSpec& d = *open();
    add(u"Description"_s);
    add(field);
    d.Tab1->setCurrentIndex(1);
    d.optReportTo[1]->click();
    d.Tab1->setCurrentIndex(0);
    auto* box = d.findChild<QWidget*>(control);
    if (entry == u"space") {
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_Space);
    } else {
        typeInto(box, entry);
    }
    const QString file = path(u"typed.txt"_s);
    services().nextSaveFileName = file;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(file) || !services().messages.isEmpty());

    QCOMPARE(services().messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(services().messages.first().text, message);
        QVERIFY(!QFile::exists(file));
        if (message == NumberMessage)
            QTRY_VERIFY(box->hasFocus());
        return;
    }
    QStringList first;
    for (const QStringList& row : rowsOf(file))
        first << row.value(0);
    QCOMPARE(first, rows);
}

void tst_frmRptSpec::columnsWiderThanThePageShowNothing_data() {
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("message");
    QTest::newRow("portrait: refused")
        << false
        << u"Notes and Phone do not fit across the page: the report's columns need 9.70 inches, "
           u"and a portrait page has room for 7.50 inches.  Turn the page to landscape, make "
           u"columns narrower or hide fields."_s;
    QTest::newRow("landscape: every column printed") << true << QString();
}

void tst_frmRptSpec::columnsWiderThanThePageShowNothing() {
    QFETCH(bool, landscape);
    QFETCH(QString, message);
    frmRptSpec& d = *open();
    // 2.5 + 3 + 3 + 1.2 inches across.
    for (const QString& field : {u"Description"_s, u"Items"_s, u"Notes"_s, u"Phone"_s})
        add(field);
    d.Tab1->setCurrentIndex(1);
    clickButton(d.optOrient[landscape ? 1 : 0]);
    // What the user types is printed as typed.
    typeInto(d.txtTitle, u"Costs | 100%d & <b>"_s);
    MainFormFixture::click(d.cmdGenerate);

    if (!message.isEmpty()) {
        QCOMPARE(services().messages.size(), 1);
        QCOMPARE(services().messages.first().text, message);
        QVERIFY(!output());
        QVERIFY(d.isVisible());
        QCOMPARE(texts(d.List2),
                 QStringList({u"Description"_s, u"Items"_s, u"Notes"_s, u"Phone"_s}));
        QVERIFY(d.optOrient[0]->isChecked());
        return;
    }
    QVERIFY(services().messages.isEmpty());
    QVERIFY(output() && output()->isVisible());
    services().printerPdfPath = path(u"printed.pdf"_s);
    MainFormFixture::click(output()->cmdPrint);
    const QStringList pages = pdf::pages(path(u"printed.pdf"_s));
    QVERIFY(!pages.isEmpty());
    const QStringList lines = pdf::textLines(pages.first());
    QCOMPARE(lines.value(0).simplified(), u"12/7/2026 Costs | 100%d & <b>"_s);
    QCOMPARE(lines.value(1).simplified(), u"Description Items Notes Phone"_s);
}

void tst_frmRptSpec::aDamagedCatalogueKeepsTheUnsavedEdit_data() {
    QTest::addColumn<QString>("damage");
    // The report's fields; none when the designer does not open.
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message"); // how it begins
    const QString end = u"  Custom reports cannot be made until the catalogue is put right."_s;
    QTest::newRow("no rows") << u"DELETE FROM RptSpec"_s << QStringList()
                             << u"The report catalogue RptSpec holds no report fields."_s + end;
    QTest::newRow("SpecID beyond the rows")
        << u"UPDATE RptSpec SET SpecID = 99 WHERE \"Desc\" = 'Vendor'"_s << QStringList()
        << u"The report catalogue RptSpec has a row \"Vendor\" (SpecID 99), but the numbers must "
           u"run from 1 to 24, the number of rows."_s +
               end;
    QTest::newRow("datatype 0")
        << u"UPDATE RptSpec SET datatype = 0 WHERE \"Desc\" = 'Notes'"_s << QStringList()
        << u"The report catalogue RptSpec has a row \"Notes\" (SpecID 18) with datatype 0; it "
           u"must be 1 (text), 2 (number), 3 (date) or 4 (yes/no)."_s +
               end;
    QTest::newRow("no catalogue") << u"DROP TABLE RptSpec"_s << QStringList()
                                  << u"3078  The database engine cannot find the input table or "
                                     u"query 'RptSpec'."_s;
    QTest::newRow("a table the file lacks")
        << u"UPDATE RptSpec SET filename = 'Colours' WHERE \"Desc\" = 'Type'"_s
        << QStringList{u"Vendor"_s, u"Type"_s}
        << u"3078  The database engine cannot find the input table or query 'Colours'."_s;
    QTest::newRow("a column the file lacks")
        << u"UPDATE RptSpec SET fieldname = 'colour' WHERE \"Desc\" = 'Vendor'"_s
        << QStringList{u"Vendor"_s} << u"3265  Item 'colour' not found in this collection."_s;
    QTest::newRow("a column two joined tables have")
        << u"ALTER TABLE TypeNames ADD COLUMN notes TEXT"_s << QStringList{u"Notes"_s, u"Type"_s}
        << u"3146  Database engine failure: ambiguous column name: notes"_s;
}

void tst_frmRptSpec::aDamagedCatalogueKeepsTheUnsavedEdit() {
    QFETCH(QString, damage);
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    m_main->load(custom::orders());
    frmMain& form = *m_main->form();
    const QString edited = form.txtDescr->text() + u" kept"_s;
    form.txtDescr->setFocus();
    QTest::keyClick(form.txtDescr, Qt::Key_End);
    QTest::keyClicks(form.txtDescr, u" kept"_s);
    QVERIFY(form.mDirty);
    m_main->state().gDatabase->execute(damage);

    frmRptSpec* designer = chooseCustomReports();
    QCOMPARE(bool(designer), !fields.isEmpty());
    if (designer) {
        for (const QString& field : fields)
            add(field);
        designer->Tab1->setCurrentIndex(1);
        designer->optReportTo[1]->click();
        services().nextSaveFileName = path(u"damaged.txt"_s);
        MainFormFixture::click(designer->cmdGenerate);
        QVERIFY(designer->isVisible());
        QCOMPARE(texts(designer->List2), fields);
    }
    QCOMPARE(services().messages.size(), 1);
    QVERIFY2(services().messages.first().text.startsWith(message),
             qPrintable(services().messages.first().text));
    QVERIFY(!QFile::exists(path(u"damaged.txt"_s)));

    // The program goes on with the edit as it was, and Update saves it.
    QVERIFY(!services().ended);
    QVERIFY(form.isVisible() && form.mDirty);
    QCOMPARE(form.txtDescr->text(), edited);
    form.activateWindow();
    MainFormFixture::click(form.cmdUpdate);
    QCOMPARE(services().messages.size(), 1);
    delete m_designer.data();
    QVERIFY(
        m_main->fileRows(u"SELECT descr FROM pvx"_s).contains(QVariantMap{{u"descr"_s, edited}}));
}

QTEST_MAIN(tst_frmRptSpec)
#include "tst_frmRptSpec.moc"
