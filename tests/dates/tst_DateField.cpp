#include "dates/DateField.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class tst_DateField : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typingRaisesTextChanged();
    void setTextRaisesTextChanged();
    void returnAddsNothingToTheList();
    void dropDownButtonAsksForTheCalendar_data();
    void dropDownButtonAsksForTheCalendar();
};

void tst_DateField::typingRaisesTextChanged() {
    DateField field;
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QSignalSpy changed(&field, &DateField::textChanged);

    QTest::keyClicks(field.lineEdit(), "5/30/98");
    QCOMPARE(changed.size(), 7);
    QCOMPARE(changed.last().at(0).toString(), QString("5/30/98"));
    QCOMPARE(field.text(), QString("5/30/98"));

    QTest::keyClick(field.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(changed.size(), 8);
    QCOMPARE(field.text(), QString("5/30/9"));
}

void tst_DateField::setTextRaisesTextChanged() {
    DateField field;
    QSignalSpy changed(&field, &DateField::textChanged);
    field.setText("30.05.1998");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toString(), QString("30.05.1998"));
    QCOMPARE(field.text(), QString("30.05.1998"));
    QCOMPARE(field.lineEdit()->text(), QString("30.05.1998"));

    field.setText("");
    QCOMPARE(changed.size(), 2);
    QVERIFY(field.text().isEmpty());
}

void tst_DateField::returnAddsNothingToTheList() {
    DateField field;
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QTest::keyClicks(field.lineEdit(), "1/2/2000");
    QTest::keyClick(field.lineEdit(), Qt::Key_Return);
    QCOMPARE(field.count(), 0);
    QCOMPARE(field.text(), QString("1/2/2000"));
}

void tst_DateField::dropDownButtonAsksForTheCalendar_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("showPopup") << "showPopup";
    QTest::newRow("arrow clicked") << "click";
    QTest::newRow("Alt+Down") << "alt+down";
    QTest::newRow("F4") << "f4";
}

void tst_DateField::dropDownButtonAsksForTheCalendar() {
    QFETCH(QString, how);
    DateField field;
    field.resize(160, field.sizeHint().height());
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setFocus();
    field.setText("5/30/1998");
    QSignalSpy dropDown(&field, &DateField::dropDown);

    if (how == "showPopup")
        field.showPopup();
    else if (how == "click")
        QTest::mouseClick(&field, Qt::LeftButton, {},
                          QPoint(field.width() - 6, field.height() / 2));
    else if (how == "alt+down")
        QTest::keyClick(field.lineEdit(), Qt::Key_Down, Qt::AltModifier);
    else
        QTest::keyClick(field.lineEdit(), Qt::Key_F4);

    QCOMPARE(dropDown.size(), 1);
    QVERIFY(!field.view()->isVisible());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QCOMPARE(field.text(), QString("5/30/1998"));
}

QTEST_MAIN(tst_DateField)
#include "tst_DateField.moc"
