#include "frmRptSpec.h"

#include "AppState.h"
#include "Database.h"
#include "DateField.h"
#include "PageDocument.h"
#include "frmMain.h"
#include "frmOutput.h"
#include "support/CustomFixture.h"
#include "support/MainFormFixture.h"

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

// The custom report designer through its own widgets, on a real catalogue in a real file:
// the fields between the lists, the details stored on leaving a control, the report
// generated to each target, and the designer as the main form opens it.
class tst_frmRptSpec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void settingsSurviveATripBetweenTheLists_data();
    void settingsSurviveATripBetweenTheLists();
    void theWidthIsStoredOnLeaving_data();
    void theWidthIsStoredOnLeaving();
    void aRefusedEntryKeepsTheUserInItsBox_data();
    void aRefusedEntryKeepsTheUserInItsBox();
    void upAndDown_data();
    void upAndDown();
    void theKeyboardAloneComposesAReport();
    void fileTargetsHideTheLayoutFrames();
    void theSortListsStandApartFromTheReport_data();
    void theSortListsStandApartFromTheReport();
    void generateReachesEachTarget_data();
    void generateReachesEachTarget();
    void theOutputWindowIsReusedWhileOpen();
    void catalogueFaultsKeepTheDesignerClosed_data();
    void catalogueFaultsKeepTheDesignerClosed();
    void theMenuEntryBringsTheOpenDesignerForward();
    void aDesignerLeftOpenAcrossMaintenanceStopsCleanly_data();
    void aDesignerLeftOpenAcrossMaintenanceStopsCleanly();

private:
    void open(const QString& locale = u"en_US"_s);
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QListWidgetItem* item(QListWidget* list, const QString& text) const;
    void clickItem(QListWidget* list, const QString& text);
    void add(const QString& desc);
    void typeInto(QWidget* box, const QString& text);
    void tab();
    QStringList texts(QListWidget* list) const;
    // The report as a text file, each line split at its tabs.
    QList<QStringList> textReport();
    // The main form on the standard catalogue, and the designer its menu entry opens.
    void loadMainForm();
    frmRptSpec* chooseCustomReports();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    QPointer<frmRptSpec> m_designer;
    QPointer<frmOutput> m_output;
    int m_outputsMade = 0;
    std::unique_ptr<MainFormFixture> m_main;
};

void tst_frmRptSpec::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
    m_outputsMade = 0;
}

void tst_frmRptSpec::cleanup() {
    delete m_output.data();
    delete m_designer.data();
    if (m_main) {
        m_main->cleanupFixture();
        m_main.reset();
    }
    m_state.reset();
    m_services.reset();
    m_dir.reset();
}

void tst_frmRptSpec::open(const QString& locale) {
    m_services->userLocale = QLocale(locale);
    m_state->gDatabase = Database::open(custom::createDatabase(m_dir->path()), true);
    m_designer = new frmRptSpec(*m_state, *m_services, [this]() -> frmOutput& {
        if (!m_output) {
            m_output = new frmOutput(*m_services);
            ++m_outputsMade;
        }
        return *m_output;
    });
    QVERIFY(m_designer->Form_Load());
    m_designer->show();
    QVERIFY(QTest::qWaitForWindowActive(m_designer));
}

QListWidgetItem* tst_frmRptSpec::item(QListWidget* list, const QString& text) const {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void tst_frmRptSpec::clickItem(QListWidget* list, const QString& text) {
    QListWidgetItem* entry = item(list, text);
    QVERIFY2(entry, qPrintable(text));
    list->scrollToItem(entry);
    const QPoint at = list->visualItemRect(entry).center();
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
    QWidget* editor = box;
    if (auto* field = qobject_cast<DateField*>(box))
        editor = field->lineEdit();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
}

void tst_frmRptSpec::tab() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    MainFormFixture::settle();
}

QStringList tst_frmRptSpec::texts(QListWidget* list) const {
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

QList<QStringList> tst_frmRptSpec::textReport() {
    const QString file = path(u"report.txt"_s);
    QFile::remove(file);
    m_designer->optReportTo[1]->click();
    m_services->nextSaveFileName = file;
    MainFormFixture::click(m_designer->cmdGenerate);
    QList<QStringList> rows;
    const QString text = QString::fromUtf8(custom::readAll(file));
    if (!text.endsWith(u"\r\n")) {
        QTest::qFail("no text report was written", __FILE__, __LINE__);
        return rows;
    }
    for (const QString& line : text.chopped(2).split(u"\r\n"_s))
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
    open();
    frmRptSpec& d = *m_designer;
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
        QVERIFY2(control, qPrintable(entries.at(i)));
        if (entries.at(i + 1) == u"check")
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
        else
            typeInto(control, entries.at(i + 1));
    }
    // Leaving by a click on another field stores the last entry too.
    clickItem(d.List2, u"Description"_s);
    QCOMPARE(d.curSpecId(), d.definition().catalogue.findByDesc(u"Description"_s)->specId);
    QVERIFY(d.fraSel[0]->isVisible());
    clickItem(d.List2, field);
    MainFormFixture::click(d.cmdRemove);
    QVERIFY(!d.frame1->isVisible());
    QCOMPARE(d.List2->selectedItems().size(), 0);
    // Back at its place among the available fields.
    QStringList expected = available;
    expected.removeOne(u"Description"_s);
    QCOMPARE(texts(d.List1), expected);

    add(field);
    QCOMPARE(d.List2->selectedItems().first()->text(), field);
    for (int i = 0; i < entries.size(); i += 2) {
        auto* control = d.findChild<QWidget*>(entries.at(i));
        if (entries.at(i + 1) == u"check") {
            QVERIFY2(static_cast<QAbstractButton*>(control)->isChecked(),
                     qPrintable(entries.at(i)));
        } else if (auto* date = qobject_cast<DateField*>(control)) {
            QCOMPARE(date->text(), entries.at(i + 1));
        } else {
            QCOMPARE(static_cast<QLineEdit*>(control)->text(), entries.at(i + 1));
        }
    }
    QVERIFY(m_services->messages.isEmpty());
}

void tst_frmRptSpec::theWidthIsStoredOnLeaving_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("messages");
    QTest::newRow("zero hides, a later width keeps it hidden")
        << u"en_US"_s << QStringList{u"0"_s, u"3"_s} << 3.0 << true << 0;
    QTest::newRow("no number keeps the width")
        << u"en_US"_s << QStringList{u"2"_s, u"two"_s} << 2.0 << false << 1;
    QTest::newRow("blank is no number") << u"en_US"_s << QStringList{u""_s} << 1.0 << false << 1;
    QTest::newRow("German decimal comma")
        << u"de_DE"_s << QStringList{u"2,5"_s} << 2.5 << false << 0;
    QTest::newRow("a German point groups")
        << u"de_DE"_s << QStringList{u"1.000"_s} << 1000.0 << false << 0;
    QTest::newRow("negative") << u"en_US"_s << QStringList{u"-1"_s} << -1.0 << false << 0;
}

void tst_frmRptSpec::theWidthIsStoredOnLeaving() {
    QFETCH(QString, locale);
    QFETCH(QStringList, typed);
    QFETCH(double, width);
    QFETCH(bool, hidden);
    QFETCH(int, messages);
    open(locale);
    frmRptSpec& d = *m_designer;
    add(u"Amount"_s);
    const int amount = d.curSpecId();
    QCOMPARE(d.txtWidth->text(), u"1"_s);
    for (const QString& text : typed) {
        typeInto(d.txtWidth, text);
        tab();
        // The focus goes on to "Hide Field" even when the width was refused.
        QCOMPARE(QApplication::focusWidget(), d.chkHide);
    }
    QCOMPARE(d.fieldSettings(amount).ColWidth, width);
    QCOMPARE(d.fieldSettings(amount).Hide, hidden);
    QCOMPARE(d.chkHide->isChecked(), hidden);
    QCOMPARE(m_services->messages.size(), messages);
    for (const FakeServices::Message& message : std::as_const(m_services->messages))
        QCOMPARE(message.text, u"You must enter a valid number for the column width"_s);
}

void tst_frmRptSpec::aRefusedEntryKeepsTheUserInItsBox_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    // What the box shows when the field is shown again; empty when refused.
    QTest::addColumn<QString>("stored");
    const QString number = u"You must enter a number or leave this selection field blank"_s;
    QTest::newRow("less than, no number")
        << u"en_US"_s << u"Amount"_s << u"txtLess"_s << u"12a"_s << QString();
    QTest::newRow("greater than, no number")
        << u"en_US"_s << u"Amount"_s << u"txtGreater"_s << u"--3"_s << QString();
    QTest::newRow("German number as typed")
        << u"de_DE"_s << u"Amount"_s << u"txtLess"_s << u"1.000,50"_s << u"1.000,50"_s;
    QTest::newRow("a US comma is grouping")
        << u"en_US"_s << u"Amount"_s << u"txtGreater"_s << u"1,000"_s << u"1,000"_s;
    QTest::newRow("start date, no date")
        << u"en_US"_s << u"Date Ordered"_s << u"dcStartDate"_s << u"2/30/1999"_s << QString();
    QTest::newRow("end date, German")
        << u"de_DE"_s << u"Date Ordered"_s << u"dcEndDate"_s << u"31.3.1999"_s << u"31.03.1999"_s;
}

void tst_frmRptSpec::aRefusedEntryKeepsTheUserInItsBox() {
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    open(locale);
    frmRptSpec& d = *m_designer;
    add(u"Description"_s);
    add(field);
    auto* box = d.findChild<QWidget*>(control);
    typeInto(box, typed);
    // A click on another field: refused, the user stays with this field, in this box.
    clickItem(d.List2, u"Description"_s);
    if (stored.isEmpty()) {
        QCOMPARE(m_services->messages.size(), 1);
        const bool date = qobject_cast<DateField*>(box);
        QCOMPARE(m_services->messages.first().text,
                 date ? u"You must enter a valid date or leave this selection field blank."_s
                      : u"You must enter a number or leave this selection field blank"_s);
        QCOMPARE(d.List2->selectedItems().first()->text(), field);
        QVERIFY(box->isVisible());
        QVERIFY(box->hasFocus() || box->isAncestorOf(QApplication::focusWidget()));
        const QString shown =
            date ? static_cast<DateField*>(box)->text() : static_cast<QLineEdit*>(box)->text();
        QCOMPARE(shown, typed);
        // A command is refused as well, once more with the message.
        MainFormFixture::click(d.cmdUp);
        QCOMPARE(texts(d.List2), QStringList({u"Description"_s, field}));
        QVERIFY(m_services->messages.size() >= 2);
        QCOMPARE(m_services->messages.last().text, m_services->messages.first().text);
        // Nothing was stored: the report has no such criterion.
        const FieldSettings& settings = d.fieldSettings(d.curSpecId());
        QVERIFY(settings.LessThan.isEmpty() && settings.GreaterThan.isEmpty());
        QVERIFY(settings.StartDate.isNull() && settings.EndDate.isNull());
        return;
    }
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(d.List2->selectedItems().first()->text(), u"Description"_s);
    clickItem(d.List2, field);
    const QString shown = qobject_cast<DateField*>(box) ? static_cast<DateField*>(box)->text()
                                                        : static_cast<QLineEdit*>(box)->text();
    QCOMPARE(shown, stored);
}

void tst_frmRptSpec::upAndDown_data() {
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("message");
    const QStringList start = {u"Description"_s, u"Amount"_s, u"Vendor"_s};
    QTest::newRow("up") << u"Vendor"_s << true
                        << QStringList{u"Description"_s, u"Vendor"_s, u"Amount"_s} << QString();
    QTest::newRow("down") << u"Description"_s << false
                          << QStringList{u"Amount"_s, u"Description"_s, u"Vendor"_s} << QString();
    QTest::newRow("first up") << u"Description"_s << true << start << QString();
    QTest::newRow("last down") << u"Vendor"_s << false << start << QString();
    QTest::newRow("nothing up") << QString() << true << start
                                << u"You must select the field to move up in the list"_s;
    QTest::newRow("nothing down") << QString() << false << start
                                  << u"You must select the field to move down in the list"_s;
}

void tst_frmRptSpec::upAndDown() {
    QFETCH(QString, selected);
    QFETCH(bool, up);
    QFETCH(QStringList, order);
    QFETCH(QString, message);
    open();
    frmRptSpec& d = *m_designer;
    for (const QString& field : {u"Description"_s, u"Amount"_s, u"Vendor"_s})
        add(field);
    // Settings travel with the field.
    clickItem(d.List2, u"Vendor"_s);
    typeInto(d.txtStarting, u"Acme"_s);
    if (selected.isEmpty()) {
        MainFormFixture::click(d.cmdRemove);
        m_services->messages.clear();
    } else {
        clickItem(d.List2, selected);
    }
    if (selected.isEmpty())
        order.removeOne(u"Vendor"_s);
    MainFormFixture::click(up ? d.cmdUp : d.cmdDown);
    QCOMPARE(texts(d.List2), order);
    QCOMPARE(m_services->messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(m_services->messages.first().text, message);
        QCOMPARE(m_services->messages.first().title, u"Purvex"_s);
        return;
    }
    QCOMPARE(d.List2->selectedItems().first()->text(), selected);
    clickItem(d.List2, u"Vendor"_s);
    QCOMPARE(d.txtStarting->text(), u"Acme"_s);
}

void tst_frmRptSpec::theKeyboardAloneComposesAReport() {
    open();
    frmRptSpec& d = *m_designer;
    QCOMPARE(QApplication::focusWidget(), d.List1);
    QCOMPARE(d.List1->currentRow(), 0);
    QCOMPARE(d.cmdGenerate->text(), u"&Generate Report"_s);
    const QList<std::pair<QPushButton*, QString>> arrows = {{d.cmdAdd, u"Add"_s},
                                                            {d.cmdRemove, u"Remove"_s},
                                                            {d.cmdUp, u"Move Up"_s},
                                                            {d.cmdDown, u"Move Down"_s}};
    for (const auto& [button, tip] : arrows) {
        QCOMPARE(button->toolTip(), tip);
        QVERIFY(button->text().isEmpty() && !button->icon().isNull());
    }

    // Enter adds the current field and the next becomes current; letters jump to a field.
    const QString first = d.List1->item(0)->text();
    const QString second = d.List1->item(1)->text();
    QTest::keyClick(d.List1, Qt::Key_Return);
    QTest::keyClick(d.List1, Qt::Key_Return);
    QTest::keyClicks(d.List1, u"Vend"_s);
    QTest::keyClick(d.List1, Qt::Key_Enter);
    QCOMPARE(texts(d.List2), QStringList({first, second, u"Vendor"_s}));
    QCOMPARE(d.List2->currentItem()->text(), u"Vendor"_s);
    QVERIFY(d.fraSel[0]->isVisible());

    // Delete takes the current field out.
    d.List2->setFocus();
    QTest::keyClick(d.List2, Qt::Key_Delete);
    QCOMPARE(texts(d.List2), QStringList({first, second}));
    QVERIFY(!d.frame1->isVisible());
    QVERIFY(item(d.List1, u"Vendor"_s));

    // Alt+G generates; the designer stays as it was.
    m_services->nextSaveFileName = path(u"keys.txt"_s);
    d.optReportTo[1]->setChecked(true);
    QTest::keyClick(&d, Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(path(u"keys.txt"_s)));
    QCOMPARE(texts(d.List2), QStringList({first, second}));
    QVERIFY(d.isVisible());
}

void tst_frmRptSpec::fileTargetsHideTheLayoutFrames() {
    open();
    frmRptSpec& d = *m_designer;
    d.Tab1->setCurrentIndex(1);
    QVERIFY(d.optReportTo[0]->isChecked() && d.optOrient[0]->isChecked() &&
            d.optWidth[0]->isChecked() && d.chkDate->isChecked());
    QCOMPARE(d.txtTitle->text(), u"Purvex Report"_s);
    QCOMPARE(d.cmbPageNum->currentText(), u"At Bottom"_s);
    QTest::mouseClick(d.optOrient[1], Qt::LeftButton, {}, QPoint(8, d.optOrient[1]->height() / 2));
    QTest::mouseClick(d.optWidth[1], Qt::LeftButton, {}, QPoint(8, d.optWidth[1]->height() / 2));
    for (int target : {2, 3}) {
        QRadioButton* option = d.optReportTo[target - 1];
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
        QVERIFY(!d.fraOrient->isVisible() && !d.fraFormat->isVisible());
    }
    QTest::mouseClick(d.optReportTo[0], Qt::LeftButton, {},
                      QPoint(8, d.optReportTo[0]->height() / 2));
    QVERIFY(d.fraOrient->isVisible() && d.fraFormat->isVisible());
    QVERIFY(d.optOrient[1]->isChecked() && d.optWidth[1]->isChecked());
    QVERIFY(d.definition().landscape);
    QCOMPARE(d.definition().widthUnit, WidthUnit::Centimeters);
}

void tst_frmRptSpec::theSortListsStandApartFromTheReport_data() {
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("secondary");
    QTest::addColumn<QStringList>("order");
    // Amount is not in the report; no amount sorts first.
    const QStringList byAmount = {u"a_b [x] *star"_s, u"50% off"_s, u"Widget it's"_s, u"ab"_s,
                                  u"Émile <script>alert(1)</script> & \"q\""_s};
    QTest::newRow("primary") << u"Amount"_s << u"(none)"_s << byAmount;
    QTest::newRow("secondary alone") << u"(none)"_s << u"Amount"_s << byAmount;
    QTest::newRow("type then amount")
        << u"Type"_s << u"Amount"_s
        << QStringList{u"Émile <script>alert(1)</script> & \"q\""_s, u"Widget it's"_s, u"ab"_s,
                       u"50% off"_s, u"a_b [x] *star"_s};
}

void tst_frmRptSpec::theSortListsStandApartFromTheReport() {
    QFETCH(QString, primary);
    QFETCH(QString, secondary);
    QFETCH(QStringList, order);
    open();
    frmRptSpec& d = *m_designer;
    add(u"Description"_s);
    QCOMPARE(d.cmbSort1->currentText(), u"(none)"_s);
    const QList<QStringList> unsorted = textReport();
    d.Tab1->setCurrentIndex(2);
    // Typing a field's first letters picks it; Home goes back to "(none)".
    const auto choose = [](QComboBox* list, const QString& text) {
        list->setFocus();
        if (text == u"(none)")
            QTest::keyClick(list, Qt::Key_Home);
        else
            QTest::keyClicks(list, text);
        QCOMPARE(list->currentText(), text);
    };
    choose(d.cmbSort1, primary);
    choose(d.cmbSort2, secondary);
    QCOMPARE(texts(d.List2), QStringList{u"Description"_s});
    QStringList column;
    for (const QStringList& row : textReport())
        column << row.value(0);
    QCOMPARE(column, order);

    // "(none)" takes a sort back: the rows come as they did before any was chosen.
    d.Tab1->setCurrentIndex(2);
    choose(d.cmbSort1, u"(none)"_s);
    choose(d.cmbSort2, u"(none)"_s);
    QCOMPARE(d.definition().primarySort, 0);
    QCOMPARE(d.definition().secondarySort, 0);
    QCOMPARE(textReport(), unsorted);
}

void tst_frmRptSpec::generateReachesEachTarget_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<MsgAnswer>("replace");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message");
    const QStringList fields = {u"Description"_s, u"Amount"_s};
    QTest::newRow("screen") << 1 << fields << false << MsgAnswer::Yes << false << QString();
    QTest::newRow("text") << 2 << fields << false << MsgAnswer::Yes << false << QString();
    QTest::newRow("html") << 3 << fields << false << MsgAnswer::Yes << false << QString();
    QTest::newRow("text replaces") << 2 << fields << true << MsgAnswer::Yes << false
                                   << u"That file already exists.  Do you wish to replace it?"_s;
    QTest::newRow("html kept") << 3 << fields << true << MsgAnswer::No << false
                               << u"That file already exists.  Do you wish to replace it?"_s;
    QTest::newRow("dialog cancelled")
        << 2 << fields << false << MsgAnswer::Yes << true << QString();
    QTest::newRow("no fields") << 1 << QStringList() << false << MsgAnswer::Yes << false
                               << u"You have not selected any fields to include in the report"_s;
}

void tst_frmRptSpec::generateReachesEachTarget() {
    QFETCH(int, target);
    QFETCH(QStringList, fields);
    QFETCH(bool, existing);
    QFETCH(MsgAnswer, replace);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    open();
    frmRptSpec& d = *m_designer;
    for (const QString& field : fields)
        add(field);
    if (!fields.isEmpty()) {
        clickItem(d.List2, u"Amount"_s);
        QTest::mouseClick(d.chkTotal, Qt::LeftButton, {}, QPoint(8, d.chkTotal->height() / 2));
        typeInto(d.txtGreater, u"5"_s);
    }
    d.Tab1->setCurrentIndex(1);
    d.optReportTo[target - 1]->click();
    d.txtTitle->setText(u"Big <b>ones</b>"_s);

    const QString file = path(target == 3 ? u"out.htm"_s : u"out.txt"_s);
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    m_services->nextSaveFileName = cancel ? QString() : file;
    m_services->answers = {replace};
    MainFormFixture::click(d.cmdGenerate);

    QCOMPARE(m_services->messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(m_services->messages.first().text, message);
        QCOMPARE(m_services->messages.first().title, existing ? u"File Exists"_s : u"Purvex"_s);
    }
    QVERIFY(!m_services->hourglass);
    QVERIFY(d.isVisible());
    QCOMPARE(texts(d.List2), fields);
    if (target > 1 && !fields.isEmpty()) {
        QCOMPARE(m_services->saveRequests.size(), 1);
        const FakeServices::SaveDialog& dialog = m_services->saveRequests.first();
        QCOMPARE(dialog.defaultName, target == 3 ? u"pvx.htm"_s : u"pvx.txt"_s);
        QCOMPARE(dialog.filter, target == 3 ? u"Html Files (*.htm);;All Files (*)"_s
                                            : u"Text Files (*.txt);;All Files (*)"_s);
        // The program asks about replacing in its own words, so the dialog must not.
        QCOMPARE(dialog.overwrite, OverwriteQuestion::ByCaller);
    }
    if (fields.isEmpty() || cancel || replace == MsgAnswer::No) {
        QVERIFY(!m_output);
        QCOMPARE(custom::readAll(file), existing ? QByteArray("old") : QByteArray());
        return;
    }

    // Amounts above 5: Widget, ab and Émile, with the total of the three.
    const QStringList descriptions = {u"Widget it's"_s,
                                      u"Émile <script>alert(1)</script> & \"q\""_s, u"ab"_s};
    const QStringList amounts = {u"$10.10"_s, u"$1,000.00"_s, u"$999.99"_s};
    const QString total = u"$2,010.09"_s;
    if (target == 1) {
        QVERIFY(m_output && m_output->isVisible());
        const PageDocument& document = m_output->document();
        QCOMPARE(document.header(), u"12/7/2026|Big <b>ones</b>|"_s);
        const QList<PageLine>& lines = document.page(1).lines;
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0).cells.at(0).text, u"Description"_s);
        QStringList shown;
        for (int i = 1; i < 4; ++i)
            shown << lines.at(i).cells.at(0).text;
        shown.sort();
        QStringList expected = descriptions;
        expected.sort();
        QCOMPARE(shown, expected);
        QCOMPARE(lines.at(4).cells.at(1).text, total);
    } else if (target == 2) {
        QList<QStringList> rows;
        for (const QString& line : QString::fromUtf8(custom::readAll(file)).split(u"\r\n"_s))
            rows << line.split(u'\t');
        QCOMPARE(rows.size(), 5);
        QVERIFY(rows.last() == QStringList{QString()});
        QCOMPARE(rows.at(3), QStringList({QString(), total}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rows.at(i).at(1), amounts.at(descriptions.indexOf(rows.at(i).at(0))));
    } else {
        const auto page = custom::parseHtml(file);
        QVERIFY(page);
        QCOMPARE(page->title, u"Big <b>ones</b>"_s);
        QVERIFY(!page->hasScript);
        QCOMPARE(page->rows.size(), 6);
        QCOMPARE(custom::texts(page->rows.at(1)), QStringList({u"Description"_s, u"Amount"_s}));
        for (int i = 2; i < 5; ++i) {
            const QStringList cells = custom::texts(page->rows.at(i));
            QCOMPARE(cells.at(1), amounts.at(descriptions.indexOf(cells.at(0))));
            QCOMPARE(page->rows.at(i).at(1).align, u"right"_s);
        }
        QCOMPARE(page->rows.at(5).at(1).text, total);
    }
}

void tst_frmRptSpec::theOutputWindowIsReusedWhileOpen() {
    open();
    frmRptSpec& d = *m_designer;
    add(u"Description"_s);
    MainFormFixture::click(d.cmdGenerate);
    QVERIFY(m_output && m_output->isVisible());
    QPointer<frmOutput> first = m_output;
    QCOMPARE(first->document().page(1).lines.size(), 6);

    // Changed and generated again: the same window shows the new report.
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    typeInto(d.txtStarting, u"W"_s);
    MainFormFixture::click(d.cmdGenerate);
    QCOMPARE(m_output.data(), first.data());
    QCOMPARE(m_outputsMade, 1);
    QCOMPARE(first->document().page(1).lines.size(), 2);
    QCOMPARE(first->document().page(1).lines.at(1).cells.at(0).text, u"Widget it's"_s);
    QVERIFY(d.isVisible());
}

void tst_frmRptSpec::loadMainForm() {
    m_main = std::make_unique<MainFormFixture>();
    m_main->initFixture();
    m_main->load(custom::orders());
}

frmRptSpec* tst_frmRptSpec::chooseCustomReports() {
    m_main->form()->mnuRptCustom->trigger();
    MainFormFixture::settle();
    const QList<frmRptSpec*> open = m_main->form()->findChildren<frmRptSpec*>();
    if (open.size() != 1)
        return nullptr;
    m_designer = open.first();
    return m_designer;
}

void tst_frmRptSpec::catalogueFaultsKeepTheDesignerClosed_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    const QString end = u"  Custom reports cannot be made until the catalogue is put right."_s;
    QTest::newRow("no rows") << u"DELETE FROM RptSpec"_s
                             << u"The report catalogue RptSpec holds no report fields."_s + end;
    QTest::newRow("SpecID beyond the rows")
        << u"UPDATE RptSpec SET SpecID = 99 WHERE \"Desc\" = 'Vendor'"_s
        << u"The report catalogue RptSpec has a row \"Vendor\" (SpecID 99), but the numbers must "
           u"run from 1 to 24, the number of rows."_s +
               end;
    QTest::newRow("SpecID 0") << u"UPDATE RptSpec SET SpecID = 0 WHERE \"Desc\" = 'Fax'"_s
                              << u"The report catalogue RptSpec has a row \"Fax\" (SpecID 0), but "
                                 u"the numbers must run from 1 to 24, the number of rows."_s +
                                     end;
    QTest::newRow("datatype 5")
        << u"UPDATE RptSpec SET datatype = 5 WHERE \"Desc\" = 'Amount'"_s
        << u"The report catalogue RptSpec has a row \"Amount\" (SpecID 9) with datatype 5; it "
           u"must be 1 (text), 2 (number), 3 (date) or 4 (yes/no)."_s +
               end;
    QTest::newRow("datatype 0")
        << u"UPDATE RptSpec SET datatype = 0 WHERE \"Desc\" = 'Notes'"_s
        << u"The report catalogue RptSpec has a row \"Notes\" (SpecID 18) with datatype 0; it "
           u"must be 1 (text), 2 (number), 3 (date) or 4 (yes/no)."_s +
               end;
}

void tst_frmRptSpec::catalogueFaultsKeepTheDesignerClosed() {
    QFETCH(QString, sql);
    QFETCH(QString, message);
    loadMainForm();
    m_main->state().gDatabase->execute(sql);
    QVERIFY(!chooseCustomReports());
    QVERIFY(m_main->form()->findChildren<frmRptSpec*>().isEmpty());
    FakeServices& services = m_main->services();
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages.first().text, message);
    QCOMPARE(services.messages.first().title, u"Purvex"_s);
    // The program goes on.
    QVERIFY(!services.ended);
    QVERIFY(m_main->form()->isVisible());
}

void tst_frmRptSpec::theMenuEntryBringsTheOpenDesignerForward() {
    loadMainForm();
    frmRptSpec* designer = chooseCustomReports();
    QVERIFY(designer);
    QVERIFY(designer->isVisible() && designer->isWindow());
    QCOMPARE(designer->windowTitle(), u"Custom Report"_s);
    add(u"Description"_s);
    typeInto(designer->txtStarting, u"W"_s);

    // The main form stays usable meanwhile, and the menu entry finds the designer as it is.
    QVERIFY(!designer->isModal());
    m_main->form()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main->form()));
    QCOMPARE(chooseCustomReports(), designer);
    QTRY_COMPARE(QApplication::activeWindow(), designer);
    QCOMPARE(texts(designer->List2), QStringList{u"Description"_s});
    QCOMPARE(designer->txtStarting->text(), u"W"_s);

    // Its report goes to the output window the built-in reports use.
    MainFormFixture::click(designer->cmdGenerate);
    QCOMPARE(m_main->form()->findChildren<frmOutput*>().size(), 1);
    m_main->form()->mnuRpt[3]->trigger();
    QCOMPARE(m_main->form()->findChildren<frmOutput*>().size(), 1);

    // Cancelled, it is gone with its report; the next one starts afresh.
    MainFormFixture::click(designer->cmdCancel);
    QTRY_VERIFY(!m_designer);
    designer = chooseCustomReports();
    QVERIFY(designer);
    QCOMPARE(designer->List2->count(), 0);
    QVERIFY(m_main->services().messages.isEmpty());
}

void tst_frmRptSpec::aDesignerLeftOpenAcrossMaintenanceStopsCleanly_data() {
    QTest::addColumn<bool>("generate");
    QTest::newRow("adding a field") << false;
    QTest::newRow("generating") << true;
}

void tst_frmRptSpec::aDesignerLeftOpenAcrossMaintenanceStopsCleanly() {
    QFETCH(bool, generate);
    loadMainForm();
    frmRptSpec* designer = chooseCustomReports();
    QVERIFY(designer);
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
        m_main->services().nextSaveFileName = QDir(m_main->dirPath()).filePath(u"late.txt"_s);
        MainFormFixture::click(designer->cmdGenerate);
    } else {
        add(u"Vendor"_s);
    }
    FakeServices& services = m_main->services();
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages.first().text,
             u"An error has occurred.  You may have forgotten to close a window before packing or "
             u"backing up the program's database.  Please rerun the program."_s);
    QVERIFY(services.ended);
    QCOMPARE(services.exitStatus, 1);
    QVERIFY(!QFile::exists(QDir(m_main->dirPath()).filePath(u"late.txt"_s)));
}

QTEST_MAIN(tst_frmRptSpec)
#include "tst_frmRptSpec.moc"
