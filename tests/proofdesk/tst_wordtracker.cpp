// The Word tracker: which panes it takes, how it reaches the word processor, and the page text it
// reads for a check.
#include "editormanager.h"
#include "uiaclienthelper.h"
#include "wordfixture.h"

namespace {
const QString kPage1 = QStringLiteral("第一页的文字。\r第一页第二段。\r");
const QString kPage2 = QStringLiteral("第二页在这里。\r");
const QString kPage3 = QStringLiteral("第三页开头。\r中间一行。\r最后一行。\r");

std::vector<int> threePageStarts()
{
    return {int(kPage1.size()), int(kPage1.size() + kPage2.size())};
}
}

class TestWordTracker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup() { verifyNothingLeft(); }

    void takesOnlyDocumentPanes_data();
    void takesOnlyDocumentPanes();
    void reachesTheApplication_data();
    void reachesTheApplication();
    void foregroundPaneIsOffered();
    void panesKeepTheirOwnResults();
    void neutralAnswersWithoutHelper();
    void hostIdAndVersion_data();
    void hostIdAndVersion();
    void pageText_data();
    void pageText();
    void followingPages_data();
    void followingPages();
    void clipboardText_data();
    void clipboardText();
    void runningApplicationOfAnotherProgram();
};

void TestWordTracker::takesOnlyDocumentPanes_data()
{
    QTest::addColumn<QString>("windowClass");   // empty: the document pane itself
    QTest::addColumn<bool>("withObject");
    QTest::addColumn<bool>("taken");
    QTest::newRow("document pane") << QString() << true << true;
    QTest::newRow("ribbon of the same frame") << "NetUIHWND" << true << false;
    QTest::newRow("pane class in other case") << "_wwg" << true << false;
    QTest::newRow("pane without accessible object") << QString() << false << false;
}

void TestWordTracker::takesOnlyDocumentPanes()
{
    QFETCH(QString, windowClass);
    QFETCH(bool, withObject);
    QFETCH(bool, taken);
    WordDesk desk(QStringLiteral("他门来了。"));
    QSharedPointer<EditorParam> param = desk.param();
    if (!windowClass.isEmpty()) {
        sim::WindowSpec setup;
        setup.className = windowClass.toStdU16String();
        setup.parent = sim::wordFrame(desk.doc);
        param->hwnd = sim::createWindow(setup);
    }
    if (!withObject)
        param->setAcc(nullptr);
    QSignalSpy detected(desk.tracker.get(), &ClientHelper::editorDetected);
    QCOMPARE(desk.tracker->focusChanged(param), taken);
    QCOMPARE(detected.size(), taken ? 1 : 0);
    QCOMPARE(desk.tracker->getCurDocument() == param, taken);
    if (taken) {
        QCOMPARE(detected.first().at(1).toString(), QStringLiteral("Report - Word"));
        QCOMPARE(desk.tracker->getCurrentPageText(param, false), QStringLiteral("他门来了。\r"));
    }
}

void TestWordTracker::reachesTheApplication_data()
{
    QTest::addColumn<bool>("nativeObject");
    QTest::addColumn<bool>("runningObject");
    QTest::addColumn<int>("activeObjectFailures");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<bool>("takenNextTime");
    QTest::newRow("through the pane's own object") << true << false << 0 << true << true;
    QTest::newRow("through the running object") << false << true << 0 << true << true;
    QTest::newRow("running object at the 5th try") << false << true << 4 << true << true;
    // Five tries per focus: the sixth is made at the pane's next focus.
    QTest::newRow("running object at the 6th try") << false << true << 5 << false << true;
    QTest::newRow("unreachable") << false << false << 0 << false << false;
}

void TestWordTracker::reachesTheApplication()
{
    QFETCH(bool, nativeObject);
    QFETCH(bool, runningObject);
    QFETCH(int, activeObjectFailures);
    QFETCH(bool, taken);
    QFETCH(bool, takenNextTime);
    sim::WordAppSpec setup;
    setup.nativeObject = nativeObject;
    setup.runningObject = runningObject;
    setup.activeObjectFailures = activeObjectFailures;
    WordDesk desk(QStringLiteral("他门来了。"), {}, setup);
    sim::ElementSpec element;
    element.textPattern = true;
    element.text = u"他门来了。";
    sim::createElement(desk.pane(), 0, element);

    // The trackers in the tray program's order: a pane the word processor does not answer for is
    // left to the UI Automation tracker, until a later focus reaches the word processor.
    UIAClientHelper uia;
    const int hooksBefore = sim::installedHooks();
    EditorManager manager;
    manager.addClientHelper(desk.tracker.get());
    manager.addClientHelper(&uia);
    QSignalSpy examined(&manager, &EditorManager::winEvent);
    QTRY_COMPARE(sim::installedHooks(), hooksBefore + 2);
    const bool wordTakes[] = {taken, takenNextTime};
    for (int focus = 0; focus < 2; ++focus) {
        sim::setFocus(desk.pane());
        QTRY_COMPARE(examined.count(), focus + 1);
        QCOMPARE(manager.getActiveHelper(), wordTakes[focus] ? static_cast<ClientHelper*>(desk.tracker.get()) : &uia);
    }
}

void TestWordTracker::foregroundPaneIsOffered()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QSignalSpy detected(desk.tracker.get(), &ClientHelper::editorDetected);
    sim::setForeground(sim::wordFrame(desk.doc));
    desk.tracker->setForegroundEditor();
    QCOMPARE(detected.size(), 1);
    QCOMPARE(detected.first().at(2).value<QSharedPointer<EditorParam>>()->hwnd, desk.pane());
    // Nothing to offer while another program is in front.
    sim::WindowSpec other;
    other.title = u"Notes";
    sim::setForeground(sim::createWindow(other));
    desk.tracker->setForegroundEditor();
    QCOMPARE(detected.size(), 1);
}

void TestWordTracker::panesKeepTheirOwnResults()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    QVERIFY(desk.take());
    desk.show({finding(QStringLiteral("他门"), {QStringLiteral("他们")})});
    const sim::WordDocId second = desk.open(QStringLiteral("以经走了。"));
    QVERIFY(desk.take(second));
    desk.show({finding(QStringLiteral("以经"), {QStringLiteral("已经")})}, second);
    QVERIFY(desk.take());

    for (auto [doc, words, start] : {std::tuple{desk.doc, "他门", 0}, std::tuple{second, "以经", 0}}) {
        CHECK_DATAS* results = desk.tracker->getCheckDatas(desk.param(doc));
        QVERIFY(results);
        QCOMPARE(flaggedWords(*results), QString::fromUtf8(words));
        QVERIFY(desk.tracker->hasData(desk.param(doc)));
        QCOMPARE(desk.marks(doc), (Spans{{start, start + 2}}));
    }
}

void TestWordTracker::neutralAnswersWithoutHelper()
{
    WordDesk desk(QStringLiteral("他门来了。"));
    for (QSharedPointer<EditorParam> param : {QSharedPointer<EditorParam>(), desk.param()}) {
        QCOMPARE(desk.tracker->getCurrentPageText(param, false), QString());
        QCOMPARE(desk.tracker->getAllPageText(param, true), QString());
        QCOMPARE(desk.tracker->getNextPageText(param, false, 3), QString());
        QVERIFY(!desk.tracker->hasData(param));
        QVERIFY(!desk.tracker->getCheckDatas(param));
        QVERIFY(!desk.tracker->nextError(param));
        QVERIFY(!desk.tracker->prevError(param));
        QVERIFY(!desk.tracker->showErrorList(param));
        QVERIFY(desk.tracker->getEditRect(param).isNull());
        desk.tracker->showErrors({finding(QStringLiteral("他门"))}, param, {});
        desk.tracker->clearErrors(param);
        QVERIFY(desk.marks().isEmpty());
    }
    QVERIFY(desk.tracker->canShowErrors(nullptr));
    QVERIFY(desk.tracker->canShowErrorList(nullptr));
}

void TestWordTracker::hostIdAndVersion_data()
{
    QTest::addColumn<QString>("titleSuffix");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("hostId");
    QTest::newRow("word") << " - Word" << "16.0" << "word";
    QTest::newRow("WPS in capitals") << " - WPS Writer" << "11.1.0" << "wps";
    QTest::newRow("wps in lower case") << " - wps 文字" << "12.0" << "wps";
    QTest::newRow("Wps mixed") << " [Wps]" << "10.8" << "wps";
}

void TestWordTracker::hostIdAndVersion()
{
    QFETCH(QString, titleSuffix);
    QFETCH(QString, version);
    QFETCH(QString, hostId);
    sim::WordAppSpec setup;
    setup.titleSuffix = titleSuffix.toStdU16String();
    setup.version = version.toStdU16String();
    WordDesk desk(QStringLiteral("他门来了。"), {}, setup);
    getCheckerClient()->setHost(QString(), QString());
    QVERIFY(desk.take());
    QCOMPARE(getCheckerClient()->getHostId(), hostId);
    QCOMPARE(getCheckerClient()->getHostVer(), version);
}

void TestWordTracker::pageText_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("expected");
    const int page2 = int(kPage1.size());
    const int page3 = int(kPage1.size() + kPage2.size());
    QTest::newRow("first page") << 3 << kPage1;
    QTest::newRow("page 2 of 3 exactly") << page2 + 1 << kPage2;
    QTest::newRow("caret at the start of page 2") << page2 << kPage2;
    // The last page runs to the end of the document, its last line included.
    QTest::newRow("last page with its last line") << page3 + 8 << kPage3;
}

void TestWordTracker::pageText()
{
    QFETCH(int, caret);
    QFETCH(QString, expected);
    WordDesk desk(kPage1 + kPage2 + kPage3, threePageStarts());
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, caret, caret);
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(), false), expected);
    QCOMPARE(desk.tracker->getAllPageText(desk.param(), false), kPage1 + kPage2 + kPage3);
}

void TestWordTracker::followingPages_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    const QString all = kPage1 + kPage2 + kPage3;
    QTest::newRow("two of three from the first") << 3 << 0 << 2 << kPage1 + kPage2;
    QTest::newRow("every page once, asked for more") << 3 << 0 << 10 << all;
    QTest::newRow("from the second, no page twice") << 3 << int(kPage1.size()) << 100 << kPage2 + kPage3;
    QTest::newRow("single page document") << 1 << 2 << 5 << all;
    QTest::newRow("101 pages is too many") << 3 << 0 << 101 << QString();
    QTest::newRow("no page asked") << 3 << 0 << 0 << QString();
}

void TestWordTracker::followingPages()
{
    QFETCH(int, pageCount);
    QFETCH(int, caret);
    QFETCH(int, count);
    QFETCH(QString, expected);
    WordDesk desk(kPage1 + kPage2 + kPage3, pageCount == 3 ? threePageStarts() : std::vector<int>{});
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, caret, caret);
    QCOMPARE(desk.tracker->getNextPageText(desk.param(), false, count), expected);
}

void TestWordTracker::clipboardText_data()
{
    QTest::addColumn<bool>("keepHtml");
    QTest::addColumn<QString>("expected");
    QTest::newRow("HTML when offered") << true << "<html><body><p>第二页在这里。</p></body></html>";
    QTest::newRow("plain text otherwise") << false << "第二页在这里。\r\n";
}

void TestWordTracker::clipboardText()
{
    QFETCH(bool, keepHtml);
    QFETCH(QString, expected);
    sim::WordAppSpec setup;
    setup.copyHtml = keepHtml;
    WordDesk desk(kPage1 + kPage2 + kPage3, threePageStarts(), setup);
    QVERIFY(desk.take());
    sim::setWordSelection(desk.doc, int(kPage1.size()) + 1, int(kPage1.size()) + 1);
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(), true), expected);
}

void TestWordTracker::runningApplicationOfAnotherProgram()
{
    sim::WordAppSpec unreachable;
    unreachable.nativeObject = false;
    unreachable.runningObject = false;
    WordDesk desk(QStringLiteral("他门来了。"), {}, unreachable);
    // Another program registered as the running word processor, with a document of its own.
    const sim::WordAppId otherApp = sim::createWordApp();
    sim::WordDocSpec otherSetup;
    otherSetup.text = u"他门走了。";
    otherSetup.activate = false;
    const sim::WordDocId otherDoc = sim::openWordDocument(otherApp, otherSetup);
    // Its document is not this pane's: the pane is not taken and nothing of the other is read.
    QVERIFY(!desk.take());
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(), false), QString());
    // Its own pane it does answer for.
    QVERIFY(desk.take(otherDoc));
    QCOMPARE(desk.tracker->getCurrentPageText(desk.param(otherDoc), false), QStringLiteral("他门走了。\r"));
}

QTEST_MAIN(TestWordTracker)
#include "tst_wordtracker.moc"
