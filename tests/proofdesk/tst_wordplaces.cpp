// Flagged places held while the user edits: marks drawn again after a save, a print, a page change or
// a type-filter change stay on the place the service flagged, and a correction acts only there.
#include "clientfixture.h"
#include "jsonconvert.h"
#include "wordfixture.h"

namespace {
// The first two pages of the demonstration's document.
const QString kPage1 = QStringLiteral("项目周报\r"
                                      "本周他门都以经完成了新系统的按装，大家的的确确付出了很多努力。\r"
                                      "下周我们会做为试点部门,继续收集用户的意见，预算是1,000元。\r");
const QString kPage2 = QStringLiteral("会议纪要\r"
                                      "会上大家在次讨论了方案，即然进度紧张，就不必报歉，直接提出问题。\r");

// "start:end:text": the user selects [start, end) and types text.
void typeAt(WordDesk& desk, const QString& edit)
{
    const QStringList parts = edit.split(QLatin1Char(':'));
    sim::setWordSelection(desk.doc, parts[0].toInt(), parts[1].toInt());
    sim::typeWordText(desk.doc, parts.mid(2).join(QLatin1Char(':')).toStdU16String());
}

// The marked stretches as "words@start".
QStringList markedPlaces(const WordDesk& desk)
{
    QStringList places;
    for (const Span& span : desk.marks())
        places << QStringLiteral("%1@%2").arg(desk.text().mid(span.start, span.end - span.start)).arg(span.start);
    return places;
}

bool groupLive(QWidget* window, const QString& title)
{
    for (ErrorsListGroup* group : window->findChild<ErrorsList*>()->groups()) {
        if (group->title() == title)
            return group->findChild<QWidget*>(QStringLiteral("labelTitle"))->isEnabled();
    }
    return false;
}
}

class TestWordPlaces : public QObject, private ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CoInitialize(nullptr);
        QVERIFY(startClient());
    }
    void cleanupTestCase() { CoUninitialize(); }
    void init()
    {
        sim::reset();
        resetClient();
    }
    void cleanup() { verifyNothingLeft(); }

    void marksStayOnTheFlaggedPlace_data();
    void marksStayOnTheFlaggedPlace();
    void eachPlaceKeepsItsSuggestion_data();
    void eachPlaceKeepsItsSuggestion();
    void listLookFollowsTheText_data();
    void listLookFollowsTheText();
};

void TestWordPlaces::marksStayOnTheFlaggedPlace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page2");            // where page 2 starts, 0: one page
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<bool>("whileChecking");   // the edits are made while the check runs
    QTest::addColumn<QString>("then");
    QTest::addColumn<QStringList>("marked");   // after "then", the caret back on page 1
    QTest::addColumn<QString>("group");        // applied from the list
    QTest::addColumn<QString>("corrected");

    const QString demo = kPage1 + kPage2;
    const int comma = demo.indexOf(QLatin1Char(','));
    const QString handFixed = QString(demo).replace(comma, 1, QStringLiteral("，"));
    const QStringList demoLeft{"他门@7", "以经@10", "按装@19", "做为@42"};
    const QString commaFix = QStringLiteral("%1:%2:，").arg(comma).arg(comma + 1);
    const int page2 = kPage1.size();
    QTest::newRow("demo: comma fixed by hand, page change") << demo << page2 << QStringList{commaFix} << false << "page"
                                                            << demoLeft << "," << handFixed;
    QTest::newRow("demo: comma fixed by hand while the check runs")
        << demo << page2 << QStringList{commaFix} << true << "none" << demoLeft << "," << handFixed;

    const QString twice = QStringLiteral("这是我的的书。他的的确确很好。\r第二页。");
    for (const char* then : {"save", "print", "page", "filter"}) {
        QTest::newRow(qPrintable(QStringLiteral("的的 fixed by hand, %1").arg(then)))
            << twice << 16 << QStringList{"3:5:的"} << false << then << QStringList{} << "的的"
            << "这是我的书。他的的确确很好。\r第二页。\r";
    }
    const QString once = QStringLiteral("这是好的的书。");
    QTest::newRow("words typed before the place, save")
        << once << 0 << QStringList{"2:2:他的的确确来了，"} << false << "save" << QStringList{"的的@11"} << "的的"
        << "这是他的的确确来了，好的书。\r";
    QTest::newRow("words typed before the place while the check runs")
        << once << 0 << QStringList{"2:2:他的的确确来了，"} << true << "none" << QStringList{"的的@11"} << "的的"
        << "这是他的的确确来了，好的书。\r";
    QTest::newRow("typed right before and behind the place")
        << once << 0 << QStringList{"3:3:很", "6:6:书"} << false << "save" << QStringList{"的的@4"} << "的的"
        << "这是好很的书书。\r";
    QTest::newRow("equal words typed later are not marked")
        << once << 0 << QStringList{"7:7:好的的书"} << false << "print" << QStringList{"的的@3"} << "的的"
        << "这是好的书。好的的书\r";
    QTest::newRow("deleted around the place")
        << once << 0 << QStringList{"2:5:"} << false << "save" << QStringList{} << "的的" << "这是书。\r";
}

void TestWordPlaces::marksStayOnTheFlaggedPlace()
{
    QFETCH(QString, text);
    QFETCH(int, page2);
    QFETCH(QStringList, edits);
    QFETCH(bool, whileChecking);
    QFETCH(QString, then);
    QFETCH(QStringList, marked);
    QFETCH(QString, group);
    QFETCH(QString, corrected);
    loginWithPageSize(3000);
    WordDesk desk(text, page2 ? std::vector<int>{page2} : std::vector<int>{});
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, 0, 0);
    const QString page = desk.tracker->getCurrentPageText(desk.param(), false);
    CHECK_DATAS found;
    if (whileChecking) {
        QSignalSpy done(client, &CheckerClient::checkDone);
        QString copy = page;
        QVERIFY(client->checkText(copy));
        for (const QString& edit : edits)
            typeAt(desk, edit);
        QVERIFY(done.wait(30000));
        found = done.first().first().value<CHECK_DATAS>();
        desk.show(found);
    } else {
        QVERIFY(checkAndWait(page, &found));
        desk.show(found);
        for (const QString& edit : edits)
            typeAt(desk, edit);
    }
    desk.settle();
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    if (then == QStringLiteral("save")) {
        sim::saveWordDocument(desk.doc);
    } else if (then == QStringLiteral("print")) {
        sim::printWordDocument(desk.doc);
    } else if (then == QStringLiteral("page")) {
        desk.select(page2 + 1);
    } else if (then == QStringLiteral("filter")) {
        emit list->errorTypeChanged(22);
        emit list->errorTypeChanged(-1);
    }
    desk.settle();
    desk.select(1);
    QCOMPARE(markedPlaces(desk), marked);

    QVERIFY(chooseSuggestion(list, group, 0));
    desk.settle();
    QCOMPARE(desk.text(), corrected);
    // Asked again, it changes nothing more: no other occurrence takes the place's mark.
    QVERIFY(chooseSuggestion(list, group, 0));
    desk.settle();
    QCOMPARE(desk.text(), corrected);
}

void TestWordPlaces::eachPlaceKeepsItsSuggestion_data()
{
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<int>("firstCaret");   // the place corrected first
    QTest::newRow("pop-up, in order") << false << 3;
    QTest::newRow("pop-up, later place first") << false << 9;
    QTest::newRow("list") << true << 3;
}

void TestWordPlaces::eachPlaceKeepsItsSuggestion()
{
    QFETCH(bool, fromList);
    QFETCH(int, firstCaret);
    // The same words flagged twice with different fixes, as a check reply gives them, joined as
    // the client joins a check's findings.
    std::string reply = R"({"check_data":[)"
                        R"({"words":"的","error_type":[1],"pos":[{"index_begin":9,"index_end":9}],)"
                        R"("data_item":{"key":"k","values":[{"value":"得","frequency":9}]}},)"
                        R"({"words":"的","error_type":[1],"pos":[{"index_begin":3,"index_end":3}],)"
                        R"("data_item":{"key":"k","values":[{"value":"地","frequency":9}]}}]})";
    CHECK_DATAS found;
    _CHECK_OTHER_DATA_ other;
    QVERIFY(JSONToCheckData(reply, found, other));
    CleanCheckData(found);
    QCOMPARE(int(found.size()), 2);

    WordDesk desk(QStringLiteral("他高兴的跳起来，跑的很快。"));
    QVERIFY(desk.take());
    desk.tracker->getCurrentPageText(desk.param(), false);
    desk.show(found);
    QCOMPARE(desk.marks(), (Spans{{3, 4}, {9, 10}}));
    const QString done = QStringLiteral("他高兴地跳起来，跑得很快。\r");
    if (fromList) {
        QVERIFY(desk.tracker->showErrorList(desk.param()));
        auto* list = shownWindow<WidgetErrorList>();
        // Two groups of the same words, each applying its own fix at its own place.
        for (ErrorsListGroup* group : list->findChild<ErrorsList*>()->groups()) {
            group->items().at(0)->findChild<QAbstractButton*>(QStringLiteral("btnApply"))->click();
            desk.settle();
        }
        QCOMPARE(desk.text(), done);
        return;
    }
    for (int caret : {firstCaret, 12 - firstCaret}) {
        desk.select(caret);
        QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), QStringLiteral("的"), 0));
        desk.settle();
    }
    QCOMPARE(desk.text(), done);
    QVERIFY(desk.marks().isEmpty());
}

void TestWordPlaces::listLookFollowsTheText_data()
{
    QTest::addColumn<QString>("undo");   // how the correction is taken back
    QTest::newRow("pop-up undo") << "popup";
    QTest::newRow("the word processor's own undo") << "word";
}

void TestWordPlaces::listLookFollowsTheText()
{
    QFETCH(QString, undo);
    WordDesk desk(QStringLiteral("他门来了，以经走了。"));
    QVERIFY(desk.take());
    desk.tracker->getCurrentPageText(desk.param(), false);
    desk.show({findingAt(QStringLiteral("他门"), {QStringLiteral("他们")}, {0}),
               findingAt(QStringLiteral("以经"), {QStringLiteral("已经")}, {5})});
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    QVERIFY(groupLive(list, QStringLiteral("他门")));

    desk.select(0);
    QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), QStringLiteral("他门"), 0));
    desk.settle();
    // Struck as soon as its last place is corrected, without a click on it; the other stays live.
    QVERIFY(!groupLive(list, QStringLiteral("他门")));
    QVERIFY(groupLive(list, QStringLiteral("以经")));

    if (undo == QStringLiteral("popup"))
        clickButton(shownWindow<ContextShow>(), "btnUndo");
    else
        typeAt(desk, QStringLiteral("0:2:他门"));
    desk.settle();
    QCOMPARE(desk.text(), QStringLiteral("他门来了，以经走了。\r"));
    QVERIFY(groupLive(list, QStringLiteral("他门")));
    desk.select(1);
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{"他门"});
}

QTEST_MAIN(TestWordPlaces)
#include "tst_wordplaces.moc"
