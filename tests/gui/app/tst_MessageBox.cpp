#include "gui/app/MessageBox.h"
#include "gui/app/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class tst_MessageBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsExactlyTheTextTitleAndButtons_data();
    void showsExactlyTheTextTitleAndButtons();
    void ctrlCCopiesTitleAndText();
    void escapeAnswersNo();
    void textIsNotReadAsMarkup();
    void boxStandsOverTheWorkingWindowWithTheNormalPointer();
};

void tst_MessageBox::showsExactlyTheTextTitleAndButtons_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("ok") << int(MsgButtons::Ok) << QStringList{"OK"};
    QTest::newRow("yes/no") << int(MsgButtons::YesNo) << QStringList{"Yes", "No"};
}

void tst_MessageBox::showsExactlyTheTextTitleAndButtons() {
    QFETCH(int, buttons);
    QFETCH(QStringList, captions);
    const QString text = "Are you sure that you want to delete this order record?";
    MessageBox box(text, "Delete Record", MsgButtons(buttons));
    QCOMPARE(box.text(), text);
    QCOMPARE(box.windowTitle(), QString("Delete Record"));
    QCOMPARE(box.icon(), QMessageBox::NoIcon);
    QStringList shown;
    for (auto* button : box.buttons())
        shown << button->text().remove('&');
    shown.sort();
    captions.sort();
    QCOMPARE(shown, captions);
}

void tst_MessageBox::ctrlCCopiesTitleAndText() {
    MessageBox box("Please enter an order date.", "No Order Date", MsgButtons::Ok);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QApplication::clipboard()->clear();
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    QVERIFY2(copied.contains("No Order Date\n"), qPrintable(copied));
    QVERIFY2(copied.contains("Please enter an order date.\n"), qPrintable(copied));
    QVERIFY(copied.indexOf("No Order Date") < copied.indexOf("Please enter"));
}

void tst_MessageBox::escapeAnswersNo() {
    MessageBox box("Do you wish to compact the Zelmar Program database?", "Compact Database",
                   MsgButtons::YesNo);
    QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Escape); });
    QCOMPARE(box.ask(), MsgAnswer::No);
}

void tst_MessageBox::textIsNotReadAsMarkup() {
    MessageBox box("<b>O'Brien</b> & Sons", "Purvex", MsgButtons::Ok);
    QCOMPARE(box.textFormat(), Qt::PlainText);
}

void tst_MessageBox::boxStandsOverTheWorkingWindowWithTheNormalPointer() {
    QtServices services;
    QWidget main;
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // A dialog the user worked in and that is hidden now, as the find dialog after its OK.
    QDialog dialog(&main);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.hide();

    services.setBusy(true);
    QWidget* parentOfBox = nullptr;
    bool hourglassWhileAsking = true;
    QTimer::singleShot(0, &main, [&] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        parentOfBox = box->parentWidget();
        hourglassWhileAsking = QApplication::overrideCursor() != nullptr;
        QTest::keyClick(box, Qt::Key_Escape);
    });
    services.message(QStringLiteral("That record was not found."),
                     QStringLiteral("No Records Match"));

    QCOMPARE(parentOfBox, &main);
    QVERIFY(!hourglassWhileAsking);
    // The work goes on afterwards, and so does the hourglass.
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    services.setBusy(false);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(tst_MessageBox)
#include "tst_MessageBox.moc"
