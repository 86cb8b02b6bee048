#include <QComboBox>
#include <QLabel>
#include <QScreen>
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

class TestWidgetErrorList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void sortedByFirstPosition_data();
    void sortedByFirstPosition();
    void applyAndClickCarryIndexInResults();
    void typeFilterShowsMatchingGroups_data();
    void typeFilterShowsMatchingGroups();
    void refillFlipsSharedExpandSwitch();
    void geometrySavedOnlyAsWindow();
    void chineseTexts_data();
    void chineseTexts();

private:
    static QList<ErrorsListGroup*> groups(WidgetErrorList& panel)
    {
        return panel.findChild<QWidget*>("errorList")->findChildren<ErrorsListGroup*>();
    }
    static QComboBox* combo(WidgetErrorList& panel) { return panel.findChild<QComboBox*>("cmbErrorType"); }
};

void TestWidgetErrorList::initTestCase()
{
    qRegisterMetaType<ErrorsListGroup*>();
}

void TestWidgetErrorList::init()
{
    GetConfig()->setValueBinary(SettingKeys::WidgetShowGeometry, QByteArray());
}

void TestWidgetErrorList::sortedByFirstPosition_data()
{
    QTest::addColumn<QList<int>>("positions");      // -1: no position
    QTest::addColumn<QList<int>>("expectedIndexes");

    QTest::newRow("equal positions keep their order") << QList<int>{ 40, 7, 7 } << QList<int>{ 1, 2, 0 };
    QTest::newRow("missing positions last") << QList<int>{ -1, 5, -1, 3 } << QList<int>{ 3, 1, 0, 2 };
    QTest::newRow("many ties") << QList<int>{ 9, 2, 9, 2, 9, 2 } << QList<int>{ 1, 3, 5, 0, 2, 4 };
}

void TestWidgetErrorList::sortedByFirstPosition()
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

void TestWidgetErrorList::applyAndClickCarryIndexInResults()
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

void TestWidgetErrorList::typeFilterShowsMatchingGroups_data()
{
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("visible");

    QTest::newRow("type 3") << 2 << 3 << QStringList{ "甲", "丙" };
    QTest::newRow("type 1") << 1 << 1 << QStringList{ "乙", "丙" };
}

void TestWidgetErrorList::typeFilterShowsMatchingGroups()
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

void TestWidgetErrorList::refillFlipsSharedExpandSwitch()
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

void TestWidgetErrorList::geometrySavedOnlyAsWindow()
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

void TestWidgetErrorList::chineseTexts_data()
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

void TestWidgetErrorList::chineseTexts()
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

QTEST_MAIN(TestWidgetErrorList)
#include "tst_widgeterrorlist.moc"
