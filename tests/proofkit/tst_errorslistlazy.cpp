// A long result builds only the groups that can be seen; these tests check that what is built
// later, by scrolling or on request, is the same as what a whole build would have shown.

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "config.h"
#include "contextshow.h"
#include "errordisplayfixture.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"
#include "widgeterrorlist.h"

namespace {

constexpr int kErrors = 200;
constexpr int kIndexBase = 1000;
const char* const kSuggestions[] = { "的确", "确实", "的*确" };

// Error i: words "词<i>", i % 4 suggestions, type 1 + i % 3, carried back as index 1000 + i.
QByteArray wordsOf(int i)
{
    return QStringLiteral("词%1").arg(i).toUtf8();
}

int rowsOf(int i)
{
    return i % 4;
}

std::shared_ptr<CheckData> errorAt(int i)
{
    std::vector<fixture::Suggestion> values;
    for (int j = 0; j < rowsOf(i); ++j)
        values.push_back({ kSuggestions[j], 10 - j });
    return fixture::makeError(wordsOf(i).constData(), values, i * 10, { 1 + i % 3 });
}

CHECK_DATAS longResult()
{
    CHECK_DATAS results;
    for (int i = 0; i < kErrors; ++i)
        results.push_back(errorAt(i));
    return results;
}

void fill(ErrorsList& list, bool expanded)
{
    list.resize(300, 400);
    list.setNewGroupsExpanded(expanded);
    for (int i = 0; i < kErrors; ++i)
        QVERIFY(list.addCheckDataWhenShown(errorAt(i), kIndexBase + i));
    list.addStretch();
}

// Positions of the groups built so far, read without building any.
QSet<int> builtPositions(QWidget& list)
{
    QSet<int> built;
    for (const ErrorsListGroup* group : list.findChildren<ErrorsListGroup*>())
        built.insert(group->groupIndex() - kIndexBase);
    return built;
}

QLayout* column(QWidget& list)
{
    return list.findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents"))->layout();
}

QScrollBar* scrollBar(QWidget& list)
{
    return list.findChild<QScrollArea*>()->verticalScrollBar();
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

bool showList(QWidget& list)
{
    list.show();
    const bool exposed = QTest::qWaitForWindowExposed(&list);
    settle();
    return exposed;
}

// Every place of the column that lies in the viewport holds its own group, built and shown.
void verifyViewFilled(QWidget& list)
{
    QWidget* contents = list.findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents"));
    const int top = -contents->y();
    const int bottom = top + list.findChild<QScrollArea*>()->viewport()->height();
    int seen = 0;
    for (int i = 0; i < kErrors; ++i) {
        QLayoutItem* place = column(list)->itemAt(i);
        const QRect r = place->geometry();
        if (r.height() <= 0 || r.bottom() < top || r.top() >= bottom)
            continue;
        auto* group = qobject_cast<ErrorsListGroup*>(place->widget());
        QVERIFY2(group, qPrintable(QStringLiteral("place %1 in view is empty").arg(i)));
        QCOMPARE(group->groupIndex(), kIndexBase + i);
        QVERIFY(group->isVisible());
        ++seen;
    }
    QVERIFY(seen > 0);
}

} // namespace

class TestErrorsListLazy : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void groupAskedForCarriesItsData_data();
    void groupAskedForCarriesItsData();
    void scrollingBuildsGroupsInView_data();
    void scrollingBuildsGroupsInView();
    void heldPlacesMatchBuiltGroups_data();
    void heldPlacesMatchBuiltGroups();
    void stateSetBeforeBuildReachesGroup_data();
    void stateSetBeforeBuildReachesGroup();
    void windowFiltersAndCountsLongResult_data();
    void windowFiltersAndCountsLongResult();
    void popupTracksMouseOverLateForms_data();
    void popupTracksMouseOverLateForms();
};

void TestErrorsListLazy::initTestCase()
{
    qRegisterMetaType<ErrorsListGroup*>();
}

void TestErrorsListLazy::init()
{
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, false);
    GetConfig()->setValueBinary(SettingKeys::WidgetShowGeometry, QByteArray());
}

void TestErrorsListLazy::groupAskedForCarriesItsData_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("expanded");

    QTest::newRow("first, open") << 0 << true;
    QTest::newRow("far down, open") << 151 << true;
    QTest::newRow("far down, closed") << 151 << false;
    QTest::newRow("last, closed") << kErrors - 1 << false;
    QTest::newRow("last, open, no suggestions") << kErrors - 4 << true;
}

void TestErrorsListLazy::groupAskedForCarriesItsData()
{
    QFETCH(int, position);
    QFETCH(bool, expanded);

    ErrorsList list;
    fill(list, expanded);
    QVERIFY(builtPositions(list).size() < kErrors / 4);
    QCOMPARE(builtPositions(list).contains(position), position == 0);

    ErrorsListGroup* group = list.groupAt(position);
    QVERIFY(group);
    QCOMPARE(list.groupAt(position), group);
    QCOMPARE(column(list)->itemAt(position)->widget(), group);
    QCOMPARE(group->title(), QString::fromUtf8(wordsOf(position)));
    QCOMPARE(group->groupIndex(), kIndexBase + position);
    QCOMPARE(group->findChild<QWidget*>(QStringLiteral("widgetItems"))->isVisibleTo(group), expanded);

    const QList<ErrorsListItem*> rows = group->items();
    QCOMPARE(rows.size(), rowsOf(position));
    for (int j = 0; j < rows.size(); ++j) {
        QCOMPARE(rows[j]->itemTitle(), QString::fromUtf8(kSuggestions[j]));
        QCOMPARE(rows[j]->itemIndex(), j);
        QCOMPARE(rows[j]->groupIndex(), kIndexBase + position);
        QCOMPARE(rows[j]->groupTitle(), group->title());
    }
    if (rows.isEmpty())
        return;
    // A row built late is connected like the others: its choice leaves through the list.
    QSignalSpy applied(&list, &ErrorsList::apply);
    rows.last()->findChild<QToolButton*>(QStringLiteral("btnApply"))->click();
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0), (QList<QVariant>{ rows.last()->itemTitle(), rows.size() - 1, group->title(),
                                              kIndexBase + position }));
}

void TestErrorsListLazy::scrollingBuildsGroupsInView_data()
{
    QTest::addColumn<bool>("expanded");
    QTest::addColumn<double>("scrolledTo");

    QTest::newRow("closed, top") << false << 0.0;
    QTest::newRow("closed, middle") << false << 0.5;
    QTest::newRow("closed, end") << false << 1.0;
    QTest::newRow("open, a quarter down") << true << 0.25;
    QTest::newRow("open, end") << true << 1.0;
}

void TestErrorsListLazy::scrollingBuildsGroupsInView()
{
    QFETCH(bool, expanded);
    QFETCH(double, scrolledTo);

    ErrorsList list;
    fill(list, expanded);
    QVERIFY(showList(list));
    QScrollBar* bar = scrollBar(list);
    QVERIFY(bar->maximum() > 0);
    bar->setValue(int(bar->maximum() * scrolledTo));
    settle();

    verifyViewFilled(list);
    QVERIFY(builtPositions(list).size() < kErrors / 2);
}

void TestErrorsListLazy::heldPlacesMatchBuiltGroups_data()
{
    QTest::addColumn<bool>("expanded");
    QTest::newRow("closed groups") << false;
    QTest::newRow("open groups") << true;
}

void TestErrorsListLazy::heldPlacesMatchBuiltGroups()
{
    QFETCH(bool, expanded);

    ErrorsList list;
    fill(list, expanded);
    QVERIFY(showList(list));
    QSignalSpy size(&list, &ErrorsList::maxHeightChanged);
    const int range = scrollBar(list)->maximum();
    QWidget* contents = list.findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents"));
    const int height = contents->height();

    // Building everything must not move the scroll range nor widen the column: the places held had
    // the groups' size.
    QCOMPARE(list.groups().size(), kErrors);
    settle();
    QCOMPARE(contents->height(), height);
    QCOMPARE(scrollBar(list)->maximum(), range);
    list.updateMaxSize();
    QCOMPARE(size.count(), 0);
}

void TestErrorsListLazy::stateSetBeforeBuildReachesGroup_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("hidden") << "hidden";
    QTest::newRow("hidden and shown again") << "shown";
    QTest::newRow("struck out by its result index") << "struck";
    QTest::newRow("opened with the others") << "expand";
    QTest::newRow("closed with the others") << "collapse";
}

void TestErrorsListLazy::stateSetBeforeBuildReachesGroup()
{
    QFETCH(QString, change);
    const int position = 150;  // three suggestions

    ErrorsList list;
    fill(list, change != "expand");
    QVERIFY(!builtPositions(list).contains(position));
    if (change == "hidden" || change == "shown")
        list.setGroupShown(position, false);
    if (change == "shown")
        list.setGroupShown(position, true);
    if (change == "struck")
        list.enableGroupAt(kIndexBase + position, false);
    if (change == "expand" || change == "collapse")
        list.expandAll(change == "expand");
    QVERIFY(!builtPositions(list).contains(position));

    ErrorsListGroup* group = list.groupAt(position);
    QVERIFY(group);
    QCOMPARE(group->isHidden(), change == "hidden");
    auto* title = group->findChild<QLabel*>(QStringLiteral("labelTitle"));
    QCOMPARE(title->font().strikeOut(), change == "struck");
    const bool open = change != "collapse";
    QCOMPARE(group->findChild<QWidget*>(QStringLiteral("widgetItems"))->isVisibleTo(group), open);
    // A closed group still waits to build its rows.
    QCOMPARE(group->findChildren<ErrorsListItem*>().size(), open ? rowsOf(position) : 0);
}

void TestErrorsListLazy::windowFiltersAndCountsLongResult_data()
{
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<int>("type");  // -1: every type

    QTest::newRow("all errors") << 0 << -1;
    QTest::newRow("type 1") << 1 << 1;
    QTest::newRow("type 3") << 3 << 3;
}

void TestErrorsListLazy::windowFiltersAndCountsLongResult()
{
    QFETCH(int, comboIndex);
    QFETCH(int, type);

    WidgetErrorList panel;
    panel.resize(340, 500);
    panel.setCheckData(longResult(), QStringLiteral("long"));

    // The counts cover the whole result, built or not.
    auto* combo = panel.findChild<QComboBox*>(QStringLiteral("cmbErrorType"));
    QCOMPARE(combo->count(), 4);
    QVERIFY(combo->itemText(0).endsWith(QStringLiteral(" (%1)").arg(kErrors)));
    for (int t = 1; t <= 3; ++t) {
        const int count = (kErrors + 3 - t) / 3;
        QVERIFY(combo->itemText(t).endsWith(QStringLiteral(" (%1)").arg(count)));
    }

    combo->setCurrentIndex(comboIndex);
    QVERIFY(showList(panel));
    auto* list = panel.findChild<ErrorsList*>();
    QScrollBar* bar = scrollBar(*list);
    bar->setValue(bar->maximum());
    settle();

    const QList<ErrorsListGroup*> built = list->findChildren<ErrorsListGroup*>();
    QVERIFY(built.size() < kErrors / 2);
    ErrorsListGroup* lastShown = nullptr;
    for (ErrorsListGroup* group : built) {
        const int i = group->groupIndex();  // the window numbers the errors by their place
        const bool matches = type == -1 || 1 + i % 3 == type;
        QCOMPARE(group->isVisibleTo(panel.window()), matches);
        if (matches && (!lastShown || group->groupIndex() > lastShown->groupIndex()))
            lastShown = group;
    }
    // The last matching error is in view at the end, and built with the window's connections.
    QVERIFY(lastShown);
    int lastMatching = kErrors - 1;
    while (type != -1 && 1 + lastMatching % 3 != type)
        --lastMatching;
    QCOMPARE(lastShown->groupIndex(), lastMatching);
    QSignalSpy clicked(&panel, &WidgetErrorList::groupClicked);
    QTest::mouseClick(lastShown->findChild<QLabel*>(QStringLiteral("labelTitle")), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<ErrorsListGroup*>(), lastShown);
    QCOMPARE(lastShown->findChild<QLabel*>(QStringLiteral("labelTitle"))->cursor().shape(),
             Qt::PointingHandCursor);
}

void TestErrorsListLazy::popupTracksMouseOverLateForms_data()
{
    QTest::addColumn<bool>("openLater");
    QTest::newRow("group scrolled into view") << false;
    QTest::newRow("rows of a group opened later") << true;
}

void TestErrorsListLazy::popupTracksMouseOverLateForms()
{
    QFETCH(bool, openLater);

    QString text;
    for (int i = 0; i < kErrors; ++i)
        text += QString::fromUtf8(wordsOf(i));
    ContextShow popup;
    QVERIFY(popup.showCheckData(longResult(), text));
    QCOMPARE(popup.findChild<ErrorsList*>()->groupCount(), kErrors);
    QVERIFY(showList(popup));
    auto* list = popup.findChild<ErrorsList*>();
    QVERIFY(builtPositions(*list).size() < kErrors / 4);

    const int position = kErrors - 1;  // three suggestions
    ErrorsListGroup* group = nullptr;
    if (openLater) {
        list->expandAll(false);
        group = list->groupAt(position);
        QVERIFY(group->findChildren<ErrorsListItem*>().isEmpty());
        group->expand(true);
        QCOMPARE(group->findChildren<ErrorsListItem*>().size(), rowsOf(position));
    } else {
        QScrollBar* bar = scrollBar(*list);
        bar->setValue(bar->maximum());
        settle();
        group = qobject_cast<ErrorsListGroup*>(column(*list)->itemAt(position)->widget());
    }
    QVERIFY(group);
    QVERIFY(group->hasMouseTracking());
    const QList<QWidget*> inside = group->findChildren<QWidget*>();
    QVERIFY(inside.size() > 10);
    for (const QWidget* widget : inside)
        QVERIFY2(widget->hasMouseTracking(), qPrintable(widget->objectName()));
}

QTEST_MAIN(TestErrorsListLazy)
#include "tst_errorslistlazy.moc"
