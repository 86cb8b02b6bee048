// The error pop-up beside an error and the error list window.
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include "checkerclient.h"
#include "config.h"
#include "contextshow.h"
#include "errordisplayfixture.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"
#include "widgeterrorlist.h"

using fixture::makeError;

class TestErrorWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
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
    void sortedByFirstPosition_data();
    void sortedByFirstPosition();
    void applyAndClickCarryIndexInResults();
    void typeFilterShowsMatchingGroups_data();
    void typeFilterShowsMatchingGroups();
    void refillFlipsSharedExpandSwitch();
    void geometrySavedOnlyAsWindow();
    void chineseTexts_data();
    void chineseTexts();
    void popupShortensLongTexts_data();
    void popupShortensLongTexts();

private:
    static QWidget* list(ContextShow& popup) { return popup.findChild<QWidget*>("widgetErrorList"); }
    static QList<ErrorsListGroup*> groups(WidgetErrorList& panel)
    {
        return panel.findChild<QWidget*>("errorList")->findChildren<ErrorsListGroup*>();
    }
    static QComboBox* combo(WidgetErrorList& panel) { return panel.findChild<QComboBox*>("cmbErrorType"); }
};

void TestErrorWindows::initTestCase()
{
    qRegisterMetaType<ErrorsListGroup*>();
}

void TestErrorWindows::init()
{
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, false);
    GetConfig()->setValueBinary(SettingKeys::WidgetShowGeometry, QByteArray());
}

void TestErrorWindows::neverTakesTheFocus()
{
    ContextShow popup;
    QVERIFY(popup.testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(popup.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QVERIFY(popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(popup.isWindow());
}

void TestErrorWindows::listsOnlyErrorsInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("one of two occurs") << "他的书" << true << QStringList{ "的" };
    QTest::newRow("both occur") << "他的书了" << true << QStringList{ "了", "的" };
    QTest::newRow("none occurs") << "书" << false << QStringList{};
}

void TestErrorWindows::listsOnlyErrorsInText()
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

void TestErrorWindows::sizeFollowsListWithinBounds_data()
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

void TestErrorWindows::sizeFollowsListWithinBounds()
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

void TestErrorWindows::placedBesideError_data()
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

void TestErrorWindows::placedBesideError()
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

void TestErrorWindows::menuActionsHideFirst_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("ignore once") << "actionIgnoreOnce" << QByteArray(SIGNAL(ignoreOnce()));
    QTest::newRow("ignore all") << "actionIgnoreAll" << QByteArray(SIGNAL(ignoreAll()));
    QTest::newRow("report error") << "actionReportError" << QByteArray(SIGNAL(reportError()));
    QTest::newRow("add to dictionary") << "actionAddToDict" << QByteArray(SIGNAL(addToDict()));
}

void TestErrorWindows::menuActionsHideFirst()
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

void TestErrorWindows::stepButtonsBringPointerAlong_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("next") << "btnNext";
    QTest::newRow("prev") << "btnPrev";
}

void TestErrorWindows::stepButtonsBringPointerAlong()
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

void TestErrorWindows::sortedByFirstPosition_data()
{
    QTest::addColumn<QList<int>>("positions");      // -1: no position
    QTest::addColumn<QList<int>>("expectedIndexes");

    QTest::newRow("equal positions keep their order") << QList<int>{ 40, 7, 7 } << QList<int>{ 1, 2, 0 };
    QTest::newRow("missing positions last") << QList<int>{ -1, 5, -1, 3 } << QList<int>{ 3, 1, 0, 2 };
    QTest::newRow("many ties") << QList<int>{ 9, 2, 9, 2, 9, 2 } << QList<int>{ 1, 3, 5, 0, 2, 4 };
}

void TestErrorWindows::sortedByFirstPosition()
{
    QFETCH(QList<int>, positions);
    QFETCH(QList<int>, expectedIndexes);

    CHECK_DATAS results;
    for (int pos : positions)
        results.push_back(makeError("地确", { { "的确", 1 } }, pos));
    WidgetErrorList panel;
    panel.setCheckData(results, "doc");
    QList<int> indexes;
    for (ErrorsListGroup* group : groups(panel))
        indexes << group->groupIndex();
    QCOMPARE(indexes, expectedIndexes);
}

void TestErrorWindows::applyAndClickCarryIndexInResults()
{
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, false);
    const CHECK_DATAS results{ makeError("甲", { { "乙", 1 } }, 40), nullptr,
                               makeError("丙", { { "丁", 2 }, { "戊", 1 } }, 7) };
    WidgetErrorList panel;
    panel.setCheckData(results, "doc");
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const auto shown = groups(panel);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0]->title(), QString("丙"));

    QSignalSpy applied(&panel, &WidgetErrorList::apply);
    shown[0]->items()[1]->findChild<QToolButton*>("btnApply")->click();
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0), (QList<QVariant>{ QString("戊"), 1, QString("丙"), 2 }));

    QSignalSpy clicked(&panel, &WidgetErrorList::groupClicked);
    QTest::mouseClick(shown[1]->findChild<QLabel*>("labelTitle"), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<ErrorsListGroup*>(), shown[1]);
    QCOMPARE(shown[1]->findChild<QLabel*>("labelTitle")->cursor().shape(), Qt::PointingHandCursor);
}

void TestErrorWindows::typeFilterShowsMatchingGroups_data()
{
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("visible");

    QTest::newRow("type 3") << 2 << 3 << QStringList{ "甲", "丙" };
    QTest::newRow("type 1") << 1 << 1 << QStringList{ "乙", "丙" };
}

void TestErrorWindows::typeFilterShowsMatchingGroups()
{
    QFETCH(int, comboIndex);
    QFETCH(int, type);
    QFETCH(QStringList, visible);

    const CHECK_DATAS results{ makeError("甲", {}, 1, { 3 }), makeError("乙", {}, 2, { 1 }),
                               makeError("丙", {}, 3, { 1, 3 }) };
    WidgetErrorList panel;
    QSignalSpy changed(&panel, &WidgetErrorList::errorTypeChanged);
    panel.setCheckData(results, "doc");
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(changed.count(), 0);
    // One entry per type with its count, after "all"; a group of two types counts for both.
    CheckerClient* client = getCheckerClient();
    QComboBox* types = combo(panel);
    QCOMPARE(types->count(), 3);
    QCOMPARE(types->currentIndex(), 0);
    QCOMPARE(types->itemText(0), WidgetErrorList::tr("All Errors") + " (3)");
    QCOMPARE(types->itemText(1), client->getErrorTypeName(1, false, false) + " (2)");
    QCOMPARE(types->itemText(2), client->getErrorTypeName(3, false, false) + " (2)");
    QCOMPARE(types->itemData(0).toInt(), -1);
    QCOMPARE(types->itemData(comboIndex).toInt(), type);
    auto visibleTitles = [&] {
        QStringList titles;
        for (ErrorsListGroup* group : groups(panel))
            if (group->isVisible())
                titles << group->title();
        return titles;
    };

    types->setCurrentIndex(comboIndex);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), type);
    QCOMPARE(visibleTitles(), visible);

    types->setCurrentIndex(0);
    QCOMPARE(changed.at(1).at(0).toInt(), -1);
    QCOMPARE(visibleTitles(), (QStringList{ "甲", "乙", "丙" }));
}

void TestErrorWindows::refillFlipsSharedExpandSwitch()
{
    const CHECK_DATAS results{ makeError("甲", { { "乙", 1 } }, 1) };
    WidgetErrorList first;
    WidgetErrorList second;
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    auto expanded = [](WidgetErrorList& panel) {
        ErrorsListGroup* group = groups(panel).last();
        return group->findChild<QWidget*>("widgetItems")->isVisibleTo(group);
    };

    first.setCheckData(results, "doc");
    const bool afterFirst = expanded(first);
    second.setCheckData(results, "doc");  // another panel flips the same switch
    QCOMPARE(expanded(second), !afterFirst);
    first.findChild<QToolButton*>("btnExpand")->click();
    QCOMPARE(expanded(first), afterFirst);
}

void TestErrorWindows::geometrySavedOnlyAsWindow()
{
    {
        WidgetErrorList embedded;
        embedded.show();
        QVERIFY(QTest::qWaitForWindowExposed(&embedded));
        embedded.move(embedded.pos() + QPoint(5, 5));
        embedded.resize(250, 300);
        QCoreApplication::processEvents();
        QVERIFY(GetConfig()->getValueBinary(SettingKeys::WidgetShowGeometry).isEmpty());
    }

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect placed;
    {
        WidgetErrorList window;
        window.showAsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.geometry().center().x() > area.center().x());  // against the right edge
        // A window of its own keeps its frame and close button and stays on top.
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::BypassWindowManagerHint));
        window.setGeometry(area.left() + 20, area.top() + 30, 260, 280);
        QCoreApplication::processEvents();
        QVERIFY(!GetConfig()->getValueBinary(SettingKeys::WidgetShowGeometry).isEmpty());
        placed = window.geometry();
    }

    WidgetErrorList again;
    again.showAsDialog();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.geometry(), placed);
}

void TestErrorWindows::chineseTexts_data()
{
    QTest::addColumn<QString>("object");   // "": the window itself
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("expected");

    QTest::newRow("list title") << "" << QByteArray("windowTitle") << "错误列表[ doc ]";
    QTest::newRow("type names end in error") << "labelTitle2" << QByteArray("text") << "错误";
    QTest::newRow("apply") << "btnApply" << QByteArray("toolTip") << "应用";
    QTest::newRow("pop-up title") << "popup" << QByteArray("windowTitle") << "错误";
    QTest::newRow("pop-up ignore all") << "actionIgnoreAll" << QByteArray("text") << "忽略所有";
}

void TestErrorWindows::chineseTexts()
{
    QFETCH(QString, object);
    QFETCH(QByteArray, property);
    QFETCH(QString, expected);

    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/translations/proofkit_zh_CN.qm")));
    QCoreApplication::installTranslator(&translator);
    WidgetErrorList panel;
    panel.setCheckData({ makeError("甲", { { "乙", 1 } }, 1) }, "doc");
    ContextShow popup;
    QCoreApplication::removeTranslator(&translator);

    QObject* target = object.isEmpty() ? static_cast<QObject*>(&panel)
                      : object == "popup" ? static_cast<QObject*>(&popup)
                                          : panel.findChild<QObject*>(object);
    if (!target)
        target = popup.findChild<QObject*>(object);
    QVERIFY(target);
    QCOMPARE(target->property(property).toString().right(expected.size()), expected);
    QCOMPARE(combo(panel)->itemText(0), QStringLiteral("所有错误 (1)"));
}

void TestErrorWindows::popupShortensLongTexts_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("suggestion");
    const QString longText = QString("这是一段很长的文字").repeated(6);
    QTest::newRow("short texts whole") << "他门" << "他们";
    QTest::newRow("long flagged words") << longText << "他们";
    QTest::newRow("long suggestion") << "他门" << longText + "们";
    QTest::newRow("both long") << longText << longText + "们";
}

void TestErrorWindows::popupShortensLongTexts()
{
    QFETCH(QString, words);
    QFETCH(QString, suggestion);
    const QByteArray wordsBytes = words.toUtf8();
    const QByteArray suggestionBytes = suggestion.toUtf8();
    ContextShow popup;
    const CHECK_DATAS results{ makeError(wordsBytes.constData(), { { suggestionBytes.constData(), 3 } }, 0, { 1 }) };
    QVERIFY(popup.showCheckData(results, words));
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    QTRY_VERIFY(popup.width() <= 350);

    auto* area = list(popup)->findChild<QScrollArea*>();
    QVERIFY(!area->horizontalScrollBar()->isVisible());
    // The type names stay in view, and each shortened text is whole in its tool tip.
    auto* group = list(popup)->findChild<ErrorsListGroup*>();
    auto* types = group->findChild<QLabel*>("labelTitle2");
    QVERIFY(!types->text().isEmpty());
    QVERIFY(types->mapTo(area->viewport(), QPoint(types->width(), 0)).x() <= area->viewport()->width());
    const QLabel* title = group->findChild<QLabel*>("labelTitle");
    const QString shownWords = fixture::render(title).plain;
    const bool wordsCut = words.size() > 20;
    QCOMPARE(shownWords.endsWith(QChar(0x2026)), wordsCut);
    QCOMPARE(title->toolTip(), wordsCut ? words : QString());
    QVERIFY(words.startsWith(shownWords.left(shownWords.size() - 1)));
    auto* item = group->findChild<ErrorsListItem*>();
    const bool suggestionCut = suggestion.size() > 20;
    QCOMPARE(item->toolTip(), suggestionCut ? suggestion : QString());
    QCOMPARE(fixture::render(item->findChild<QLabel*>("labelText")).plain.contains(QChar(0x2026)), suggestionCut);
}

QTEST_MAIN(TestErrorWindows)
#include "tst_errorwindows.moc"
