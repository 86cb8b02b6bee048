#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "config.h"
#include "contextshow.h"
#include "errordisplayfixture.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"

using fixture::makeError;

class TestContextShow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void neverTakesTheFocus();
    void listsOnlyErrorsInText_data();
    void listsOnlyErrorsInText();
    void sizeFollowsListWithinBounds_data();
    void sizeFollowsListWithinBounds();
    void placedBesideError_data();
    void placedBesideError();
    void menuActionsHideFirst_data();
    void menuActionsHideFirst();
    void stepButtonsBringPointerAlong_data();
    void stepButtonsBringPointerAlong();

private:
    static QWidget* list(ContextShow& popup) { return popup.findChild<QWidget*>("widgetErrorList"); }
};

void TestContextShow::init()
{
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, false);
}

void TestContextShow::neverTakesTheFocus()
{
    ContextShow popup;
    QVERIFY(popup.testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(popup.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QVERIFY(popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(popup.isWindow());
}

void TestContextShow::listsOnlyErrorsInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("one of two occurs") << "他的书" << true << QStringList{ "的" };
    QTest::newRow("both occur") << "他的书了" << true << QStringList{ "了", "的" };
    QTest::newRow("none occurs") << "书" << false << QStringList{};
}

void TestContextShow::listsOnlyErrorsInText()
{
    QFETCH(QString, text);
    QFETCH(bool, listed);
    QFETCH(QStringList, titles);

    ContextShow popup;
    const CHECK_DATAS results{ makeError("了", { { "啦", 1 } }), nullptr, makeError("的", { { "地", 3 } }) };
    QCOMPARE(popup.showCheckData(results, text), listed);
    QStringList shown;
    for (ErrorsListGroup* group : list(popup)->findChildren<ErrorsListGroup*>())
        shown << group->title();
    QCOMPARE(shown, titles);
    if (titles.size() != 1)
        return;
    // The apply of the one listed group carries its index in the full results.
    QSignalSpy spy(&popup, &ContextShow::apply);
    list(popup)->findChild<ErrorsListItem*>()->findChild<QToolButton*>("btnApply")->click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), (QList<QVariant>{ QString("地"), 0, QString("的"), 2 }));
}

void TestContextShow::sizeFollowsListWithinBounds_data()
{
    QTest::addColumn<int>("listHeight");
    QTest::addColumn<int>("listWidth");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("heightAboveButtons");  // -1: clamped to the maximum, -2: to the minimum

    QTest::newRow("within bounds") << 150 << 200 << 215 << 160;
    QTest::newRow("tall list clamped") << 500 << 200 << 215 << -1;
    QTest::newRow("narrow list widened") << 150 << 40 << 100 << 160;
    QTest::newRow("wide list narrowed") << 150 << 900 << 350 << 160;
    QTest::newRow("emptied list") << 0 << 0 << 100 << -2;
}

void TestContextShow::sizeFollowsListWithinBounds()
{
    QFETCH(int, listHeight);
    QFETCH(int, listWidth);
    QFETCH(int, expectedWidth);
    QFETCH(int, heightAboveButtons);

    ContextShow popup;
    const int buttons = popup.findChild<QWidget*>("widgetButtons")->height();
    QVERIFY(QMetaObject::invokeMethod(list(popup), "maxHeightChanged", Q_ARG(int, listHeight), Q_ARG(int, listWidth)));
    QCOMPARE(popup.width(), expectedWidth);
    if (heightAboveButtons == -1)
        QCOMPARE(popup.height(), 350);
    else if (heightAboveButtons == -2)
        QCOMPARE(popup.height(), qMax(100, buttons + 10));
    else
        QCOMPARE(popup.height(), qBound(100, buttons + heightAboveButtons, 350));
}

void TestContextShow::placedBesideError_data()
{
    // Rectangles relative to the screen's available area, so the test holds on any screen size;
    // a negative x counts from the area's right edge.
    QTest::addColumn<QRect>("errorRect");
    QTest::addColumn<bool>("yAtTop");       // the owner's y: the error's top instead of below it
    QTest::addColumn<QString>("expected");  // "above", "right" or "left"
    QTest::addColumn<bool>("shownFirst");   // owners place the pop-up before showing it

    QTest::newRow("room above") << QRect(300, 400, 60, 20) << false << "above" << true;
    QTest::newRow("at the top: to its right") << QRect(300, 10, 60, 20) << false << "right" << true;
    QTest::newRow("at the top right corner: to its left") << QRect(-80, 10, 60, 20) << true << "left" << true;
    QTest::newRow("hidden, at the top: to its right") << QRect(300, 10, 60, 20) << false << "right" << false;
    QTest::newRow("hidden, at the top right corner: to its left") << QRect(-80, 10, 60, 20) << true << "left" << false;
}

void TestContextShow::placedBesideError()
{
    QFETCH(QRect, errorRect);
    QFETCH(bool, yAtTop);
    QFETCH(QString, expected);
    QFETCH(bool, shownFirst);

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect rect = errorRect.translated(area.topLeft());
    if (errorRect.x() < 0)
        rect.moveLeft(area.left() + area.width() + errorRect.x());
    ContextShow popup;
    popup.resize(200, 150);
    if (shownFirst) {
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
    }
    const int x = rect.left();
    const int y = yAtTop ? rect.top() : rect.bottom() + 1;
    popup.move(x, y, rect);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));

    QVERIFY(!popup.geometry().intersects(rect));
    if (expected == "above")
        QCOMPARE(popup.pos(), QPoint(x, y - rect.height() - popup.height() - 2));
    else if (expected == "right")
        QCOMPARE(popup.pos(), QPoint(rect.right() + 2, y));
    else
        QCOMPARE(popup.pos(), QPoint(rect.left() - popup.width() - 2, y));
}

void TestContextShow::menuActionsHideFirst_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("ignore once") << "actionIgnoreOnce" << QByteArray(SIGNAL(ignoreOnce()));
    QTest::newRow("ignore all") << "actionIgnoreAll" << QByteArray(SIGNAL(ignoreAll()));
    QTest::newRow("report error") << "actionReportError" << QByteArray(SIGNAL(reportError()));
    QTest::newRow("add to dictionary") << "actionAddToDict" << QByteArray(SIGNAL(addToDict()));
}

void TestContextShow::menuActionsHideFirst()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, signal);

    ContextShow popup;
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    int emitted = 0;
    bool visibleAtSignal = true;
    QSignalSpy spy(&popup, signal.constData());
    for (auto sig : { &ContextShow::ignoreOnce, &ContextShow::ignoreAll, &ContextShow::reportError,
                      &ContextShow::addToDict })
        connect(&popup, sig, [&] { ++emitted; visibleAtSignal = popup.isVisible(); });

    popup.findChild<QAction*>(action)->trigger();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(emitted, 1);
    QVERIFY(!visibleAtSignal);
}

void TestContextShow::stepButtonsBringPointerAlong_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("next") << "btnNext";
    QTest::newRow("prev") << "btnPrev";
}

void TestContextShow::stepButtonsBringPointerAlong()
{
    QFETCH(QString, button);
    ContextShow popup;
    popup.resize(200, 150);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    auto* target = popup.findChild<QToolButton*>(button);
    // The owner moves the pop-up to the next error while handling the signal.
    const QPoint newPlace = popup.pos() + QPoint(40, 30);
    auto moveAway = [&] { popup.QWidget::move(newPlace); return true; };
    connect(&popup, &ContextShow::next, moveAway);
    connect(&popup, &ContextShow::prev, moveAway);
    QCursor::setPos(0, 0);

    target->click();
    QCOMPARE(QCursor::pos(), target->mapToGlobal(QPoint(target->width() / 2, target->height() / 2)));
    QVERIFY(QCursor::pos() != QPoint(0, 0));
}

QTEST_MAIN(TestContextShow)
#include "tst_contextshow.moc"
