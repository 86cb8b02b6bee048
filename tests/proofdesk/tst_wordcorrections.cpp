// Corrections written into the document from the pop-up and the error list: apply, undo, ignore,
// report.
#include "dialogreporterror.h"
#include "uirecorder.h"
#include "wordfixture.h"

class TestWordCorrections : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup() { verifyNothingLeft(); }

    void applyAtTheRightPlace_data();
    void applyAtTheRightPlace();
    void secondSuggestionReplacesTheFirst();
    void secondSuggestionAfterADeletion();
    void touchingErrorsStayApart_data();
    void touchingErrorsStayApart();
    void undoRestoresWordsAndMark_data();
    void undoRestoresWordsAndMark();
    void ignoreOnceAndAll_data();
    void ignoreOnceAndAll();
    void ignoreThenIgnoreAllAnother();
    void reportAfterApply();
    void listApplyWhileAnotherErrorIsShown();
    void listGroupNotFoundIsStruckOut_data();
    void listGroupNotFoundIsStruckOut();
    void undoStaysWithItsCorrection();
    void correctionThatChangesNothing();
    void undoOfADeletion();
};

void TestWordCorrections::applyAtTheRightPlace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("corrections");   // flagged words, then the suggestion chosen, in order
    QTest::addColumn<QString>("expected");
    QTest::newRow("one error") << QStringLiteral("我们说他门来了。") << QStringList{"他门", "他们"}
                               << QStringLiteral("我们说他们来了。\r");
    QTest::newRow("after a shorter correction") << QStringLiteral("好的的书，以经来了。")
                                                << QStringList{"的的", "的", "以经", "已经"}
                                                << QStringLiteral("好的书，已经来了。\r");
    QTest::newRow("after a longer correction") << QStringLiteral("好的书店，以经来了。")
                                               << QStringList{"书店", "书店里", "以经", "已经"}
                                               << QStringLiteral("好的书店里，已经来了。\r");
    QTest::newRow("after surrogate pairs") << QStringLiteral("𠮷𠮷他门来了。") << QStringList{"他门", "他们"}
                                           << QStringLiteral("𠮷𠮷他们来了。\r");
    // The next error starts where the corrected one ended before it got shorter.
    QTest::newRow("a surrogate pair corrected") << QStringLiteral("好𠮷书，以经。")
                                                << QStringList{"𠮷书", "好书", "以经", "已经"}
                                                << QStringLiteral("好好书，已经。\r");
}

void TestWordCorrections::applyAtTheRightPlace()
{
    QFETCH(QString, text);
    QFETCH(QStringList, corrections);
    QFETCH(QString, expected);
    WordDesk desk(text);
    QVERIFY(desk.take());
    CHECK_DATAS results;
    for (int i = 0; i < corrections.size(); i += 2)
        results.push_back(finding(corrections[i], {QStringLiteral("-"), corrections[i + 1]}));
    desk.show(results);
    for (int i = 0; i < corrections.size(); i += 2) {
        desk.select(desk.position(corrections[i]));
        QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), corrections[i], 1));
        desk.settle();
    }
    QCOMPARE(desk.text(), expected);
    QVERIFY(desk.marks().isEmpty());
    QVERIFY(desk.tracker->getCheckDatas(desk.param())->empty());
}

void TestWordCorrections::secondSuggestionReplacesTheFirst()
{
    WordDesk desk(QStringLiteral("他门来了，以经走了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们"), QStringLiteral("它们的")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 1));
    QCOMPARE(desk.text(), QStringLiteral("它们的来了，以经走了。\r"));
    // The other error keeps its mark and its place in the results.
    QCOMPARE(desk.marks(), (Spans{{6, 8}}));
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("以经"));
}

void TestWordCorrections::secondSuggestionAfterADeletion()
{
    // The first correction deletes its words, next to another error.
    WordDesk desk(QStringLiteral("啊他门。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("啊"), {QString(), QStringLiteral("呀")}),
               finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QCOMPARE(groupTitles(popup), QStringList{"啊"});
    QVERIFY(chooseSuggestion(popup, QStringLiteral("啊"), 0));
    QCOMPARE(desk.text(), QStringLiteral("他门。\r"));
    // Nothing was inserted to be replaced: the text must not be sprinkled with the new choice.
    QVERIFY(chooseSuggestion(popup, QStringLiteral("啊"), 1));
    QCOMPARE(desk.text(), QStringLiteral("他门。\r"));
}

void TestWordCorrections::touchingErrorsStayApart_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("action");   // "apply" (the first suggestion) or an action of the pop-up
    QTest::addColumn<QString>("shown");    // the one error the pop-up opens on
    QTest::addColumn<QString>("text");
    QTest::addColumn<Span>("left");        // the neighbour's mark
    QTest::addColumn<int>("neighbourCaret");
    QTest::newRow("apply to the first") << 1 << "apply" << "他门" << "他们以经走了。\r" << Span{2, 4} << 3;
    QTest::newRow("apply to the second") << 3 << "apply" << "以经" << "他门已经走了。\r" << Span{0, 2} << 1;
    QTest::newRow("caret where they meet") << 2 << "apply" << "以经" << "他门已经走了。\r" << Span{0, 2} << 1;
    QTest::newRow("ignore once the first") << 0 << "actionIgnoreOnce" << "他门" << "他门以经走了。\r" << Span{2, 4}
                                           << 2;
    QTest::newRow("ignore all the second") << 3 << "actionIgnoreAll" << "以经" << "他门以经走了。\r" << Span{0, 2}
                                           << 0;
}

void TestWordCorrections::touchingErrorsStayApart()
{
    QFETCH(int, caret);
    QFETCH(QString, action);
    QFETCH(QString, shown);
    QFETCH(QString, text);
    QFETCH(Span, left);
    QFETCH(int, neighbourCaret);
    const QString neighbour = shown == QStringLiteral("他门") ? QStringLiteral("以经") : QStringLiteral("他门");
    WordDesk desk(QStringLiteral("他门以经走了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    desk.select(caret);
    ContextShow* popup = shownWindow<ContextShow>();
    QCOMPARE(groupTitles(popup), QStringList{shown});
    if (action == QStringLiteral("apply"))
        QVERIFY(chooseSuggestion(popup, shown, 0));
    else
        triggerAction(popup, action.toLatin1().constData());
    desk.settle();
    QCOMPARE(desk.text(), text);
    QCOMPARE(desk.marks(), Spans{left});
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), neighbour);

    // The neighbour still opens its own pop-up.
    desk.select(neighbourCaret);
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{neighbour});
}

void TestWordCorrections::undoRestoresWordsAndMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Spans>("marks");   // after the correction at 2
    QTest::newRow("one occurrence") << QStringLiteral("我说他门来了。") << Spans{};
    QTest::newRow("several occurrences") << QStringLiteral("我说他门来了他门。") << Spans{{6, 8}};
}

void TestWordCorrections::undoRestoresWordsAndMark()
{
    QFETCH(QString, text);
    QFETCH(Spans, marks);
    WordDesk desk(text);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(2);
    ContextShow* popup = shownWindow<ContextShow>();
    auto* undo = popup->findChild<QAbstractButton*>(QStringLiteral("btnUndo"));
    QVERIFY(undo);
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    const QString corrected = QString(text).replace(2, 2, QStringLiteral("他们")) + QLatin1Char('\r');
    QCOMPARE(desk.text(), corrected);
    QCOMPARE(desk.marks(), marks);
    QVERIFY(undo->isEnabled());

    undo->click();
    QCOMPARE(desk.text(), text + QLatin1Char('\r'));
    QCOMPARE(desk.marks(), (Spans{Span{2, 4}} + marks));
    QVERIFY(!undo->isEnabled());
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("他门"));
    // And it can be corrected again.
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    QCOMPARE(desk.text(), corrected);
}

void TestWordCorrections::ignoreOnceAndAll_data()
{
    QTest::addColumn<QString>("action");   // "apply" (the first suggestion) or an action of the pop-up
    QTest::addColumn<QList<int>>("carets");   // where the action is taken, in turn
    QTest::addColumn<Spans>("left");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("corrected");   // the text once the first mark left is corrected too
    QTest::newRow("ignore once, one occurrence") << "actionIgnoreOnce" << QList<int>{9}
                                                 << Spans{{0, 2}, {3, 5}, {6, 8}} << "他门"
                                                 << "他们说他门和他门，以经。\r";
    QTest::newRow("ignore once, several occurrences") << "actionIgnoreOnce" << QList<int>{3}
                                                      << Spans{{0, 2}, {6, 8}, {9, 11}} << "他门,以经"
                                                      << "他们说他门和他门，以经。\r";
    QTest::newRow("ignore once, each occurrence") << "actionIgnoreOnce" << QList<int>{3, 0, 6} << Spans{{9, 11}}
                                                  << "以经" << "他门说他门和他门，已经。\r";
    QTest::newRow("ignore all") << "actionIgnoreAll" << QList<int>{3} << Spans{{9, 11}} << "以经"
                                << "他门说他门和他门，已经。\r";
    QTest::newRow("apply, several occurrences") << "apply" << QList<int>{3} << Spans{{0, 2}, {6, 8}, {9, 11}}
                                                << "他门,以经" << "他们说他们和他门，以经。\r";
}

void TestWordCorrections::ignoreOnceAndAll()
{
    QFETCH(QString, action);
    QFETCH(QList<int>, carets);
    QFETCH(Spans, left);
    QFETCH(QString, results);
    QFETCH(QString, corrected);
    const QString text = QStringLiteral("他门说他门和他门，以经。");
    WordDesk desk(text);
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    for (int caret : carets) {
        desk.select(caret);
        ContextShow* popup = shownWindow<ContextShow>();
        QVERIFY2(popup, qPrintable(QStringLiteral("no pop-up at %1").arg(caret)));
        if (action == QStringLiteral("apply"))
            QVERIFY(chooseSuggestion(popup, text.mid(caret, 2), 0));
        else
            triggerAction(popup, action.toLatin1().constData());
        desk.settle();
    }
    QCOMPARE(desk.marks(), left);
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), results);

    // Every mark left still opens the pop-up of its own words, and a correction there takes.
    for (const Span& span : left) {
        desk.select(span.start);
        const QString words = desk.text().mid(span.start, span.end - span.start);
        QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{words});
    }
    desk.select(left.first().start);
    QVERIFY(chooseSuggestion(shownWindow<ContextShow>(), desk.text().mid(left.first().start, 2), 0));
    QCOMPARE(desk.text(), corrected);
}

void TestWordCorrections::ignoreThenIgnoreAllAnother()
{
    // After A's result goes, C's marks must still find C, not whatever slid into its place.
    WordDesk desk(QStringLiteral("甲书乙书丙书丙书乙。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("甲")), finding(QStringLiteral("乙")), finding(QStringLiteral("丙"))});
    QCOMPARE(desk.marks(), (Spans{{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}}));
    desk.select(0);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreOnce");
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("乙,丙"));
    desk.select(4);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreAll");
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("乙"));
    QCOMPARE(desk.marks(), (Spans{{2, 3}, {8, 9}}));
    desk.select(8);
    triggerAction(shownWindow<ContextShow>(), "actionIgnoreAll");
    QVERIFY(desk.tracker->getCheckDatas(desk.param())->empty());
    QVERIFY(desk.marks().isEmpty());
}

void TestWordCorrections::reportAfterApply()
{
    WordDesk desk(QStringLiteral("第一句。他们说他门来了！第三句。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(7);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    QString errorText;
    QString sentence;
    whenShown<DialogReportError>([&](DialogReportError* dialog) {
        errorText = dialog->errorText();
        sentence = dialog->sentence();
        dialog->reject();
    });
    triggerAction(popup, "actionReportError");
    QCOMPARE(errorText, QStringLiteral("他们"));
    QCOMPARE(sentence, QStringLiteral("他们说他们来了！"));
    // The shown error is still the corrected words alone: undo puts back just them.
    clickButton(popup, "btnUndo");
    QCOMPARE(desk.text(), QStringLiteral("第一句。他们说他门来了！第三句。\r"));
}

void TestWordCorrections::listApplyWhileAnotherErrorIsShown()
{
    WordDesk desk(QStringLiteral("他门来了，以经走了，他门。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    QCOMPARE(groupTitles(list), (QStringList{"他门", "以经"}));
    desk.select(5);
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{"以经"});
    // The list's first group is 他门, whatever the pop-up shows.
    QVERIFY(chooseSuggestion(list, QStringLiteral("他门"), 0));
    desk.settle();
    QCOMPARE(desk.text(), QStringLiteral("他门来了，以经走了，他们。\r"));
    QVERIFY(chooseSuggestion(list, QStringLiteral("他门"), 0));
    desk.settle();
    QCOMPARE(desk.text(), QStringLiteral("他们来了，以经走了，他们。\r"));
    QVERIFY(chooseSuggestion(list, QStringLiteral("以经"), 0));
    desk.settle();
    QCOMPARE(desk.text(), QStringLiteral("他们来了，已经走了，他们。\r"));
}

void TestWordCorrections::listGroupNotFoundIsStruckOut_data()
{
    QTest::addColumn<bool>("byApply");
    QTest::newRow("group clicked") << false;
    QTest::newRow("suggestion applied") << true;
}

void TestWordCorrections::listGroupNotFoundIsStruckOut()
{
    QFETCH(bool, byApply);
    WordDesk desk(QStringLiteral("他门来了。以经走了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("以经"), {QStringLiteral("已经")})});
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    // The user corrected it by hand meanwhile.
    sim::replaceWordText(desk.doc, 0, 2, u"他们");
    ErrorsListGroup* group = list->findChild<ErrorsList*>()->groups().first();
    QCOMPARE(group->title(), QStringLiteral("他门"));
    if (byApply) {
        QVERIFY(chooseSuggestion(list, QStringLiteral("他门"), 0));
    } else {
        QMetaObject::invokeMethod(group, "on_labelTitle_mouseLeftClick");
        // The keyboard goes back to the document.
        QCOMPARE(GetFocus(), desk.pane());
    }
    QVERIFY(!group->findChild<QWidget*>(QStringLiteral("labelTitle"))->isEnabled());
    QCOMPARE(desk.text(), QStringLiteral("他们来了。以经走了。\r"));
    ErrorsListGroup* other = list->findChild<ErrorsList*>()->groups().at(1);
    QMetaObject::invokeMethod(other, "on_labelTitle_mouseLeftClick");
    QVERIFY(other->findChild<QWidget*>(QStringLiteral("labelTitle"))->isEnabled());
    QCOMPARE(sim::wordSelection(desk.doc), (std::pair<int, int>{5, 7}));
}

void TestWordCorrections::undoStaysWithItsCorrection()
{
    WordDesk desk(QStringLiteral("他门来了。他们门口。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
               finding(QStringLiteral("他们门"), {QStringLiteral("他们")})});
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    desk.select(6);
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{"他们门"});
    // The pop-up now shows another error: the correction before is not its to take back.
    QVERIFY(!popup->findChild<QAbstractButton*>(QStringLiteral("btnUndo"))->isEnabled());
    emit popup->undo();
    QCOMPARE(desk.text(), QStringLiteral("他们来了。他们门口。\r"));
    QCOMPARE(desk.marks(), (Spans{{5, 8}}));
}

void TestWordCorrections::correctionThatChangesNothing()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    // The user types inside the shown error before choosing.
    sim::replaceWordText(desk.doc, 1, 1, u"俩");
    QVERIFY(chooseSuggestion(popup, QStringLiteral("他门"), 0));
    QCOMPARE(desk.text(), QStringLiteral("他俩门来了。\r"));
    QCOMPARE(desk.marks(), (Spans{{0, 3}}));
    QCOMPARE(flaggedWords(*desk.tracker->getCheckDatas(desk.param())), QStringLiteral("他门"));
    QVERIFY(!popup->findChild<QAbstractButton*>(QStringLiteral("btnUndo"))->isEnabled());
}

void TestWordCorrections::undoOfADeletion()
{
    WordDesk desk(QStringLiteral("好的的书。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("的"), {QString()})});
    desk.select(2);
    ContextShow* popup = shownWindow<ContextShow>();
    auto* undo = popup->findChild<QAbstractButton*>(QStringLiteral("btnUndo"));
    QVERIFY(chooseSuggestion(popup, QStringLiteral("的"), 0));
    QCOMPARE(desk.text(), QStringLiteral("好的书。\r"));
    QVERIFY(undo->isEnabled());
    undo->click();
    QCOMPARE(desk.text(), QStringLiteral("好的的书。\r"));
    QVERIFY(!undo->isEnabled());
    QCOMPARE(desk.marks(), (Spans{{1, 3}}));
}

QTEST_MAIN(TestWordCorrections)
#include "tst_wordcorrections.moc"
