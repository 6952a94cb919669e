#include "gui/app/ElasticLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

namespace {

// A hidden widget learns of its new size only when it is shown, so the tests look at
// the form on screen, as the user would.
void showAt(ElasticLayout& form, const QSize& size) {
    form.resize(size);
    if (!form.isVisible()) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    QTRY_COMPARE(form.size(), size);
}

} // namespace

class tst_ElasticLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rectanglesScaleWithTheContainer_data();
    void rectanglesScaleWithTheContainer();
    void neighboursKeepTheirSharedEdge_data();
    void neighboursKeepTheirSharedEdge();
    void opensWhereATextBoxIsAsTallAsALineEdit();
    void placingAgainMovesTheControl();
    void aDeletedControlIsForgotten();
};

void tst_ElasticLayout::rectanglesScaleWithTheContainer_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");

    // The control sits at 100, 50, 200 x 100 twips on a 1000 x 500 twip design.
    QTest::newRow("one pixel per twip") << QSize(1000, 500) << QRect(100, 50, 200, 100);
    QTest::newRow("twice as large") << QSize(2000, 1000) << QRect(200, 100, 400, 200);
    QTest::newRow("narrower only") << QSize(500, 500) << QRect(50, 50, 100, 100);
    QTest::newRow("wider and flatter") << QSize(1500, 250) << QRect(150, 25, 300, 50);
    QTest::newRow("a tenth") << QSize(100, 50) << QRect(10, 5, 20, 10);
    // 100 * 0.333 = 33.3 and 300 * 0.333 = 99.9: the edges are rounded, not the width.
    QTest::newRow("uneven") << QSize(333, 500) << QRect(33, 50, 67, 100);
}

void tst_ElasticLayout::rectanglesScaleWithTheContainer() {
    QFETCH(QSize, size);
    QFETCH(QRect, expected);

    ElasticLayout form(1000, 500);
    auto* box = new QLineEdit(&form);
    form.place(box, 100, 50, 200, 100);
    showAt(form, size);
    QCOMPARE(box->geometry(), expected);
    QCOMPARE(form.designRect(box), QRect(100, 50, 200, 100));
}

void tst_ElasticLayout::neighboursKeepTheirSharedEdge_data() {
    QTest::addColumn<int>("width");
    for (int width : {1000, 997, 641, 333, 1279})
        QTest::newRow(qPrintable(QString::number(width))) << width;
}

void tst_ElasticLayout::neighboursKeepTheirSharedEdge() {
    QFETCH(int, width);

    ElasticLayout form(1000, 300);
    QLabel left;
    QLabel middle;
    QLabel right;
    form.place(&left, 0, 0, 333, 300);
    form.place(&middle, 333, 0, 334, 300);
    form.place(&right, 667, 0, 333, 300);
    showAt(form, QSize(width, 300));

    QCOMPARE(left.geometry().left(), 0);
    QCOMPARE(middle.geometry().left(), left.geometry().right() + 1);
    QCOMPARE(right.geometry().left(), middle.geometry().right() + 1);
    QCOMPARE(right.geometry().right(), width - 1);
}

void tst_ElasticLayout::opensWhereATextBoxIsAsTallAsALineEdit() {
    const int lineEditHeight = QLineEdit().sizeHint().height();
    QCOMPARE(ElasticLayout::openingScale(), lineEditHeight / 285.0);

    ElasticLayout form(9630, 6000);
    auto* box = new QLineEdit(&form);
    form.place(box, 120, 285, 2775, 285);
    QCOMPARE(form.openingSize(),
             QSize(qRound(9630 * lineEditHeight / 285.0), qRound(6000 * lineEditHeight / 285.0)));
    QCOMPARE(form.sizeHint(), form.openingSize());

    form.resize(form.openingSize());
    // Only the rounding of the window size to whole pixels stands between the two.
    QVERIFY(qAbs(box->height() - lineEditHeight) <= 1);
}

void tst_ElasticLayout::placingAgainMovesTheControl() {
    ElasticLayout form(1000, 1000);
    QLabel label(&form);
    showAt(form, QSize(500, 500));
    form.place(&label, 0, 0, 100, 100);
    form.place(&label, 200, 400, 600, 200);
    QCOMPARE(label.geometry(), QRect(100, 200, 300, 100));
    showAt(form, QSize(1000, 1000));
    QCOMPARE(label.geometry(), QRect(200, 400, 600, 200));
}

void tst_ElasticLayout::aDeletedControlIsForgotten() {
    ElasticLayout form(1000, 1000);
    auto label = std::make_unique<QLabel>(&form);
    QLabel* gone = label.get();
    form.place(gone, 0, 0, 100, 100);
    label.reset();
    showAt(form, QSize(700, 700)); // would touch the deleted label if it were still placed
    QCOMPARE(form.designRect(gone), QRect());
}

QTEST_MAIN(tst_ElasticLayout)
#include "tst_ElasticLayout.moc"
