#include "gui/custom/frmDesignName.h"
#include "gui/custom/frmRptSpec.h"

#include "custom/DesignStore.h"
#include "custom/ReportDesign.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpKey.h"
#include "gui/maint/frmBackup.h"
#include "gui/support/MainFormFixture.h"
#include "support/CustomFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// On the box or circle, where a click is taken whatever the width of the control.
void tick(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QStringList texts(const QListWidget* list) {
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

} // namespace

// Saved designs in the designer, through its widgets, on a real file: what is saved makes
// the same report again, the questions before a design is replaced or deleted, designs
// kept through backup and compaction, and what a design the catalogue outgrew loads.
class tst_ReportDesigns : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void aSavedDesignMakesTheSameReport_data();
    void aSavedDesignMakesTheSameReport();
    void replacingDeletingAndLoadingAskFirst_data();
    void replacingDeletingAndLoadingAskFirst();
    void aDesignOutlivesMaintenanceAndItsCatalogue();
    void theWindowsMnemonicsAreItsOwn();

private:
    frmRptSpec* open();
    FakeServices& services() const { return m_main->services(); }
    QString path(const QString& name) const { return QDir(m_main->dirPath()).filePath(name); }
    void add(const QString& desc);
    void select(const QString& desc);
    void typeInto(QWidget* box, const QString& text);
    // Answers the name dialog with each name in turn, then Cancel if it is still open.
    void nameWith(const QStringList& names);
    // Chooses a design in the list by the keyboard.
    void choose(const QString& name);
    QByteArray textReport(const QString& name);

    std::unique_ptr<MainFormFixture> m_main;
    QPointer<frmRptSpec> m_designer;
    // The captions and offered names of the name dialogs shown.
    QStringList m_dialogs;
};

void tst_ReportDesigns::init() {
    m_main = std::make_unique<MainFormFixture>();
    m_main->initFixture();
    m_dialogs.clear();
}

void tst_ReportDesigns::cleanup() {
    delete m_designer.data();
    m_main->cleanupFixture();
    m_main.reset();
}

frmRptSpec* tst_ReportDesigns::open() {
    m_main->form()->activateWindow();
    m_main->form()->mnuRptCustom->trigger();
    MainFormFixture::settle();
    m_designer = m_main->form()->findChild<frmRptSpec*>();
    return m_designer && QTest::qWaitForWindowActive(m_designer) ? m_designer.data() : nullptr;
}

void tst_ReportDesigns::select(const QString& desc) {
    for (QListWidget* list : {m_designer->List1, m_designer->List2}) {
        const QList<QListWidgetItem*> found = list->findItems(desc, Qt::MatchExactly);
        if (found.isEmpty())
            continue;
        const QPoint at = list->visualItemRect(found.first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        MainFormFixture::settle();
        return;
    }
    QFAIL(qPrintable(desc));
}

void tst_ReportDesigns::add(const QString& desc) {
    select(desc);
    MainFormFixture::click(m_designer->cmdAdd);
}

void tst_ReportDesigns::typeInto(QWidget* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    MainFormFixture::settle();
    auto* date = qobject_cast<DateField*>(box);
    QWidget* editor = date ? date->lineEdit() : box;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
}

void tst_ReportDesigns::nameWith(const QStringList& names) {
    services().onModal = [this, names](QDialog& dialog) {
        auto& named = static_cast<frmDesignName&>(dialog);
        m_dialogs << named.windowTitle() + u": "_s + named.txtName->text();
        named.show();
        for (const QString& name : names) {
            if (!name.isNull()) {
                QTest::keyClick(named.txtName, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(named.txtName, name.isEmpty() ? u" "_s : name);
            }
            QTest::keyClick(named.txtName, Qt::Key_Return);
            if (named.result() == QDialog::Accepted)
                return;
        }
        named.cmdCancel->click();
    };
}

void tst_ReportDesigns::choose(const QString& name) {
    // The offscreen platform gives the window back its activation only when asked.
    m_designer->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_designer.data());
    QTest::keyClick(m_designer, Qt::Key_D, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), m_designer->cmbDesign);
    QComboBox& list = *m_designer->cmbDesign;
    const int wanted = list.findText(name);
    QVERIFY2(wanted >= 0, qPrintable(name));
    // The arrow opens the list, loading nothing on its way; Enter chooses.
    QTest::keyClick(&list, Qt::Key_Down);
    QAbstractItemView* view = list.view();
    QTRY_VERIFY(view->isVisible());
    for (int step = 0; step < list.count() && view->currentIndex().row() != wanted; ++step)
        QTest::keyClick(view, view->currentIndex().row() < wanted ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    MainFormFixture::settle();
}

QByteArray tst_ReportDesigns::textReport(const QString& name) {
    services().nextSaveFileName = path(name);
    MainFormFixture::click(m_designer->cmdGenerate);
    return custom::readAll(path(name));
}

void tst_ReportDesigns::aSavedDesignMakesTheSameReport_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("typed"); // width, less, greater, start date
    QTest::newRow("en_US") << u"en_US"_s
                           << QStringList{u"1.5"_s, u"1,000.5"_s, u"5"_s, u"1/1/1999"_s};
    QTest::newRow("de_DE") << u"de_DE"_s
                           << QStringList{u"1,5"_s, u"1.000,5"_s, u"5"_s, u"01.01.1999"_s};
}

void tst_ReportDesigns::aSavedDesignMakesTheSameReport() {
    QFETCH(QString, locale);
    QFETCH(QStringList, typed);
    m_main->load(custom::orders(), locale);
    frmRptSpec* d = open();
    QVERIFY(d);
    for (const QString& field :
         {u"Description"_s, u"Amount"_s, u"Date Ordered"_s, u"Fully Received"_s, u"Type"_s})
        add(field);
    select(u"Description"_s);
    typeInto(d->txtWidth, typed.at(0));
    typeInto(d->txtStarting, u"W"_s);
    select(u"Amount"_s);
    typeInto(d->txtLess, typed.at(1));
    typeInto(d->txtGreater, typed.at(2));
    tick(d->chkTotal);
    select(u"Date Ordered"_s);
    typeInto(d->dcStartDate, typed.at(3));
    tick(d->chkHide);
    select(u"Fully Received"_s);
    tick(d->optTrue);
    select(u"Type"_s);
    d->Tab1->setCurrentIndex(1);
    typeInto(d->txtTitle, u"Q1 \"paid\""_s);
    tick(d->optReportTo[1]);
    tick(d->optWidth[1]);
    d->cmbPageNum->setCurrentIndex(1);
    tick(d->chkDate);
    d->Tab1->setCurrentIndex(2);
    d->cmbSort1->setCurrentIndex(d->cmbSort1->findText(u"Amount"_s));
    d->cmbSort2->setCurrentIndex(d->cmbSort2->findText(u"Description"_s));
    const QByteArray made = textReport(u"made.txt"_s);
    QVERIFY2(made.count("\r\n") == 2, made.constData());

    // Alt+S offers the title as the name.
    nameWith({QString()});
    QTest::keyClick(d, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(m_dialogs, QStringList{u"Save Design: Q1 \"paid\""_s});
    QCOMPARE(d->cmbDesign->currentText(), u"Q1 \"paid\""_s);
    MainFormFixture::click(d->cmdCancel);
    QTRY_VERIFY(!m_designer);

    // Opened again, the designer starts from the defaults; the design brings it all back.
    d = open();
    QVERIFY(d->List2->count() == 0 && d->cmbDesign->currentIndex() == -1);
    QCOMPARE(d->txtTitle->text(), u"Purvex Report"_s);
    choose(u"Q1 \"paid\""_s);
    QCOMPARE(texts(d->List2), QStringList({u"Description"_s, u"Amount"_s, u"Date Ordered"_s,
                                           u"Fully Received"_s, u"Type"_s}));
    // What a text file does not show.
    QVERIFY(d->optReportTo[1]->isChecked() && d->optWidth[1]->isChecked() &&
            !d->chkDate->isChecked() && d->cmbPageNum->currentIndex() == 1 &&
            d->cmbSort2->currentText() == u"Description");
    select(u"Amount"_s);
    QCOMPARE(d->txtLess->text(),
             QString(typed.at(1)).remove(QRegularExpression(u"[.,](?=\\d{3})"_s)));
    QVERIFY(d->chkTotal->isChecked());
    QCOMPARE(textReport(u"again.txt"_s), made);
    QVERIFY(services().messages.isEmpty());
}

void tst_ReportDesigns::replacingDeletingAndLoadingAskFirst_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("names"); // typed in turn into the name dialog
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("shown"); // the design on show afterwards
    const QString replaceBeta =
        u"A design called \"Beta\" is saved already.  Do you want to replace it?"_s;
    const QStringList both = {u"Alpha"_s, u"Beta"_s};
    QTest::newRow("save: the design on show, without a question")
        << u"save"_s << QStringList{QString()} << QList<MsgAnswer>{} << QStringList() << both
        << u"Alpha"_s;
    QTest::newRow("save: another's name asks, No keeps the dialog open")
        << u"save"_s << QStringList{u"beta"_s, u"Gamma"_s} << QList<MsgAnswer>{MsgAnswer::No}
        << QStringList{replaceBeta} << QStringList{u"Alpha"_s, u"Beta"_s, u"Gamma"_s} << u"Gamma"_s;
    QTest::newRow("save as: Yes replaces, in the new spelling")
        << u"saveAs"_s << QStringList{u" BETA "_s} << QList<MsgAnswer>{MsgAnswer::Yes}
        << QStringList{replaceBeta} << QStringList{u"Alpha"_s, u"BETA"_s} << u"BETA"_s;
    QTest::newRow("names refused with their reason")
        << u"save"_s << QStringList{u""_s, QString(61, u'x'), u"Delta"_s} << QList<MsgAnswer>{}
        << QStringList{u"A design needs a name."_s,
                       u"A design's name can have at most 60 characters; this one has 61."_s}
        << QStringList{u"Alpha"_s, u"Beta"_s, u"Delta"_s} << u"Delta"_s;
    QTest::newRow("save cancelled")
        << u"save"_s << QStringList() << QList<MsgAnswer>{} << QStringList() << both << u"Alpha"_s;
    const QString deleteAlpha = u"Do you want to delete the design \"Alpha\"?"_s;
    QTest::newRow("delete: No") << u"delete"_s << QStringList() << QList<MsgAnswer>{MsgAnswer::No}
                                << QStringList{deleteAlpha} << both << u"Alpha"_s;
    QTest::newRow("delete: Yes") << u"delete"_s << QStringList() << QList<MsgAnswer>{MsgAnswer::Yes}
                                 << QStringList{deleteAlpha} << QStringList{u"Beta"_s} << QString();
    QTest::newRow("loading over changes: No keeps them")
        << u"load"_s << QStringList() << QList<MsgAnswer>{MsgAnswer::No}
        << QStringList{u"Loading the design \"Beta\" replaces the report on show, whose changes "
                       u"are in no saved design.  Do you want to load it?"_s}
        << both << u"Alpha"_s;
}

void tst_ReportDesigns::replacingDeletingAndLoadingAskFirst() {
    QFETCH(QString, command);
    QFETCH(QStringList, names);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, stored);
    QFETCH(QString, shown);
    m_main->load(custom::orders());
    {
        Database& db = *m_main->state().gDatabase;
        ReportDefinition beta = ReportDefinition::withDefaults(ReportCatalogue::read(db));
        beta.fields << beta.catalogue.findByDesc(u"Vendor"_s)->specId;
        DesignStore(db).save(u"Beta"_s, ReportDesign::toText(beta, QLocale(u"en_US"_s)));
        beta.fields = {beta.catalogue.findByDesc(u"Description"_s)->specId};
        DesignStore(db).save(u"Alpha"_s, ReportDesign::toText(beta, QLocale(u"en_US"_s)));
    }
    frmRptSpec* d = open();
    QVERIFY(d);
    choose(u"Alpha"_s);
    add(u"Amount"_s);
    services().answers.assign(answers.begin(), answers.end());
    nameWith(names);
    if (command == u"load")
        choose(u"Beta"_s);
    else
        MainFormFixture::click(command == u"save"     ? d->cmdSave
                               : command == u"saveAs" ? d->cmdSaveAs
                                                      : d->cmdDelete);
    QStringList said;
    for (const auto& message : services().messages)
        said << message.text;
    QCOMPARE(said, messages);
    // "Save..." offers the design on show, "Save As..." the title.
    if (!names.isEmpty())
        QCOMPARE(m_dialogs.value(0),
                 command == u"save" ? u"Save Design: Alpha"_s : u"Save Design As: Purvex Report"_s);
    QCOMPARE(d->cmbDesign->currentIndex() < 0 ? QString() : d->cmbDesign->currentText(), shown);
    QCOMPARE(d->cmdDelete->isEnabled(), !shown.isEmpty());
    // The report on show stays as it is whatever was answered.
    QCOMPARE(texts(d->List2), QStringList({u"Description"_s, u"Amount"_s}));
    // Read with sqlite3 once the program has let go of the file.
    delete m_designer.data();
    QStringList kept;
    for (const QVariantMap& row :
         m_main->fileRows(u"SELECT DesignName FROM ReportDesigns ORDER BY DesignKey"_s))
        kept << row.value(u"DesignName"_s).toString();
    QCOMPARE(kept, stored);
}

void tst_ReportDesigns::aDesignOutlivesMaintenanceAndItsCatalogue() {
    // A file of the first layout gains the table when Purvex opens it.
    m_main->createDatabase(custom::orders());
    Database::open(m_main->databasePath(), false)
        ->execute(u"DROP TABLE ReportDesigns; PRAGMA user_version = 1"_s);
    m_main->load();
    QCOMPARE(m_main->state().gDatabase->scalar(u"PRAGMA user_version"_s).toInt(), 2);
    frmRptSpec* d = open();
    for (const QString& field : {u"Description"_s, u"Phone"_s, u"Amount"_s})
        add(field);
    nameWith({u"Contacts"_s});
    MainFormFixture::click(d->cmdSave);
    MainFormFixture::click(d->cmdCancel);
    QTRY_VERIFY(!m_designer);

    const QString stick = path(u"stick"_s);
    QVERIFY(QDir().mkpath(stick));
    services().destinations = {{stick + u'/', stick + u"/  (STICK)"_s}};
    services().onModal = [](QDialog& dialog) { static_cast<frmBackup&>(dialog).cmdOk->click(); };
    m_main->form()->mnuBackup->trigger();
    m_main->form()->mnuPack->trigger();
    QVERIFY(!m_main->state().programEnded && m_main->state().gDatabase);
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL), {u"-readonly"_s, stick + u"/pvx.mdb"_s,
                                                    u"SELECT DesignName FROM ReportDesigns"_s});
    QVERIFY(sqlite.waitForFinished(30000) && sqlite.exitCode() == 0);
    QCOMPARE(sqlite.readAllStandardOutput(), QByteArray("Contacts\n"));

    // Another tool renames a field and leaves a design no one can read: the designer opens.
    Database& db = *m_main->state().gDatabase;
    db.execute(u"UPDATE RptSpec SET \"Desc\" = 'Telephone' WHERE \"Desc\" = 'Phone'"_s);
    DesignStore(db).save(u"Broken"_s, u"{\"purvexReportDesign\": 1, \"fields\": 7}"_s);
    services().messages.clear();
    d = open();
    QVERIFY(d);
    choose(u"Broken"_s);
    QCOMPARE(d->cmbDesign->currentIndex(), -1);
    QCOMPARE(d->List2->count(), 0);
    choose(u"Contacts"_s);
    QCOMPARE(texts(d->List2), QStringList({u"Description"_s, u"Amount"_s}));
    QStringList said;
    for (const auto& message : services().messages)
        said << message.text;
    QCOMPARE(said, QStringList({u"The design \"Broken\" cannot be read: its list of fields "
                                u"cannot be read.  The report on show is left as it was."_s,
                                u"The design \"Contacts\" names what the report catalogue no "
                                u"longer has, and has been loaded without it: \"Phone\"."_s}));
}

void tst_ReportDesigns::theWindowsMnemonicsAreItsOwn() {
    m_main->load(custom::orders());
    installHelpKey(qApp, services());
    const std::unique_ptr<QObject> helpKey(
        qApp->findChild<QObject*>(u"HelpKey"_s, Qt::FindDirectChildrenOnly));
    frmRptSpec* d = open();
    QString keys;
    for (QWidget* widget : d->findChildren<QWidget*>()) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        auto* label = qobject_cast<QLabel*>(widget);
        auto* frame = qobject_cast<QGroupBox*>(widget);
        const QString caption = button  ? button->text()
                                : label ? label->text()
                                : frame ? frame->title()
                                        : QString();
        keys += QRegularExpression(u"&([^&])"_s).match(caption).captured(1).toUpper();
    }
    std::sort(keys.begin(), keys.end());
    QCOMPARE(keys, u"CDGLSV"_s);
    QTest::keyClick(d, Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QCOMPARE(services().helpRequests.value(0), (HelpRequest{HelpRequest::Kind::Topic, 47}));
}

QTEST_MAIN(tst_ReportDesigns)
#include "tst_ReportDesigns.moc"
