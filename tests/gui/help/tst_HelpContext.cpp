#include "gui/help/HelpContext.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QtTest>

class tst_HelpContext : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numbersBelongToTheirObject();
    void aControlWithoutATopicUsesItsWindows();
};

void tst_HelpContext::numbersBelongToTheirObject() {
    QMainWindow window;
    QMenu menu(&window);
    QAction* item = menu.addAction(QStringLiteral("&Backup"));
    auto* box = new QLineEdit(&window);

    setHelpContext(item, 33);
    setHelpContext(box, 16);
    QCOMPARE(helpContext(item), 33);
    QCOMPARE(helpContext(box), 16);
    QCOMPARE(helpContext(&menu), 0);
    QCOMPARE(helpContext(nullptr), 0);

    setHelpContext(box, 17);
    QCOMPARE(helpContext(box), 17);
}

void tst_HelpContext::aControlWithoutATopicUsesItsWindows() {
    QMainWindow window;
    auto* page = new QWidget(&window);
    auto* plain = new QLineEdit(page);
    auto* own = new QLineEdit(page);
    setHelpContext(&window, 8);
    setHelpContext(own, 16);

    QCOMPARE(effectiveHelpContext(plain), 8);
    QCOMPARE(effectiveHelpContext(own), 16);
    QCOMPARE(effectiveHelpContext(page), 8);
    QCOMPARE(effectiveHelpContext(nullptr), 0);
    QLineEdit alone;
    QCOMPARE(effectiveHelpContext(&alone), 0);
}

QTEST_MAIN(tst_HelpContext)
#include "tst_HelpContext.moc"
