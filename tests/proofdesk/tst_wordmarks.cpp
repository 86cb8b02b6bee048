// Marks on the page holding the selection, and the pop-up that follows the caret onto them.
#include "clientfixture.h"
#include "wordfixture.h"

namespace {
const QString kThreeTimes = QStringLiteral("他门说他门和他门。");

// Each unit 10 pixels wide from x = 100, every line at y = 500, 20 high.
RECT gridBox(int start, int end)
{
    return RECT{100 + start * 10, 500, 100 + std::max(end, start + 1) * 10, 520};
}

int getPointCalls()
{
    return sim::wordCallCount(sim::WordObject::Window, word::Window::GetPoint);
}
}

class TestWordMarks : public QObject, private ClientFixture
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

    void marksOnTheCaretPage_data();
    void marksOnTheCaretPage();
    void typeFilterOfTheList();
    void marksMoveWithThePage();
    void userUnderlineComesBack_data();
    void userUnderlineComesBack();
    void underlineKeptForTheUser_data();
    void underlineKeptForTheUser();
    void popupFollowsTheCaret();
    void startOfTheShownErrorAgain();
    void tipOffLeavesMarksOnly();
    void nextAndPreviousWrap_data();
    void nextAndPreviousWrap();
    void burstGivesOneFollowUp();
    void checkFromThePageThroughTheService();
    void overlappingMarksGiveTheUnderlineBack_data();
    void overlappingMarksGiveTheUnderlineBack();
    void nothingMarkedNothingSwept();
    void typedBehindAMarkIsNoMark();
    void theUsersLastSearchChangesNothing_data();
    void theUsersLastSearchChangesNothing();
    // Only the occurrences the service flagged are marked and corrected; the same words elsewhere
    // (inside a correct word, in a number) are left alone, after corrections, undo and ignores too.
    void onlyWhatTheServiceFlagged_data();
    void onlyWhatTheServiceFlagged();
    void correctionAndUndoKeepTheOthers();
    void ignoredOnceStaysIgnored_data();
    void ignoredOnceStaysIgnored();
    void readWhileACheckRuns();
};

void TestWordMarks::marksOnTheCaretPage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<int>>("pageStarts");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("flagged");
    QTest::addColumn<Spans>("expected");
    const QStringList both{QStringLiteral("他门"), QStringLiteral("以经")};
    QTest::newRow("three occurrences") << kThreeTimes << std::vector<int>{} << 0 << QStringList{"他门"}
                                       << Spans{{0, 2}, {3, 5}, {6, 8}};
    QTest::newRow("one paragraph") << QStringLiteral("他门来了。以经走了。") << std::vector<int>{} << 0 << both
                                   << Spans{{0, 2}, {5, 7}};
    QTest::newRow("many paragraphs") << QStringLiteral("他门来了。\r以经走了。\r我们。") << std::vector<int>{} << 0
                                     << both << Spans{{0, 2}, {6, 8}};
    QTest::newRow("only the caret's page") << QStringLiteral("他门来了。\r他门又来了。") << std::vector<int>{6} << 1
                                           << QStringList{"他门"} << Spans{{0, 2}};
    QTest::newRow("caret on the second page") << QStringLiteral("他门来了。\r以经走了，他门。") << std::vector<int>{6}
                                              << 7 << both << Spans{{6, 8}, {11, 13}};
    QTest::newRow("text changed since the check") << QStringLiteral("他们来了。") << std::vector<int>{} << 0
                                                  << both << Spans{};
    QTest::newRow("after a surrogate pair") << QStringLiteral("𠮷他门𠮷。") << std::vector<int>{} << 0
                                            << QStringList{"他门"} << Spans{{2, 4}};
    QTest::newRow("adjacent occurrences") << QStringLiteral("他门他门。") << std::vector<int>{} << 0
                                          << QStringList{"他门"} << Spans{{0, 4}};
}

void TestWordMarks::marksOnTheCaretPage()
{
    QFETCH(QString, text);
    QFETCH(std::vector<int>, pageStarts);
    QFETCH(int, caret);
    QFETCH(QStringList, flagged);
    QFETCH(Spans, expected);
    WordDesk desk(text, pageStarts);
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, caret, caret);
    CHECK_DATAS results;
    for (const QString& words : flagged)
        results.push_back(finding(words, {QStringLiteral("x")}));
    desk.show(results);
    QCOMPARE(desk.marks(), expected);
    QCOMPARE(desk.text(), text.endsWith('\r') ? text : text + '\r');
    QCOMPARE(desk.tracker->hasData(desk.param()), true);
}

void TestWordMarks::typeFilterOfTheList()
{
    WordDesk desk(QStringLiteral("他门以经走了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {}, {1}), finding(QStringLiteral("以经"), {}, {2, 5})});
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    QVERIFY(list);
    for (auto [type, expected] : {std::pair{5, Spans{{2, 4}}}, std::pair{1, Spans{{0, 2}}},
                                  std::pair{3, Spans{}}, std::pair{-1, Spans{{0, 4}}}}) {
        emit list->errorTypeChanged(type);
        QCOMPARE(desk.marks(), expected);
    }
}

void TestWordMarks::marksMoveWithThePage()
{
    const QString text = QStringLiteral("他门来了。\r以经走了，他门。\r");
    WordDesk desk(text, {6});
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, 1, 1);
    desk.show({finding(QStringLiteral("他门")), finding(QStringLiteral("以经"))});
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    desk.select(8);
    QCOMPARE(desk.marks(), (Spans{{6, 8}, {11, 13}}));
    desk.select(1);
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("他门,以经"));
}

void TestWordMarks::userUnderlineComesBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    for (const char* how : {"ignore once", "ignore all", "clear", "clean re-check", "tracker ends"})
        QTest::newRow(how) << how << QStringLiteral("他门来了。\r");
    QTest::newRow("apply") << "apply" << QStringLiteral("他们来了。\r");
    QTest::newRow("save") << "save" << QStringLiteral("他门来了。\r");
    QTest::newRow("print") << "print" << QStringLiteral("他门来了。\r");
}

void TestWordMarks::userUnderlineComesBack()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    const sim::Underline own{1, 0x00FF0000};
    WordDesk desk(QStringLiteral("他门来了。"));
    sim::setWordUnderline(desk.doc, 0, 2, own);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(popup);

    if (how == "ignore once")
        triggerAction(popup, "actionIgnoreOnce");
    else if (how == "ignore all")
        triggerAction(popup, "actionIgnoreAll");
    else if (how == "apply")
        QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    else if (how == "clear")
        desk.tracker->clearErrors(desk.param());
    else if (how == "clean re-check")
        desk.show({});
    else if (how == "save")
        sim::saveWordDocument(desk.doc);
    else if (how == "print")
        sim::printWordDocument(desk.doc);
    else
        desk.tracker.reset();
    desk.settle();

    QCOMPARE(desk.text(), text);
    if (how == "save" || how == "print") {
        // What went into the file or onto paper carries the user's underline and no mark.
        const sim::WordSnapshot seen = how == "save" ? sim::lastSave(desk.doc) : sim::lastPrint(desk.doc);
        QCOMPARE(seen.count, 1);
        QCOMPARE(int(seen.runs.size()), 1);
        QCOMPARE((Span{seen.runs[0].start, seen.runs[0].end}), (Span{0, 2}));
        QCOMPARE(seen.runs[0].underline, own);
        // The results stay: the next selection change marks the page again.
        desk.select(1);
        QCOMPARE(desk.marks(), (Spans{{0, 2}}));
        return;
    }
    QCOMPARE(sim::wordUnderline(desk.doc, 0), own);
    QCOMPARE(sim::wordUnderline(desk.doc, 1), own);
    QVERIFY(desk.marks().isEmpty());
}

void TestWordMarks::underlineKeptForTheUser_data()
{
    QTest::addColumn<sim::Underline>("own");
    QTest::addColumn<int>("ownEnd");
    QTest::addColumn<sim::Underline>("after");
    QTest::addColumn<sim::Underline>("afterSecond");   // of the occurrence's second unit
    const sim::Underline none;
    const sim::Underline singleRed{1, 0x000000FF};
    const sim::Underline wavyBlue{kMarkStyle, 0x00FF0000};
    QTest::newRow("single red") << singleRed << 2 << singleRed << singleRed;
    QTest::newRow("the mark's style in another colour") << wavyBlue << 2 << wavyBlue << wavyBlue;
    QTest::newRow("the mark's colour in another style") << sim::Underline{3, kMarkColor} << 2
                                                        << sim::Underline{3, kMarkColor} << sim::Underline{3, kMarkColor};
    // Text that already looks like a mark has no underline of its own to give back.
    QTest::newRow("already the mark look") << sim::Underline{kMarkStyle, kMarkColor} << 2 << none << none;
    // Each part gets back what it had.
    QTest::newRow("mixed") << singleRed << 1 << singleRed << none;
}

void TestWordMarks::underlineKeptForTheUser()
{
    QFETCH(sim::Underline, own);
    QFETCH(int, ownEnd);
    QFETCH(sim::Underline, after);
    QFETCH(sim::Underline, afterSecond);
    WordDesk desk(QStringLiteral("他门来了。"));
    sim::setWordUnderline(desk.doc, 0, ownEnd, own);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    desk.select(0);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreOnce");
    QCOMPARE(sim::wordUnderline(desk.doc, 0), after);
    QCOMPARE(sim::wordUnderline(desk.doc, 1), afterSecond);
}

void TestWordMarks::popupFollowsTheCaret()
{
    WordDesk desk(QStringLiteral("他门来了，以经走了。"));
    sim::setWordGeometry(desk.doc, gridBox);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    QVERIFY(!shownWindow<ContextShow>());

    desk.select(1);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(popup);
    QCOMPARE(groupTitles(popup), QStringList{"他门"});
    // Under the whole mark, which is selected.
    QCOMPARE(sim::wordSelection(desk.doc), (std::pair<int, int>{0, 2}));
    QCOMPARE(popup->x(), 102);
    QVERIFY(popup->geometry().bottom() < 500);
    const QPoint first = popup->pos();
    const int calls = getPointCalls();

    desk.select(1);
    QCOMPARE(shownWindow<ContextShow>(), popup);
    QCOMPARE(popup->pos(), first);
    QCOMPARE(getPointCalls(), calls);

    desk.select(6);
    QCOMPARE(shownWindow<ContextShow>(), popup);
    QCOMPARE(groupTitles(popup), QStringList{"以经"});
    QCOMPARE(popup->x(), 152);
    QCOMPARE(sim::wordSelection(desk.doc), (std::pair<int, int>{5, 7}));

    desk.select(3);
    QVERIFY(!shownWindow<ContextShow>());
}

void TestWordMarks::startOfTheShownErrorAgain()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(popup);
    clickButton(popup, "btnHide");
    QVERIFY(!popup->isVisible());
    // The start of the error the pop-up was closed on keeps it closed once, then opens it again.
    desk.select(0);
    QVERIFY(!popup->isVisible());
    desk.select(0);
    QVERIFY(popup->isVisible());
}

void TestWordMarks::tipOffLeavesMarksOnly()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(0);
    QVERIFY(shownWindow<ContextShow>());
    desk.tracker->enableErrorTip(false);
    QVERIFY(!shownWindow<ContextShow>());
    desk.select(3);
    desk.select(1);
    QVERIFY(!shownWindow<ContextShow>());
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    desk.tracker->enableErrorTip(true);
    desk.select(0);
    QVERIFY(shownWindow<ContextShow>());
}

void TestWordMarks::nextAndPreviousWrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<Span>("selected");
    QTest::addColumn<QString>("shown");
    QTest::newRow("next from the first") << kThreeTimes << 0 << true << Span{3, 5} << "他门";
    QTest::newRow("next from the last wraps") << kThreeTimes << 6 << true << Span{0, 2} << "他门";
    QTest::newRow("previous from the last") << kThreeTimes << 6 << false << Span{3, 5} << "他门";
    QTest::newRow("previous from the first wraps") << kThreeTimes << 0 << false << Span{6, 8} << "他门";
    // Marks that touch are still two stops.
    const QString touching = QStringLiteral("他门以经，他门。");
    QTest::newRow("next onto a touching neighbour") << touching << 1 << true << Span{2, 4} << "以经";
    QTest::newRow("previous onto a touching neighbour") << touching << 3 << false << Span{0, 2} << "他门";
}

void TestWordMarks::nextAndPreviousWrap()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(bool, forward);
    QFETCH(Span, selected);
    QFETCH(QString, shown);
    WordDesk desk(text);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    desk.select(caret);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(popup);
    clickButton(popup, forward ? "btnNext" : "btnPrev");
    desk.settle();
    const auto [start, end] = sim::wordSelection(desk.doc);
    QCOMPARE((Span{start, end}), selected);
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{shown});
    // Without any mark there is nowhere to go.
    desk.tracker->clearErrors(desk.param());
    QVERIFY(!desk.tracker->nextError(desk.param()));
}

void TestWordMarks::burstGivesOneFollowUp()
{
    WordDesk desk(kThreeTimes);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.settle();
    const int before = sim::wordCallCount(sim::WordObject::Selection, word::Selection::Information);
    for (int caret : {0, 3, 6, 1, 2})
        sim::setWordSelection(desk.doc, caret, caret);
    desk.settle();
    QCOMPARE(sim::wordCallCount(sim::WordObject::Selection, word::Selection::Information) - before, 1);
    QVERIFY(!shownWindow<ContextShow>());
}

void TestWordMarks::checkFromThePageThroughTheService()
{
    loginWithPageSize(3000);
    WordDesk desk(QStringLiteral("他门来了。\r我门也来了。\r"), {6});
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, 7, 7);
    // As the command set checks the current page.
    const QString page = desk.tracker->getCurrentPageText(desk.param(), false);
    QCOMPARE(page, QStringLiteral("我门也来了。\r"));
    CHECK_DATAS found;
    QVERIFY(checkAndWait(page, &found));
    desk.show(found);
    QVERIFY(desk.tracker->canShowErrorList(desk.param()));
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    QCOMPARE(desk.marks(), (Spans{{6, 8}}));
    QCOMPARE(groupTitles(shownWindow<WidgetErrorList>()), QStringList{"我门"});
    // The list is named after the document's window.
    QVERIFY(shownWindow<WidgetErrorList>()->windowTitle().contains(QStringLiteral("Report - Word")));
    desk.select(7);
    QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), QStringLiteral("我门"), 0));
    QCOMPARE(desk.text(), QStringLiteral("他门来了。\r我们也来了。\r"));
}

void TestWordMarks::overlappingMarksGiveTheUnderlineBack_data()
{
    QTest::addColumn<QList<int>>("ignoredAt");   // carets where Ignore Once is chosen, in turn; none: clear
    QTest::newRow("all at once") << QList<int>{};
    QTest::newRow("the later one first") << QList<int>{2, 0};
}

void TestWordMarks::overlappingMarksGiveTheUnderlineBack()
{
    QFETCH(QList<int>, ignoredAt);
    const sim::Underline own{1, 0x00FF0000};
    WordDesk desk(QStringLiteral("他门们来了。"));
    sim::setWordUnderline(desk.doc, 0, 3, own);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门")), finding(QStringLiteral("门们"))});
    QCOMPARE(desk.marks(), (Spans{{0, 3}}));
    for (int caret : ignoredAt) {
        desk.select(caret);
        triggerAction(shownWindow<ContextShow>(), "actionIgnoreOnce");
    }
    if (ignoredAt.isEmpty())
        desk.tracker->clearErrors(desk.param());
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(sim::wordUnderline(desk.doc, unit), own);
}

void TestWordMarks::nothingMarkedNothingSwept()
{
    WordDesk desk(kThreeTimes);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(0);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreAll");
    sim::saveWordDocument(desk.doc);
    desk.settle();
    // Every result is handled: caret moves must not sweep the whole document for marks.
    const int before = sim::wordCallCount(sim::WordObject::Find, word::Find::Execute);
    for (int caret : {1, 4, 7, 2})
        desk.select(caret);
    QCOMPARE(sim::wordCallCount(sim::WordObject::Find, word::Find::Execute) - before, 0);
}

void TestWordMarks::typedBehindAMarkIsNoMark()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(2);
    sim::typeWordText(desk.doc, u"俩");
    desk.settle();
    QCOMPARE(desk.marks(), (Spans{{0, 2}}));
    desk.select(0);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreOnce");
    QVERIFY(sim::wordUnderlineRuns(desk.doc).empty());
}

void TestWordMarks::theUsersLastSearchChangesNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<Spans>("marks");
    QTest::addColumn<Span>("selected");
    // The last is a stretch that only looks like a mark: the sweep of all marks takes it too.
    const Spans all{{0, 2}, {3, 5}, {6, 8}, {9, 10}};
    QTest::newRow("next error") << "next" << all << Span{6, 8};
    QTest::newRow("group clicked") << "group" << all << Span{6, 8};
    QTest::newRow("remove all") << "clear" << Spans{} << Span{3, 5};
}

void TestWordMarks::theUsersLastSearchChangesNothing()
{
    QFETCH(QString, action);
    QFETCH(Spans, marks);
    QFETCH(Span, selected);
    WordDesk desk(kThreeTimes + QStringLiteral("好。"));
    sim::setWordUnderline(desk.doc, 9, 10, {kMarkStyle, kMarkColor});
    QVERIFY(desk.take());
    // The user's own searches, before and after the check: backwards, for an unmarked character,
    // without wrapping.
    auto search = [&] {
        IDispatchPtr find = getProperty(sim::wordRangeObject(desk.doc, 9, 9), word::Range::Find).toDispatch();
        callMethod(find, word::Find::ClearFormatting);
        putProperty(find, word::Find::Text, QStringLiteral("和"));
        putProperty(find, word::Find::Forward, false);
        putProperty(find, word::Find::MatchCase, true);
        putProperty(find, word::Find::Wrap, word::wdFindStop);
        return callMethod(find, word::Find::Execute).toBool();
    };
    QVERIFY(search());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(3);
    QVERIFY(search());
    if (action == QStringLiteral("next")) {
        QVERIFY(desk.tracker->nextError(desk.param()));
    } else if (action == QStringLiteral("group")) {
        QVERIFY(desk.tracker->showErrorList(desk.param()));
        QMetaObject::invokeMethod(shownWindow<WidgetErrorList>()->findChild<ErrorsList*>()->groups().first(),
                                  "on_labelTitle_mouseLeftClick");
    } else {
        desk.tracker->clearErrors(desk.param());
    }
    desk.settle();
    QCOMPARE(desk.marks(), marks);
    const auto [start, end] = sim::wordSelection(desk.doc);
    QCOMPARE((Span{start, end}), selected);
}

void TestWordMarks::onlyWhatTheServiceFlagged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("words");
    QTest::addColumn<Spans>("marks");
    QTest::addColumn<int>("caret");         // where the caret is when the list's suggestion is applied
    QTest::addColumn<QString>("corrected");
    QTest::newRow("comma of a number") << QStringLiteral("他来了,我走了。价格是1,000元。") << QStringLiteral(",")
                                       << Spans{{3, 4}} << 8 << QStringLiteral("他来了，我走了。价格是1,000元。\r");
    QTest::newRow("的的 inside 的的确确") << QStringLiteral("大家的的确确很努力，这是好的的书。") << QStringLiteral("的的")
                                          << Spans{{13, 15}} << 0
                                          << QStringLiteral("大家的的确确很努力，这是好的书。\r");
}

void TestWordMarks::onlyWhatTheServiceFlagged()
{
    QFETCH(QString, text);
    QFETCH(QString, words);
    QFETCH(Spans, marks);
    QFETCH(int, caret);
    QFETCH(QString, corrected);
    loginWithPageSize(3000);
    WordDesk desk(text);
    QVERIFY(desk.take());
    CHECK_DATAS found;
    QVERIFY(checkAndWait(desk.tracker->getCurrentPageText(desk.param(), false), &found));
    desk.show(found);
    QCOMPARE(desk.marks(), marks);

    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    // Choosing the group goes to the flagged place, not to the same words where they are right.
    desk.select(caret);
    QMetaObject::invokeMethod(list->findChild<ErrorsList*>()->groups().first(), "on_labelTitle_mouseLeftClick");
    const auto [start, end] = sim::wordSelection(desk.doc);
    QCOMPARE((Span{start, end}), marks.first());
    desk.select(caret);
    QVERIFY(chooseSuggestion(list, words, 0));
    desk.settle();
    QCOMPARE(desk.text(), corrected);
    // Nothing marked is left for it: the group is struck out and the text stays.
    QVERIFY(chooseSuggestion(list, words, 0));
    desk.settle();
    QCOMPARE(desk.text(), corrected);
    QVERIFY(desk.marks().isEmpty());
}

void TestWordMarks::correctionAndUndoKeepTheOthers()
{
    // Two flagged 的的 and a correct 的的确确 behind them; each save has the page marked again.
    WordDesk desk(QStringLiteral("好的的书，真的的书，的的确确。"));
    QVERIFY(desk.take());
    desk.tracker->getCurrentPageText(desk.param(), false);
    desk.show({findingAt(QStringLiteral("的的"), {QStringLiteral("的")}, {1, 6})});
    auto correctAt = [&](int caret, bool undo) {
        desk.select(caret);
        ContextShow* popup = shownWindow<ContextShow>();
        QVERIFY(chooseSuggestion(popup, QStringLiteral("的的"), 0));
        if (undo)
            clickButton(popup, "btnUndo");
        sim::saveWordDocument(desk.doc);
        desk.settle();
        desk.select(0);
    };
    correctAt(6, false);
    QCOMPARE(desk.text(), QStringLiteral("好的的书，真的书，的的确确。\r"));
    QCOMPARE(desk.marks(), (Spans{{1, 3}}));
    correctAt(1, true);
    QCOMPARE(desk.text(), QStringLiteral("好的的书，真的书，的的确确。\r"));
    QCOMPARE(desk.marks(), (Spans{{1, 3}}));
}

void TestWordMarks::ignoredOnceStaysIgnored_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("placed");   // the findings carry the places the service found them at
    for (const char* then : {"save", "print", "page change"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, placed").arg(then))) << then << true;
        QTest::newRow(qPrintable(QStringLiteral("%1, every occurrence").arg(then))) << then << false;
    }
}

void TestWordMarks::ignoredOnceStaysIgnored()
{
    QFETCH(QString, then);
    QFETCH(bool, placed);
    WordDesk desk(QStringLiteral("他门说他门和他门。\r他门又来了。"), {10});
    QVERIFY(desk.take());
    desk.select(1);
    std::shared_ptr<CheckData> result = finding(QStringLiteral("他门"), {QStringLiteral("他们")});
    if (placed) {
        desk.tracker->getCurrentPageText(desk.param(), false);
        result = findingAt(QStringLiteral("他门"), {QStringLiteral("他们")}, {0, 3, 6});
    }
    desk.show({result});
    desk.select(3);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreOnce");
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {6, 8}}));
    if (then == QStringLiteral("save"))
        sim::saveWordDocument(desk.doc);
    else if (then == QStringLiteral("print"))
        sim::printWordDocument(desk.doc);
    else
        desk.select(12);
    desk.settle();
    desk.select(1);
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {6, 8}}));
}

void TestWordMarks::readWhileACheckRuns()
{
    loginWithPageSize(3000);
    WordDesk desk(QStringLiteral("好的的书，的的确确。"));
    QVERIFY(desk.take());
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString page = desk.tracker->getCurrentPageText(desk.param(), false);
    QVERIFY(client->checkText(page));
    // The user writes on and asks for another check, which is refused while this one runs.
    sim::replaceWordText(desk.doc, 0, 0, u"大家说");
    page = desk.tracker->getCurrentPageText(desk.param(), false);
    QVERIFY(!client->checkText(page));
    QVERIFY(done.wait(30000));
    desk.show(done.first().first().value<CHECK_DATAS>());
    QCOMPARE(desk.marks(), (Spans{{4, 6}}));
}

QTEST_MAIN(TestWordMarks)
#include "tst_wordmarks.moc"
