// The word processor's application events, and the tracker when the word processor fails it.
#include "editormanager.h"
#include "wordfixture.h"

namespace {
const QString kText = QStringLiteral("他门来了，以经走了。");

CHECK_DATAS twoFindings()
{
    return {finding(QStringLiteral("他门"), {QStringLiteral("他们")}),
            finding(QStringLiteral("以经"), {QStringLiteral("已经")})};
}
}

class TestWordEvents : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init()
    {
        sim::reset();
        comObjects = sim::liveComObjects();
        paneDestroyed = false;
    }
    void cleanup()
    {
        // In the end no mark, object, string or sink is left. (An editor whose window is gone drops its
        // accessible object without releasing it: those are not ours to count.)
        QCOMPARE(sim::liveWordObjects(), 0);
        if (!paneDestroyed)
            QCOMPARE(sim::liveComObjects(), comObjects);
        QCOMPARE(sim::liveStrings(), 0);
        QCOMPARE(windowsOf<ContextShow>(), 0);
        QCOMPARE(windowsOf<WidgetErrorList>(), 0);
    }

    void documentEvents_data();
    void documentEvents();
    void selectionInAnotherDocument();
    void wrongArgumentCounts_data();
    void wrongArgumentCounts();
    void failedUnadviseThenEvent();
    void failedAdviseStillMarks();
    void documentClosedMidCheck();
    void memberFailingMidMarking_data();
    void memberFailingMidMarking();
    void busyWordProcessor();
    void anotherDocumentActiveMidCheck();

private:
    int comObjects = 0;
    bool paneDestroyed = false;
};

void TestWordEvents::documentEvents_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("resultsKept");
    QTest::addColumn<bool>("popupShown");
    QTest::addColumn<bool>("listShown");
    QTest::newRow("save") << "save" << true << false << true;
    QTest::newRow("print") << "print" << true << false << true;
    QTest::newRow("close") << "close" << false << false << false;
    QTest::newRow("another document activated") << "switch" << true << false << false;
    QTest::newRow("back to this document") << "switch back" << true << false << true;
    // Focus changes the manager examined, taken by a tracker or not.
    QTest::newRow("this pane taken again") << "focus taken: pane" << true << true << true;
    QTest::newRow("another editor taken") << "focus taken: other" << true << true << false;
    QTest::newRow("focus to the pop-up itself") << "focus: popup" << true << true << true;
    QTest::newRow("focus to the error list itself") << "focus: list" << true << true << true;
    QTest::newRow("focus anywhere else") << "focus: other" << true << false << false;
}

void TestWordEvents::documentEvents()
{
    QFETCH(QString, event);
    QFETCH(bool, resultsKept);
    QFETCH(bool, popupShown);
    QFETCH(bool, listShown);
    WordDesk desk(kText);
    QVERIFY(desk.take());
    desk.show(twoFindings());
    QVERIFY(desk.tracker->showErrorList(desk.param()));
    auto* list = shownWindow<WidgetErrorList>();
    desk.select(0);
    ContextShow* popup = shownWindow<ContextShow>();
    QVERIFY(list && popup);
    // The word processor has the keyboard, not our windows.
    QApplication::setActiveWindow(nullptr);

    if (event == "save") {
        sim::saveWordDocument(desk.doc);
    } else if (event == "print") {
        sim::printWordDocument(desk.doc);
    } else if (event == "close") {
        sim::closeWordDocument(desk.doc);
        paneDestroyed = true;
    } else if (event.startsWith("focus")) {
        HWND hwnd = desk.pane();
        if (event.endsWith("popup"))
            hwnd = reinterpret_cast<HWND>(popup->winId());
        else if (event.endsWith("list"))
            hwnd = reinterpret_cast<HWND>(list->winId());
        else if (event.endsWith("other"))
            hwnd = sim::createWindow(sim::WindowSpec{});
        const bool taken = event.startsWith("focus taken");
        emit getEditorManager()->winEvent(nullptr, nullptr, EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, 0, 0, 0, taken);
        // Location changes are not focus changes.
        emit getEditorManager()->winEvent(nullptr, nullptr, EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_CLIENT, 0, 0, 0,
                                          false);
    } else {
        desk.open(QStringLiteral("别的文件。"));
        desk.settle();
        if (event == "switch back")
            sim::activateWordDocument(desk.doc);
    }
    desk.settle();

    QCOMPARE(popup->isVisible(), popupShown);
    QCOMPARE(list->isVisible(), listShown);
    QCOMPARE(desk.tracker->hasData(desk.param()), resultsKept);
    QCOMPARE(groupTitles(list).size(), resultsKept ? 2 : 0);
    if (event == "save" || event == "print") {
        const sim::WordSnapshot seen = event == "save" ? sim::lastSave(desk.doc) : sim::lastPrint(desk.doc);
        QCOMPARE(seen.count, 1);
        QVERIFY(seen.runs.empty());
    }
    if (event.startsWith("switch") || event.startsWith("focus"))
        QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
}

void TestWordEvents::selectionInAnotherDocument()
{
    WordDesk desk(kText);
    QVERIFY(desk.take());
    desk.show(twoFindings());
    const sim::WordDocId other = desk.open(kText);
    desk.settle();
    const int before = sim::wordCallCount(sim::WordObject::Selection, word::Selection::Information);
    sim::setWordSelection(other, 0, 0);
    desk.settle();
    QCOMPARE(sim::wordCallCount(sim::WordObject::Selection, word::Selection::Information), before);
    QVERIFY(!shownWindow<ContextShow>());
    QVERIFY(desk.marks(other).isEmpty());
}

void TestWordEvents::wrongArgumentCounts_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("arguments");
    QTest::addColumn<bool>("popupHidden");
    QTest::newRow("close with one argument") << int(word::AppEvent::DocumentBeforeClose) << 1 << true;
    QTest::newRow("save with two arguments") << int(word::AppEvent::DocumentBeforeSave) << 2 << true;
    QTest::newRow("print with three arguments") << int(word::AppEvent::DocumentBeforePrint) << 3 << false;
    QTest::newRow("selection change with none") << int(word::AppEvent::WindowSelectionChange) << 0 << false;
    QTest::newRow("activate with one") << int(word::AppEvent::WindowActivate) << 1 << false;
}

void TestWordEvents::wrongArgumentCounts()
{
    QFETCH(int, event);
    QFETCH(int, arguments);
    QFETCH(bool, popupHidden);
    WordDesk desk(kText);
    QVERIFY(desk.take());
    desk.show(twoFindings());
    desk.select(0);
    QVERIFY(shownWindow<ContextShow>());
    std::vector<_variant_t> args;
    for (int i = 0; i < arguments; ++i)
        args.push_back(_variant_t(sim::wordDocumentObject(desk.doc)));
    sim::raiseWordEvent(desk.app, event, args);
    desk.settle();
    QCOMPARE(!shownWindow<ContextShow>(), popupHidden);
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    QVERIFY(desk.tracker->hasData(desk.param()));
}

void TestWordEvents::failedUnadviseThenEvent()
{
    WordDesk desk(kText);
    QVERIFY(desk.take());
    desk.show(twoFindings());
    QCOMPARE(sim::wordAdvisedSinks(desk.app), 1);
    sim::failWordMember(sim::WordObject::ConnectionPoint, sim::wordUnadvise);
    desk.tracker.reset();
    QVERIFY(desk.marks().isEmpty());
    // The word processor still holds the sink; its events must not reach the helper that is gone.
    QCOMPARE(sim::wordAdvisedSinks(desk.app), 1);
    sim::setWordSelection(desk.doc, 0, 0);
    sim::saveWordDocument(desk.doc);
    sim::raiseWordEvent(desk.app, word::AppEvent::WindowSelectionChange, {sim::wordSelectionObject(desk.doc)});
    desk.settle();
    QCOMPARE(sim::lastSave(desk.doc).count, 1);
    sim::clearWordFailures();
    sim::quitWordApp(desk.app);
}

void TestWordEvents::failedAdviseStillMarks()
{
    WordDesk desk(kText);
    sim::failWordMember(sim::WordObject::ConnectionPoint, sim::wordAdvise);
    QVERIFY(desk.take());
    QCOMPARE(sim::wordAdvisedSinks(desk.app), 0);
    desk.show(twoFindings());
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    // No event sink, so moving the caret onto a mark shows nothing.
    desk.select(0);
    QVERIFY(!shownWindow<ContextShow>());
}

void TestWordEvents::documentClosedMidCheck()
{
    WordDesk desk(kText);
    QVERIFY(desk.take());
    // The editor as the command set holds it while the check runs.
    QSharedPointer<EditorParam> param = desk.param();
    const QString page = desk.tracker->getCurrentPageText(param, false);
    QCOMPARE(page, kText + '\r');
    sim::closeWordDocument(desk.doc);
    paneDestroyed = true;
    desk.settle();
    desk.tracker->showErrors(twoFindings(), param, {});
    QVERIFY(!shownWindow<ContextShow>());
    QCOMPARE(desk.tracker->getCurrentPageText(param, false), QString());
    QVERIFY(!desk.tracker->nextError(param));
    // The pane keeps results that come late, as any others, until they are cleared.
    QVERIFY(desk.tracker->showErrorList(param));
    QCOMPARE(groupTitles(shownWindow<WidgetErrorList>()), (QStringList{"他门", "以经"}));
    desk.tracker->clearErrors(param);
    QVERIFY(!desk.tracker->hasData(param));
}

void TestWordEvents::memberFailingMidMarking_data()
{
    QTest::addColumn<int>("object");
    QTest::addColumn<int>("member");
    QTest::addColumn<int>("fromCall");
    QTest::addColumn<Spans>("placed");
    // The document's text is read once to hold the places, then each place's words.
    QTest::newRow("second occurrence unreadable") << int(sim::WordObject::Range) << int(word::Range::Text) << 3
                                                  << Spans{{0, 2}};
    QTest::newRow("second occurrence's underline") << int(sim::WordObject::Font) << int(word::Font::Underline) << 3
                                                   << Spans{{0, 2}};
    QTest::newRow("holding a place") << int(sim::WordObject::Document) << int(word::Document::Range) << 2
                                     << Spans{};
}

void TestWordEvents::memberFailingMidMarking()
{
    QFETCH(int, object);
    QFETCH(int, member);
    QFETCH(int, fromCall);
    QFETCH(Spans, placed);
    WordDesk desk(kText);
    QVERIFY(desk.take());
    sim::failWordMember(sim::WordObject(object), member, E_FAIL, fromCall, 1);
    desk.show(twoFindings());
    // What was placed before the failure stays; the operation stops there.
    QCOMPARE(desk.marks(), placed);
    sim::clearWordFailures();
    desk.tracker->clearErrors(desk.param());
    QVERIFY(desk.marks().isEmpty());
}

void TestWordEvents::busyWordProcessor()
{
    WordDesk desk(kText);
    QVERIFY(desk.take());
    sim::setWordBusy(desk.app, true);
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(), false), QString());
    QCOMPARE(desk.tracker->getNextPageText(desk.param(), true, 3), QString());
    desk.show(twoFindings());
    QVERIFY(!desk.tracker->nextError(desk.param()));
    sim::setWordBusy(desk.app, false);
    QVERIFY(desk.marks().isEmpty());
    // The results were kept: the next selection change marks the page.
    desk.select(1);
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    sim::setWordBusy(desk.app, true);
    desk.tracker.reset();
    sim::setWordBusy(desk.app, false);
}

void TestWordEvents::anotherDocumentActiveMidCheck()
{
    WordDesk desk(kText);
    QVERIFY(desk.take());
    QSharedPointer<EditorParam> param = desk.param();
    QCOMPARE(desk.tracker->getCurrentPageText(param, false), kText + '\r');
    // The user goes on in another document while the check runs.
    const sim::WordDocId other = desk.open(QStringLiteral("别的\r文件，他门。"), {3});
    sim::setWordSelection(other, 4, 4);
    desk.settle();
    desk.tracker->showErrors({findingAt(QStringLiteral("他门"), {QStringLiteral("他们")}, {0}),
                              findingAt(QStringLiteral("以经"), {QStringLiteral("已经")}, {5})},
                             param, {});
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    QVERIFY(desk.marks(other).isEmpty());
    QVERIFY(desk.tracker->showErrorList(param));
    QCOMPARE(groupTitles(shownWindow<WidgetErrorList>()), (QStringList{"他门", "以经"}));
    sim::activateWordDocument(desk.doc);
    desk.settle();
    desk.select(1);
    QCOMPARE(desk.marks(), (Spans{{0, 2}, {5, 7}}));
    QCOMPARE(groupTitles(shownWindow<ContextShow>()), QStringList{"他门"});
}

QTEST_MAIN(TestWordEvents)
#include "tst_wordevents.moc"
