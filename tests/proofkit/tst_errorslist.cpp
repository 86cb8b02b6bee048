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
    void rendersSuggestionAgainstWords_data();
    void rendersSuggestionAgainstWords();
    void oneApplyPerChoice_data();
    void oneApplyPerChoice();
    void groupShowsWordsAndRows_data();
    void groupShowsWordsAndRows();
    void enableGroupStrikesTitleAndKeepsRowsUsable();
    void collapsedGroupBuildsRowsWhenOpened_data();
    void collapsedGroupBuildsRowsWhenOpened();
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

void TestErrorsList::collapsedGroupBuildsRowsWhenOpened_data()
{
    QTest::addColumn<QString>("opening");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("expand button") << "button" << true;
    QTest::newRow("title double click") << "double click" << true;
    QTest::newRow("expand all") << "expand all" << true;
    QTest::newRow("rows asked for while closed") << "items" << true;
    QTest::newRow("disabled before opening") << "button" << false;
}

void TestErrorsList::collapsedGroupBuildsRowsWhenOpened()
{
    QFETCH(QString, opening);
    QFETCH(bool, enabled);

    ErrorsList list;
    list.setNewGroupsExpanded(false);
    ErrorsListGroup* group = list.addCheckData(makeError("地确", { { "的确", 12 }, { "确实", 3 }, { "的*确", 1 } }), 5);
    QVERIFY(show(list));
    QVERIFY(!group->findChild<QWidget*>("widgetItems")->isVisible());
    QVERIFY(group->findChildren<ErrorsListItem*>().isEmpty());
    group->enableGroup(enabled);

    if (opening == "button")
        group->findChild<QToolButton*>("btnExpandGroup")->click();
    else if (opening == "double click")
        QTest::mouseDClick(label(group, "labelTitle"), Qt::LeftButton);
    else if (opening == "expand all")
        list.expandAll(true);
    QCOMPARE(group->findChild<QWidget*>("widgetItems")->isVisible(), opening != "items");

    const QList<ErrorsListItem*> rows = group->items();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(group->findChildren<ErrorsListItem*>().size(), 3);
    QSignalSpy applied(&list, &ErrorsList::apply);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i]->itemIndex(), i);
        QCOMPARE(rows[i]->groupTitle(), QString("地确"));
        rows[i]->findChild<QToolButton*>("btnApply")->click();
    }
    QCOMPARE(applied.count(), 3);
    QCOMPARE(applied.at(1), (QList<QVariant>{ QString("确实"), 1, QString("地确"), 5 }));

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(rows[0], &enter);
    QCOMPARE(rows[0]->findChild<QToolButton*>("btnApply")->isVisibleTo(rows[0]), enabled);
    QVERIFY(rows[0]->findChild<QToolButton*>("btnDict")->isVisibleTo(rows[0]));

    // A row added to an opened group comes after those built on opening.
    ErrorsListItem* added = list.addItemAt(0, QStringLiteral("的"), 2, 5, 3);
    QVERIFY(added);
    QCOMPARE(group->items().size(), 4);
    QCOMPARE(group->items().last(), added);
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

void TestErrorsList::rendersSuggestionAgainstWords_data()
{
    QTest::addColumn<QString>("suggestion");
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("grey");

    QTest::newRow("changed first character") << "的确" << "地确" << 12 << "的确 (12)" << "的" << "(12)";
    QTest::newRow("star becomes ellipsis") << "在*中" << "在其中" << -1 << "在...中" << "" << "";
    QTest::newRow("zero count shown") << "他们" << "他门" << 0 << "他们 (0)" << "们" << "(0)";
    QTest::newRow("same as words") << "书名" << "书名" << 3 << "书名 (3)" << "" << "(3)";
    QTest::newRow("empty suggestion") << "" << "的的" << 2 << "(2)" << "" << "(2)";
    QTest::newRow("markup shown literally") << "<b>x</b>" << "x" << -1 << "<b>x</b>" << "<b></b>" << "";
    QTest::newRow("entities shown literally") << "<&amp;>" << "y" << -1 << "<&amp;>" << "<&amp;>" << "";
    QTest::newRow("ampersand equal to the words") << "a&b" << "a&b" << -1 << "a&b" << "" << "";
    QTest::newRow("angle brackets of a title") << "《书名》" << "<书名>" << -1 << "《书名》" << "《》" << "";
    QTest::newRow("star inside a red run splits it") << "甲*乙" << "丙" << -1 << "甲...乙" << "甲乙" << "";
}

void TestErrorsList::rendersSuggestionAgainstWords()
{
    QFETCH(QString, suggestion);
    QFETCH(QString, words);
    QFETCH(int, count);
    QFETCH(QString, plain);
    QFETCH(QString, red);
    QFETCH(QString, grey);

    ErrorsListItem item;
    item.setText(suggestion, count, words, 0, 0);
    const fixture::Rendered shown = fixture::render(label(&item, "labelText"));
    QCOMPARE(shown.plain, plain);
    QCOMPARE(shown.red, red);
    QCOMPARE(shown.grey, grey);
}

void TestErrorsList::oneApplyPerChoice_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("applies");

    QTest::newRow("single mode: click on the text") << false << "click text" << 1;
    QTest::newRow("single mode: click beside the text") << false << "click row" << 1;
    QTest::newRow("single mode: right click on the row") << false << "right click row" << 1;
    QTest::newRow("single mode: apply button") << false << "apply button" << 1;
    QTest::newRow("double mode: click on the text") << true << "click text" << 0;
    QTest::newRow("double mode: click beside the text") << true << "click row" << 0;
    QTest::newRow("double mode: double click on the text") << true << "double click text" << 1;
    QTest::newRow("double mode: apply button") << true << "apply button" << 1;
}

void TestErrorsList::oneApplyPerChoice()
{
    QFETCH(bool, byDoubleClick);
    QFETCH(QString, gesture);
    QFETCH(int, applies);

    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, byDoubleClick);
    ErrorsListItem item;
    item.setText("的确", 1, "地确", 0, 0);
    item.resize(400, 44);
    item.show();
    QVERIFY(QTest::qWaitForWindowExposed(&item));
    QCOMPARE(item.cursor().shape(), byDoubleClick ? Qt::ArrowCursor : Qt::PointingHandCursor);

    QSignalSpy spy(&item, &ErrorsListItem::apply);
    QLabel* text = label(&item, "labelText");
    QWidget* row = item.findChild<QWidget*>("frameMore");
    const QPoint besideText(row->width() - 2, row->height() / 2);
    if (gesture == "click text") {
        QTest::mouseClick(text, Qt::LeftButton);
    } else if (gesture == "click row") {
        QTest::mouseClick(row, Qt::LeftButton, {}, besideText);
    } else if (gesture == "right click row") {
        QTest::mouseClick(row, Qt::RightButton, {}, besideText);
    } else if (gesture == "double click text") {
        QTest::mouseDClick(text, Qt::LeftButton);
    } else if (gesture == "apply button") {
        item.findChild<QToolButton*>("btnApply")->click();
    }
    QCOMPARE(spy.count(), applies);
}

QTEST_MAIN(TestErrorsList)
#include "tst_errorslist.moc"
