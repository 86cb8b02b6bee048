#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "config.h"
#include "errordisplayfixture.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"

using fixture::makeError;

class TestErrorsList : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void groupShowsWordsAndRows_data();
    void groupShowsWordsAndRows();
    void enableGroupStrikesTitleAndKeepsRowsUsable();
    void oneHighlightedGroupAtATime();
    void clearHidesGroupsAndReportsZeroSize();
    void sizeReportedOnceForUnchangedContent();
    void dictButtonsFollowSetting_data();
    void dictButtonsFollowSetting();

private:
    static QLabel* label(QWidget* w, const char* name) { return w->findChild<QLabel*>(name); }
    static bool show(ErrorsList& list)
    {
        list.addStretch();
        list.show();
        return QTest::qWaitForWindowExposed(&list);
    }
};

void TestErrorsList::init()
{
    GetConfig()->setValueBool(SettingKeys::ShowDictTip, true);
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, false);
}

void TestErrorsList::groupShowsWordsAndRows_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("suggestions");
    QTest::addColumn<QString>("shownTitle");

    QTest::newRow("plain words") << "地确" << 2 << "地确";
    QTest::newRow("words with markup") << "<书名>" << 1 << "<书名>";
    QTest::newRow("no suggestions") << "的的" << 0 << "的的";
}

void TestErrorsList::groupShowsWordsAndRows()
{
    QFETCH(QString, words);
    QFETCH(int, suggestions);
    QFETCH(QString, shownTitle);

    std::vector<fixture::Suggestion> values;
    const QByteArray wordsUtf8 = words.toUtf8();
    for (int i = 0; i < suggestions; ++i)
        values.push_back({ i == 0 ? "的确" : "的却", 10 - i });
    ErrorsList list;
    ErrorsListGroup* group = list.addCheckData(makeError(wordsUtf8.constData(), values), 4);
    QVERIFY(group);
    QCOMPARE(group->title(), words);
    QCOMPARE(group->groupIndex(), 4);
    QCOMPARE(fixture::render(label(group, "labelTitle")).plain, shownTitle);
    QCOMPARE(group->items().size(), suggestions);
    for (int i = 0; i < suggestions; ++i) {
        QCOMPARE(group->items()[i]->itemIndex(), i);
        QCOMPARE(group->items()[i]->groupIndex(), 4);
    }
    QVERIFY(label(group, "labelTitle2")->text().endsWith(ErrorsList::tr("error")));
}

void TestErrorsList::enableGroupStrikesTitleAndKeepsRowsUsable()
{
    ErrorsList list;
    ErrorsListGroup* group = list.addCheckData(makeError("地确", { { "的确", 12 } }), 0);
    QVERIFY(show(list));

    list.enableGroupAt(0, false);
    for (const char* name : { "labelTitle", "labelTitle2" }) {
        QVERIFY(label(group, name)->font().strikeOut());
        QVERIFY(!label(group, name)->isEnabled());
    }
    ErrorsListItem* row = group->items()[0];
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(row, &enter);
    QVERIFY(!row->findChild<QToolButton*>("btnApply")->isVisible());

    QSignalSpy spy(&list, &ErrorsList::apply);
    QTest::mouseClick(label(row, "labelText"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);

    group->enableGroup(true);
    QVERIFY(!label(group, "labelTitle")->font().strikeOut());
    QVERIFY(label(group, "labelTitle2")->isEnabled());
}

void TestErrorsList::oneHighlightedGroupAtATime()
{
    ErrorsList list;
    ErrorsListGroup* first = list.addCheckData(makeError("地确", { { "的确", 1 } }), 0);
    ErrorsListGroup* second = list.addCheckData(makeError("他门"), 1);
    QVERIFY(show(list));
    auto titleColor = [](ErrorsListGroup* g) {
        QLabel* l = g->findChild<QLabel*>("labelTitle");
        return l->palette().color(l->foregroundRole());
    };

    QSignalSpy clicked(first, &ErrorsListGroup::clicked);
    QTest::mouseClick(label(first, "labelTitle"), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(titleColor(first), QColor(Qt::blue));
    QCOMPARE(titleColor(second), QColor(Qt::black));

    QTest::mouseClick(label(second, "labelTitle2"), Qt::LeftButton);
    QCOMPARE(titleColor(first), QColor(Qt::black));
    QCOMPARE(titleColor(second), QColor(Qt::blue));

    // A double click on the title folds the rows away and back, highlighting the group.
    QWidget* rows = first->findChild<QWidget*>("widgetItems");
    QVERIFY(rows->isVisible());
    QSignalSpy highlighted(first, &ErrorsListGroup::highlightGroup);
    QTest::mouseDClick(label(first, "labelTitle"), Qt::LeftButton);
    QVERIFY(!rows->isVisible());
    QVERIFY(highlighted.count() >= 1);
    QTest::mouseDClick(label(first, "labelTitle"), Qt::LeftButton);
    QVERIFY(rows->isVisible());
}

void TestErrorsList::clearHidesGroupsAndReportsZeroSize()
{
    ErrorsList list;
    ErrorsListGroup* group = list.addCheckData(makeError("地确", { { "的确", 1 } }), 0);
    QVERIFY(show(list));
    QVERIFY(group->isVisible());

    QSignalSpy size(&list, &ErrorsList::maxHeightChanged);
    QPointer<ErrorsListGroup> watched(group);
    list.clear();
    QCOMPARE(size.count(), 1);
    QCOMPARE(size.at(0), (QList<QVariant>{ 0, 0 }));
    QVERIFY(list.groups().isEmpty());
    QVERIFY(!group->isVisible());
    QTRY_VERIFY(watched.isNull());
}

void TestErrorsList::sizeReportedOnceForUnchangedContent()
{
    ErrorsList list;
    list.resize(191, 205);
    list.addCheckData(makeError("地确", { { "的确", 12 }, { "的却", 1 } }), 0);
    list.addCheckData(makeError("他门", { { "他们", 5 } }), 1);
    list.addStretch();

    QSignalSpy size(&list, &ErrorsList::maxHeightChanged);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(size.count(), 1);
    const int height = size.at(0).at(0).toInt();
    int groupsHeight = 0;
    for (ErrorsListGroup* group : list.groups())
        groupsHeight += group->height();
    QCOMPARE(height, groupsHeight);
    QVERIFY(size.at(0).at(1).toInt() > 48);

    list.hide();
    list.show();
    QCOMPARE(size.count(), 1);
}

void TestErrorsList::dictButtonsFollowSetting_data()
{
    QTest::addColumn<bool>("showDictTip");
    QTest::newRow("shown on hover") << true;
    QTest::newRow("never shown") << false;
}

void TestErrorsList::dictButtonsFollowSetting()
{
    QFETCH(bool, showDictTip);
    GetConfig()->setValueBool(SettingKeys::ShowDictTip, showDictTip);
    ErrorsList list;
    list.clear();  // the setting is read again for each fill
    ErrorsListGroup* group = list.addCheckData(makeError("地确", { { "的确", 1 } }), 0);
    QVERIFY(show(list));

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(group, &enter);
    QApplication::sendEvent(group->items()[0], &enter);
    QCOMPARE(group->findChild<QToolButton*>("btnDict")->isVisible(), showDictTip);
    QCOMPARE(group->items()[0]->findChild<QToolButton*>("btnDict")->isVisible(), showDictTip);
}

QTEST_MAIN(TestErrorsList)
#include "tst_errorslist.moc"
