#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include "basedialog.h"
#include "basewidget.h"
#include "clickablelabel.h"
#include "dialogprogress.h"
#include "menuex.h"
#include "menutoolbutton.h"
#include "qframelesswindow.h"

// Exposes the band classification and sends mouse events as the window system would.
class FramelessUnderTest : public QFramelessWindow
{
public:
    using QFramelessWindow::getResizeRegion;

    void send(QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, local, mapToGlobal(local), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &event);
    }
    void press(QPoint local) { send(QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton); }
    // A move of the cursor to a screen position while the left button is held (or not).
    void dragTo(QPoint global, bool held = true)
    {
        QCursor::setPos(global);
        QMouseEvent event(QEvent::MouseMove, mapFromGlobal(global), global, Qt::NoButton,
                          held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &event);
    }
    void releaseAt(QPoint global)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, mapFromGlobal(global), global, Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &event);
    }
    // Frameless, sized and shown at an offset from the available area's corner.
    bool showAt(QSize size, QPoint offset)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        resize(size);
        move(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + offset);
        show();
        return QTest::qWaitForWindowExposed(this);
    }
    int moves = 0;

protected:
    void moveEvent(QMoveEvent* event) override
    {
        ++moves;
        QFramelessWindow::moveEvent(event);
    }
};

class TestWindowBases : public QObject
{
    Q_OBJECT
private slots:
    void dialogFlagsAndIcon();
    void dialogKeys_data();
    void dialogKeys();
    void widgetReportsHideAndClose();
    void ensureInScreen_data();
    void ensureInScreen();
    void resizeRegions_data();
    void resizeRegions();
    void drag_data();
    void drag();
    void moveIsClamped_data();
    void moveIsClamped();
    void activationIsReported();
    void progressSetsMaximumAndValue_data();
    void progressSetsMaximumAndValue();
    void everyCloseCancelsOnce_data();
    void everyCloseCancelsOnce();
    void progressTitleAndHiding();
    void menuExClick_data();
    void menuExClick();
    void toolButtonTogglesMenu();
    void labelClicks_data();
    void labelClicks();
    void labelDoubleClick();

private:
    static QRect area() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

void TestWindowBases::dialogFlagsAndIcon()
{
    BaseDialog dialog;
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
#ifndef Q_OS_WIN
    QVERIFY(!(flags & Qt::BypassWindowManagerHint));
#endif
    QVERIFY(!dialog.windowIcon().isNull());
}

void TestWindowBases::dialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("visibleAfter");
    QTest::addColumn<int>("defaultClicks");
    QTest::newRow("escape closes") << int(Qt::Key_Escape) << false << 0;
    QTest::newRow("enter reaches the default button") << int(Qt::Key_Return) << true << 1;
    QTest::newRow("a letter changes nothing") << int(Qt::Key_A) << true << 0;
}

void TestWindowBases::dialogKeys()
{
    QFETCH(int, key);
    QFETCH(bool, visibleAfter);
    QFETCH(int, defaultClicks);
    BaseDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    layout->addWidget(ok);
    ok->setDefault(true);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key(key));
    QCOMPARE(dialog.isVisible(), visibleAfter);
    QCOMPARE(clicked.count(), defaultClicks);
}

void TestWindowBases::widgetReportsHideAndClose()
{
    struct Refusing : BaseWidget
    {
        bool refuse = false;
        void closeEvent(QCloseEvent* e) override
        {
            if (refuse)
                e->ignore();
            BaseWidget::closeEvent(e);
        }
    } widget;
    QStringList order;
    connect(&widget, &BaseWidget::hideWidget, [&order] { order << "hide"; });
    connect(&widget, &BaseWidget::closeWidget, [&order] { order << "close"; });
    widget.show();
    widget.hide();
    QCOMPARE(order, QStringList({"hide"}));
    // A window that refuses to close (unsaved text, the user chose Cancel) still ends its closeEvent
    // in the base's: the refusal must hold, and nothing reports a close.
    widget.show();
    widget.refuse = true;
    QVERIFY(!widget.close());
    QVERIFY(widget.isVisible());
    QCOMPARE(order, QStringList({"hide"}));
    widget.refuse = false;
    QVERIFY(widget.close());
    QCOMPARE(order, QStringList({"hide", "close", "hide"}));
}

void TestWindowBases::ensureInScreen_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    const QRect a = area();
    const QSize s(300, 200);
    QTest::newRow("left of the area") << QPoint(a.left() - 10, a.top() + 50) << QPoint(a.left(), a.top() + 50);
    QTest::newRow("above the area") << QPoint(a.left() + 40, a.top() - 30) << QPoint(a.left() + 40, a.top());
    QTest::newRow("past the right edge") << QPoint(a.right() + 5, a.top() + 50)
                                         << QPoint(a.right() - s.width(), a.top() + 50);
    QTest::newRow("below the bottom") << QPoint(a.left() + 40, a.bottom() + 9)
                                      << QPoint(a.left() + 40, a.bottom() - s.height());
    QTest::newRow("body over the right edge stays") << QPoint(a.right() - 100, a.top() + 50)
                                                    << QPoint(a.right() - 100, a.top() + 50);
}

void TestWindowBases::ensureInScreen()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    BaseWidget widget;
    widget.resize(300, 200);
    widget.move(from);
    widget.ensureInScreen();
    QCOMPARE(widget.pos(), to);
}

void TestWindowBases::resizeRegions_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("region");
    QTest::addColumn<int>("cursor");
    QTest::newRow("top-left corner") << QPoint(4, 4) << 8 << int(Qt::SizeFDiagCursor);
    QTest::newRow("left band at corner height") << QPoint(3, 5) << 8 << int(Qt::SizeFDiagCursor);
    QTest::newRow("top") << QPoint(100, 3) << 1 << int(Qt::SizeVerCursor);
    QTest::newRow("top-right corner") << QPoint(197, 2) << 2 << int(Qt::SizeBDiagCursor);
    QTest::newRow("right") << QPoint(197, 50) << 3 << int(Qt::SizeHorCursor);
    QTest::newRow("bottom-right corner") << QPoint(199, 99) << 4 << int(Qt::SizeFDiagCursor);
    QTest::newRow("bottom") << QPoint(100, 96) << 5 << int(Qt::SizeVerCursor);
    QTest::newRow("bottom-left corner") << QPoint(3, 97) << 6 << int(Qt::SizeBDiagCursor);
    QTest::newRow("left") << QPoint(2, 50) << 7 << int(Qt::SizeHorCursor);
    QTest::newRow("first inner point") << QPoint(5, 5) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("last inner point") << QPoint(194, 94) << 0 << int(Qt::ArrowCursor);
}

void TestWindowBases::resizeRegions()
{
    QFETCH(QPoint, point);
    QFETCH(int, region);
    QFETCH(int, cursor);
    FramelessUnderTest window;
    QVERIFY(window.showAt(QSize(200, 100), QPoint(100, 100)));
    window.setAllMouseTracking();
    if (region != 0)
        QCOMPARE(int(window.getResizeRegion(point)), region);
    window.setCursor(Qt::WaitCursor);
    window.dragTo(window.mapToGlobal(point), false);  // hovering only: nothing moves or resizes
    QCOMPARE(int(window.cursor().shape()), cursor);
    QCOMPARE(window.size(), QSize(200, 100));
}

void TestWindowBases::drag_data()
{
    QTest::addColumn<QPoint>("grab");      // window coordinates of the press
    QTest::addColumn<QPoint>("delta");     // cursor movement
    QTest::addColumn<QRect>("expected");   // relative to the window's start position
    QTest::addColumn<bool>("hideMidway");  // hidden before the release, as an owner hides the pop-up
    QTest::newRow("body moves") << QPoint(50, 40) << QPoint(30, 20) << QRect(30, 20, 200, 100) << false;
    // Fast moves leave the window behind the cursor: it follows from outside itself, too.
    QTest::newRow("body follows a fast move") << QPoint(50, 40) << QPoint(330, 120) << QRect(330, 120, 200, 100)
                                              << true;
    QTest::newRow("click in the band") << QPoint(197, 50) << QPoint(0, 0) << QRect(0, 0, 200, 100) << false;
    QTest::newRow("right edge wider") << QPoint(197, 50) << QPoint(40, 7) << QRect(0, 0, 240, 100) << true;
    QTest::newRow("bottom-right both") << QPoint(198, 98) << QPoint(-20, 10) << QRect(0, 0, 180, 110) << false;
    // The dragged left or top edge goes to the cursor.
    QTest::newRow("left edge") << QPoint(2, 50) << QPoint(-30, 0) << QRect(-28, 0, 230, 100) << false;
    QTest::newRow("top edge") << QPoint(100, 1) << QPoint(0, 25) << QRect(0, 26, 200, 75) << false;
    QTest::newRow("top-left corner") << QPoint(3, 3) << QPoint(10, 10) << QRect(13, 13, 190, 90) << false;
}

void TestWindowBases::drag()
{
    QFETCH(QPoint, grab);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    QFETCH(bool, hideMidway);
    FramelessUnderTest window;
    QVERIFY(window.showAt(QSize(200, 100), QPoint(150, 150)));
    window.setAllMouseTracking();  // as the error pop-up does
    const QPoint start = window.pos();
    auto placed = [&] { return QRect(window.pos() - start, window.size()); };

    const QPoint globalGrab = window.mapToGlobal(grab);
    window.press(grab);
    window.dragTo(globalGrab);  // the first move still lands in the band: a resize starts
    window.dragTo(globalGrab + delta);
    QCOMPARE(placed(), expected);
    // The drag goes on until release, wherever the cursor goes; it is measured from the press.
    window.dragTo(globalGrab + delta);
    QCOMPARE(placed(), expected);
    if (hideMidway) {
        window.hide();
        window.show();
    } else {
        window.releaseAt(globalGrab + delta);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }
    // Without a button held, whether or not the release was seen, nothing follows the cursor.
    window.dragTo(globalGrab + delta + QPoint(40, 50), false);
    window.dragTo(globalGrab + delta + QPoint(70, 70), false);
    QCOMPARE(placed(), expected);
}

void TestWindowBases::moveIsClamped_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("target");    // relative to the area's top-left corner
    QTest::addColumn<QPoint>("expected");  // relative to the area's top-left corner
    const QRect a = area();
    QTest::newRow("past the right edge") << QSize(300, 100) << QPoint(a.width() - 100, 50)
                                         << QPoint(a.width() - 300, 50);
    QTest::newRow("left of the area") << QSize(300, 100) << QPoint(-50, 30) << QPoint(0, 30);
    QTest::newRow("past the bottom") << QSize(300, 100) << QPoint(40, a.height() - 10)
                                     << QPoint(40, a.height() - 100);
    QTest::newRow("exactly at the corner") << QSize(300, 100) << QPoint(a.width() - 300, a.height() - 100)
                                           << QPoint(a.width() - 300, a.height() - 100);
    QTest::newRow("inside") << QSize(300, 100) << QPoint(10, 10) << QPoint(10, 10);
    QTest::newRow("wider and taller than the area") << QSize(a.width() + 50, a.height() + 40)
                                                    << QPoint(-30, 60) << QPoint(0, 0);
}

void TestWindowBases::moveIsClamped()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, target);
    QFETCH(QPoint, expected);
    const QRect a = area();
    FramelessUnderTest window;
    QVERIFY(window.showAt(size, QPoint(10, 10)));
    window.resize(size);  // the window system may have fitted it to the screen on show
    window.moves = 0;
    window.move(a.topLeft() + target);
    QCoreApplication::processEvents();
    QCOMPARE(window.pos(), a.topLeft() + expected);
    QVERIFY2(window.moves <= 2, qPrintable(QString::number(window.moves)));  // settles, no back and forth
}

void TestWindowBases::activationIsReported()
{
    FramelessUnderTest window;
    window.resize(100, 100);
    QWidget other;
    other.resize(50, 50);
    QList<bool> reported;
    connect(&window, &QFramelessWindow::activateWindow, [&reported](bool active) { reported << active; });
    window.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    reported.clear();
    QApplication::setActiveWindow(&window);
    QTRY_COMPARE(reported, QList<bool>({true}));
    QApplication::setActiveWindow(&other);
    QTRY_COMPARE(reported, QList<bool>({true, false}));
}

void TestWindowBases::progressSetsMaximumAndValue_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("busy") << QList<int>{0} << 0 << 0;
    QTest::newRow("busy then half") << QList<int>{0, 50} << 100 << 50;
    QTest::newRow("half then busy") << QList<int>{50, 0} << 0 << 0;
    QTest::newRow("full") << QList<int>{30, 100} << 100 << 100;
    QTest::newRow("past the end shows full") << QList<int>{30, 130} << 100 << 100;
}

void TestWindowBases::progressSetsMaximumAndValue()
{
    QFETCH(QList<int>, calls);
    QFETCH(int, maximum);
    QFETCH(int, value);
    DialogProgress dialog;
    for (int n : calls)
        dialog.setProgress(n);
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->value(), value);
}

void TestWindowBases::everyCloseCancelsOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "button";
    QTest::newRow("escape key") << "escape";
    QTest::newRow("title bar close") << "close";
}

void TestWindowBases::everyCloseCancelsOnce()
{
    QFETCH(QString, how);
    DialogProgress dialog;
    QSignalSpy cancelled(&dialog, &DialogProgress::cancel);
    for (int round = 1; round <= 2; ++round) {  // the client shows the same dialog for every check
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (how == "button")
            QTest::mouseClick(dialog.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(cancelled.count(), round);
    }
}

void TestWindowBases::progressTitleAndHiding()
{
    DialogProgress dialog;
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.setTitle(QStringLiteral("Checking page 2 ..."));
    QCOMPARE(dialog.findChild<QLabel*>("labelMsg")->text(), QString("Checking page 2 ..."));
    QSignalSpy cancelled(&dialog, &DialogProgress::cancel);
    dialog.show();
    dialog.hide();  // the end of a check is no cancel
    dialog.close();
    QCOMPARE(cancelled.count(), 0);
}

void TestWindowBases::menuExClick_data()
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

void TestWindowBases::menuExClick()
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

void TestWindowBases::toolButtonTogglesMenu()
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

void TestWindowBases::labelClicks_data()
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

void TestWindowBases::labelClicks()
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

void TestWindowBases::labelDoubleClick()
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

QTEST_MAIN(TestWindowBases)
#include "tst_windowbases.moc"
