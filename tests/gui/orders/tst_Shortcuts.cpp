// The main window's keyboard shortcuts, pressed as the user presses them, from every kind
// of control: Ctrl+Q does what File, Exit does and Ctrl+F what the Find button does, and
// neither while a record is being edited, when the menu item and the button are away.
#include "gui/support/MainFormFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_Shortcuts : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { initFixture(); }
    void cleanup() { cleanupFixture(); }
    void keysDoWhatTheirItemOrButtonDoes_data();
    void keysDoWhatTheirItemOrButtonDoes();
};

void tst_Shortcuts::keysDoWhatTheirItemOrButtonDoes_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("expected"); // "ended", "find" or "nothing"
    QTest::newRow("Ctrl+Q in Description")
        << int(Qt::Key_Q) << u"txtDescr"_s << false << u"ended"_s;
    QTest::newRow("Ctrl+Q on Next") << int(Qt::Key_Q) << u"cmdNext"_s << false << u"ended"_s;
    QTest::newRow("Ctrl+Q while editing")
        << int(Qt::Key_Q) << u"txtVendor"_s << true << u"nothing"_s;
    QTest::newRow("Ctrl+F in Description") << int(Qt::Key_F) << u"txtDescr"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F in Address") << int(Qt::Key_F) << u"txtAddress"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F in Type") << int(Qt::Key_F) << u"cmbType"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F in Date Ordered")
        << int(Qt::Key_F) << u"dcDateOrder"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F in Amount") << int(Qt::Key_F) << u"txtAmount"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F on Last") << int(Qt::Key_F) << u"cmdLast"_s << false << u"find"_s;
    QTest::newRow("Ctrl+F while editing")
        << int(Qt::Key_F) << u"txtDescr"_s << true << u"nothing"_s;
}

void tst_Shortcuts::keysDoWhatTheirItemOrButtonDoes() {
    QFETCH(int, key);
    QFETCH(QString, focus);
    QFETCH(bool, editing);
    QFETCH(QString, expected);
    const QVariantMap tent{{u"descr"_s, u"Tent"_s}, {u"Type"_s, 0}, {u"status"_s, 0}};
    const QVariantMap stove{{u"descr"_s, u"Stove"_s}, {u"Type"_s, 0}, {u"status"_s, 0}};
    load({tent, stove});
    QStringList dialogs;
    services().onModal = [&dialogs](QDialog& dialog) { dialogs << dialog.objectName(); };
    if (editing)
        QTest::keyClicks(form()->txtDescr, u" edited"_s);
    const QString edited = form()->txtDescr->text();

    QWidget* target = form()->findChild<QWidget*>(focus);
    QVERIFY2(target, qPrintable(focus));
    target->setFocus(Qt::TabFocusReason);
    settle();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
    settle();

    QCOMPARE(services().ended, expected == u"ended");
    QCOMPARE(dialogs, expected == u"find" ? QStringList{u"frmFind"_s} : QStringList());
    QCOMPARE(services().messages.size(), 0);
    if (expected == u"nothing") {
        // The edit goes on untouched: nothing was typed into the box, nothing closed.
        QVERIFY(form()->isVisible());
        QVERIFY(form()->cmdUpdate->isVisible());
        QCOMPARE(form()->txtDescr->text(), edited);
    }
}

QTEST_MAIN(tst_Shortcuts)
#include "tst_Shortcuts.moc"
