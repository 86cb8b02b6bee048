#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QWidget>

#include "clickablelabel.h"
#include "menuex.h"
#include "menutoolbutton.h"

class TestMenus : public QObject
{
    Q_OBJECT
private slots:
    void menuExClick_data();
    void menuExClick();
    void toolButtonTogglesMenu();
    void labelClicks_data();
    void labelClicks();
    void labelDoubleClick();
};

void TestMenus::menuExClick_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("triggered");
    QTest::addColumn<bool>("checkedAfter");
    QTest::addColumn<bool>("menuOpenAfter");
    QTest::newRow("checkable entry toggles, menu stays") << true << true << 1 << true << true;
    QTest::newRow("plain entry triggers and closes") << false << true << 1 << false << false;
    QTest::newRow("disabled checkable entry does nothing") << true << false << 0 << false << true;
}

void TestMenus::menuExClick()
{
    QFETCH(bool, checkable);
    QFETCH(bool, enabled);
    QFETCH(int, triggered);
    QFETCH(bool, checkedAfter);
    QFETCH(bool, menuOpenAfter);

    MenuEx menu;
    menu.addAction(QStringLiteral("First entry"));
    QAction* action = menu.addAction(QStringLiteral("Entry under test"));
    action->setCheckable(checkable);
    action->setEnabled(enabled);
    QSignalSpy spy(action, &QAction::triggered);

    menu.popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    const QPoint centre = menu.actionGeometry(action).center();
    QTest::mouseMove(&menu, centre);
    QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, centre);

    QCOMPARE(spy.count(), triggered);
    QCOMPARE(action->isChecked(), checkedAfter);
    QCOMPARE(menu.isVisible(), menuOpenAfter);
    if (checkable && enabled) {
        // A second click on the still open menu switches it back.
        QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, centre);
        QCOMPARE(action->isChecked(), false);
        QVERIFY(menu.isVisible());
    }
    menu.close();
}

void TestMenus::toolButtonTogglesMenu()
{
    QWidget window;
    window.resize(200, 100);
    MenuToolButton button(&window);
    button.setGeometry(20, 10, 40, 30);
    QMenu menu;
    menu.addAction(QStringLiteral("Check"));
    button.setPopupMenu(&menu);
    QCOMPARE(button.popupMenu(), &menu);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Clicks go through the window system as a user's would, so the open menu sees the press first;
    // the release comes after the press has been dealt with, as a hand's would.
    const QPoint onButton = button.mapTo(&window, QPoint(10, 10));
    QCursor::setPos(window.mapToGlobal(onButton));
    auto click = [&window, onButton] {
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, onButton);
        QTest::qWait(20);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, onButton);
        QTest::qWait(20);
    };
    click();
    QVERIFY(menu.isVisible());
    QCOMPARE(menu.pos(), button.mapToGlobal(button.rect().bottomLeft()));
    click();
    QVERIFY(!menu.isVisible());
    click();
    QVERIFY(menu.isVisible());
    QVERIFY(!button.isDown());
    // Closed from elsewhere (Escape, a click beside it), the next click opens it again.
    menu.close();
    click();
    QVERIFY(menu.isVisible());
    menu.close();
}

void TestMenus::labelClicks_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("moveBy");  // horizontal distance between press and release
    QTest::addColumn<QString>("signal");
    const int drag = QApplication::startDragDistance();
    QTest::newRow("left click") << int(Qt::LeftButton) << 0 << "left";
    QTest::newRow("right click") << int(Qt::RightButton) << 0 << "right";
    QTest::newRow("middle click") << int(Qt::MiddleButton) << 0 << "middle";
    QTest::newRow("small wobble still clicks") << int(Qt::LeftButton) << drag - 1 << "left";
    QTest::newRow("drag distance is no click") << int(Qt::LeftButton) << drag << "";
    QTest::newRow("other button") << int(Qt::BackButton) << 0 << "";
}

void TestMenus::labelClicks()
{
    QFETCH(int, button);
    QFETCH(int, moveBy);
    QFETCH(QString, signal);
    ClickableLabel label(QStringLiteral("status"));
    label.resize(200, 40);
    QSignalSpy left(&label, &ClickableLabel::mouseLeftClick);
    QSignalSpy right(&label, &ClickableLabel::mouseRightClick);
    QSignalSpy middle(&label, &ClickableLabel::mouseMiddleClick);

    const auto b = Qt::MouseButton(button);
    QTest::mousePress(&label, b, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&label, b, Qt::NoModifier, QPoint(10 + moveBy, 10));

    QCOMPARE(left.count(), signal == "left" ? 1 : 0);
    QCOMPARE(right.count(), signal == "right" ? 1 : 0);
    QCOMPARE(middle.count(), signal == "middle" ? 1 : 0);
}

void TestMenus::labelDoubleClick()
{
    ClickableLabel label;
    label.resize(100, 30);
    QStringList order;
    connect(&label, &ClickableLabel::mouseLeftClick, [&order] { order << "left"; });
    connect(&label, &ClickableLabel::mouseDoubleClick, [&order] { order << "double"; });
    // What the window system delivers for a double click: the second press comes as a double click.
    const QPoint at(20, 10);
    auto send = [&label, at](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, at, label.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&label, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    QCOMPARE(order, QStringList({"left", "double", "left"}));
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
