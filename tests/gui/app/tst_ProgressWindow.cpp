#include "gui/app/ProgressWindow.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

// The progress window the program shows (tests elsewhere watch the work through a fake): the
// user's Cancel reaches the work, and once the copy is being put in place nothing stops it.
class tst_ProgressWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cancelStopsTheWorkUntilItMustRunToItsEnd();
};

void tst_ProgressWindow::cancelStopsTheWorkUntilItMustRunToItsEnd() {
    ProgressWindow progress(QStringLiteral("Backup the Purvex Database"), nullptr);
    progress.setStage(QStringLiteral("Copying pvx.mdb..."), 100);
    // The window comes up only once the work has taken a moment.
    QTest::qWait(450);
    QVERIFY(progress.advance(10));
    QVERIFY(QTest::qWaitForWindowExposed(&progress.dialog()));
    QCOMPARE(progress.dialog().windowTitle(), QStringLiteral("Backup the Purvex Database"));
    QPushButton* cancel = progress.dialog().findChild<QPushButton*>();
    QVERIFY(cancel && cancel->isVisible());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(progress.wasCancelled());
    QVERIFY(!progress.advance(20));

    // Once the copy is being put in place there is no stopping, by button, Escape or closing.
    ProgressWindow swap(QStringLiteral("Backup the Purvex Database"), nullptr);
    swap.setStage(QStringLiteral("Checking the copy..."), 100);
    QTest::qWait(450);
    QVERIFY(swap.advance(50));
    swap.disallowCancel();
    const auto buttons = swap.dialog().findChildren<QPushButton*>();
    QVERIFY(std::none_of(buttons.begin(), buttons.end(),
                         [](const QPushButton* button) { return button->isVisible(); }));
    QTest::keyClick(&swap.dialog(), Qt::Key_Escape);
    QVERIFY(!swap.dialog().close());
    QVERIFY(swap.dialog().isVisible());
    QVERIFY(!swap.wasCancelled());
    QVERIFY(swap.advance(100));
}

QTEST_MAIN(tst_ProgressWindow)

#include "tst_ProgressWindow.moc"
