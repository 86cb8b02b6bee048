// Only the occurrences the service flagged are marked and corrected; the same words elsewhere
// (inside a correct word, in a number) are left alone, after corrections, undo and ignores too.
#include "clientfixture.h"
#include "wordfixture.h"

class TestWordFlagged : public QObject, private ClientFixture
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

    void onlyWhatTheServiceFlagged_data();
    void onlyWhatTheServiceFlagged();
    void correctionAndUndoKeepTheOthers();
    void ignoredOnceStaysIgnored_data();
    void ignoredOnceStaysIgnored();
};

void TestWordFlagged::onlyWhatTheServiceFlagged_data()
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

void TestWordFlagged::onlyWhatTheServiceFlagged()
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

void TestWordFlagged::correctionAndUndoKeepTheOthers()
{
    // Two flagged 的的 and a correct 的的确确 behind them.
    const QString text = QStringLiteral("好的的书，真的的书，的的确确。");
    WordDesk desk(text);
    QVERIFY(desk.take());
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(), false), text + '\r');
    desk.show({findingAt(QStringLiteral("的的"), {QStringLiteral("的")}, {1, 6})});
    QCOMPARE(desk.marks(), (Spans{{1, 3}, {6, 8}}));
    desk.select(1);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(chooseSuggestion(popup, QStringLiteral("的的"), 0));
    QCOMPARE(desk.text(), QStringLiteral("好的书，真的的书，的的确确。\r"));
    clickButton(popup, "btnUndo");
    QCOMPARE(desk.text(), text + '\r');
    // A page change marks again from the results: the same two, still not 的的确确.
    desk.tracker->clearErrors(desk.param());
    desk.show({findingAt(QStringLiteral("的的"), {QStringLiteral("的")}, {1, 6})});
    desk.select(6);
    QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), QStringLiteral("的的"), 0));
    sim::saveWordDocument(desk.doc);
    desk.settle();
    desk.select(0);
    QCOMPARE(desk.text(), QStringLiteral("好的的书，真的书，的的确确。\r"));
    QCOMPARE(desk.marks(), (Spans{{1, 3}}));
}

void TestWordFlagged::ignoredOnceStaysIgnored_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("placed");   // the findings carry the places the service found them at
    for (const char* then : {"save", "print", "page change"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, placed").arg(then))) << then << true;
        QTest::newRow(qPrintable(QStringLiteral("%1, every occurrence").arg(then))) << then << false;
    }
}

void TestWordFlagged::ignoredOnceStaysIgnored()
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

QTEST_MAIN(TestWordFlagged)
#include "tst_wordflagged.moc"
