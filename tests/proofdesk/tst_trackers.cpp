// The MSAA and UI Automation trackers against the simulated desktop.
#include <QtTest>

#include "comapi.h"
#include "msaaclienthelper.h"
#include "sim/desktop.h"
#include "uiaclienthelper.h"

namespace {
struct Editor
{
    HWND hwnd = nullptr;
    sim::AccessibleId object = 0;
};

Editor makeEditor(const sim::AccessibleSpec& desc, const std::u16string& title = u"Notes - Editor")
{
    sim::WindowSpec top;
    top.title = title;
    top.processId = sim::createProcess({u"C:\\notes.exe"});
    sim::WindowSpec edit;
    edit.parent = sim::createWindow(top);
    edit.title = u"inner";
    Editor e;
    e.hwnd = sim::createWindow(edit);
    e.object = sim::attachAccessible(e.hwnd, OBJID_CLIENT, desc);
    return e;
}

sim::AccessibleSpec objectSpec(LONG role, const std::u16string& value, const RECT& location)
{
    sim::AccessibleSpec desc;
    desc.role = role;
    desc.value = value;
    desc.location = location;
    return desc;
}

QSharedPointer<EditorParam> paramOf(const Editor& e, LONG childId = 0)
{
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = e.hwnd;
    param->childId = childId;
    param->setAcc(sim::accessiblePtr(e.object));
    return param;
}

// A composite window: a root element without text pattern, linked to the focused accessible object
// at (100, 100), with candidate text elements below it.
struct Composite
{
    HWND hwnd = nullptr;
    sim::AccessibleId object = 0;
    sim::ElementId root = 0;

    explicit Composite(HRESULT locationResult = S_OK)
    {
        sim::WindowSpec desc;
        desc.title = u"Composer";
        desc.processId = sim::createProcess({u"C:\\mail.exe"});
        hwnd = sim::createWindow(desc);
        sim::AccessibleSpec acc;
        acc.role = ROLE_SYSTEM_CLIENT;
        acc.location = RECT{100, 100, 400, 300};
        acc.locationResult = locationResult;
        object = sim::attachAccessible(hwnd, OBJID_CLIENT, acc);
        root = sim::createElement(hwnd, 0, {});
        sim::linkElement(object, root);
    }

    void candidate(const std::u16string& name, LONG left, LONG top, HRESULT rectResult = S_OK, bool inFocus = true)
    {
        sim::ElementSpec desc;
        desc.textPattern = true;
        desc.keyboardFocus = inFocus;
        desc.text = name;
        desc.rect = RECT{left, top, left + 50, top + 20};
        desc.rectResult = rectResult;
        sim::createElement(hwnd, root, desc);
    }

    QSharedPointer<EditorParam> param() const
    {
        auto p = QSharedPointer<EditorParam>::create();
        p->hwnd = hwnd;
        p->setAcc(sim::accessiblePtr(object));
        return p;
    }
};
}

class TestTrackers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup()
    {
        // Every object and string the tracker took or read was released with it.
        QCOMPARE(sim::liveComObjects(), 0);
        QCOMPARE(sim::liveStrings(), 0);
    }
    void takesOnlyTextObjects_data();
    void takesOnlyTextObjects();
    void readsValueAndLocation_data();
    void readsValueAndLocation();
    void readsTheFocusedChild_data();
    void readsTheFocusedChild();
    void elementWithOwnPatternNeedsNoSearch();
    void nearestCandidateIsChosen_data();
    void nearestCandidateIsChosen();
    void nothingWithoutAutomationOrPattern_data();
    void nothingWithoutAutomationOrPattern();
    void otherEditorsAreReadAfresh();
};

void TestTrackers::takesOnlyTextObjects_data()
{
    QTest::addColumn<LONG>("role");
    QTest::addColumn<HRESULT>("roleResult");
    QTest::addColumn<bool>("withObject");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("titleLength");   // 0: "Notes - Editor"; a longer one is cut to 254
    QTest::newRow("edit field") << ROLE_SYSTEM_TEXT << S_OK << true << true << 0;
    QTest::newRow("edit field of a long title") << ROLE_SYSTEM_TEXT << S_OK << true << true << 300;
    QTest::newRow("push button") << ROLE_SYSTEM_PUSHBUTTON << S_OK << true << false << 0;
    QTest::newRow("static text") << ROLE_SYSTEM_STATICTEXT << S_OK << true << false << 0;
    QTest::newRow("role unreadable") << ROLE_SYSTEM_TEXT << E_FAIL << true << false << 0;
    QTest::newRow("role answered S_FALSE") << ROLE_SYSTEM_TEXT << S_FALSE << true << false << 0;
    QTest::newRow("no accessible object") << ROLE_SYSTEM_TEXT << S_OK << false << false << 0;
}

void TestTrackers::takesOnlyTextObjects()
{
    QFETCH(LONG, role);
    QFETCH(HRESULT, roleResult);
    QFETCH(bool, withObject);
    QFETCH(bool, taken);
    QFETCH(int, titleLength);
    sim::AccessibleSpec desc;
    desc.role = role;
    desc.roleResult = roleResult;
    const std::u16string title = titleLength ? std::u16string(size_t(titleLength), u'文') : u"Notes - Editor";
    const Editor editor = makeEditor(desc, title);
    auto param = paramOf(editor);
    if (!withObject)
        param->setAcc(nullptr);
    MSAAClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    QCOMPARE(helper.focusChanged(param), taken);
    QCOMPARE(detected.count(), taken ? 1 : 0);
    QCOMPARE(helper.getCurDocument() == param, taken);
    if (taken) {
        QCOMPARE(detected[0][0].value<ClientHelper*>(), &helper);
        // The top-level window's title.
        QCOMPARE(detected[0][1].toString(), QString::fromStdU16String(title.substr(0, 254)));
        QCOMPARE(detected[0][2].value<QSharedPointer<EditorParam>>(), param);
    }
}

void TestTrackers::readsValueAndLocation_data()
{
    QTest::addColumn<HRESULT>("valueResult");
    QTest::addColumn<HRESULT>("locationResult");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("area");
    QTest::newRow("readable") << S_OK << S_OK << "他们再次相遇。" << QRect(10, 20, 300, 40);
    QTest::newRow("value unreadable") << E_NOTIMPL << S_OK << "" << QRect(10, 20, 300, 40);
    QTest::newRow("value answered S_FALSE") << S_FALSE << S_OK << "" << QRect(10, 20, 300, 40);
    QTest::newRow("location unreadable") << S_OK << E_FAIL << "他们再次相遇。" << QRect();
}

void TestTrackers::readsValueAndLocation()
{
    QFETCH(HRESULT, valueResult);
    QFETCH(HRESULT, locationResult);
    QFETCH(QString, text);
    QFETCH(QRect, area);
    sim::AccessibleSpec desc = objectSpec(ROLE_SYSTEM_TEXT, u"他们再次相遇。", RECT{10, 20, 310, 60});
    desc.valueResult = valueResult;
    desc.locationResult = locationResult;
    MSAAClientHelper helper;
    auto param = paramOf(makeEditor(desc), 2);
    QCOMPARE(helper.getCurrentPageText(param, false), text);
    QCOMPARE(helper.getEditRect(param), area);
    QVERIFY(helper.getAllPageText(param, false).isEmpty());
    QVERIFY(helper.getNextPageText(param, false, 2).isEmpty());
    QVERIFY(!helper.getCheckDatas(param));
    param->setAcc(nullptr);
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getEditRect(param).isNull());
}

void TestTrackers::readsTheFocusedChild_data()
{
    QTest::addColumn<int>("childId");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("area");
    QTest::newRow("the focused child") << 2 << true << "他们再次相遇。" << QRect(10, 20, 300, 40);
    QTest::newRow("the object itself") << 0 << false << "整个窗口" << QRect(0, 0, 500, 500);
    QTest::newRow("a child without answers of its own") << 5 << false << "整个窗口" << QRect(0, 0, 500, 500);
}

void TestTrackers::readsTheFocusedChild()
{
    QFETCH(int, childId);
    QFETCH(bool, taken);
    QFETCH(QString, text);
    QFETCH(QRect, area);
    const Editor editor = makeEditor(objectSpec(ROLE_SYSTEM_CLIENT, u"整个窗口", RECT{0, 0, 500, 500}));
    sim::setAccessibleChild(editor.object, 2, objectSpec(ROLE_SYSTEM_TEXT, u"他们再次相遇。", RECT{10, 20, 310, 60}));
    MSAAClientHelper helper;
    auto param = paramOf(editor, childId);
    QCOMPARE(helper.focusChanged(param), taken);
    QCOMPARE(helper.getCurrentPageText(param, false), text);
    QCOMPARE(helper.getEditRect(param), area);
}

void TestTrackers::elementWithOwnPatternNeedsNoSearch()
{
    HWND hwnd = sim::createWindow({});
    sim::ElementSpec desc;
    desc.textPattern = true;
    desc.text = u"全文内容";
    desc.rect = RECT{5, 6, 105, 56};
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = hwnd;
    param->setUiaElement(sim::elementPtr(sim::createElement(hwnd, 0, desc)));
    UIAClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    QVERIFY(helper.focusChanged(param));
    QCOMPARE(detected.count(), 1);
    QCOMPARE(sim::callCount(sim::Call::FindAll), 0);
    QCOMPARE(helper.getCurrentPageText(param, false), QStringLiteral("全文内容"));
    QCOMPARE(helper.getEditRect(param), QRect(5, 6, 100, 50));
}

void TestTrackers::nearestCandidateIsChosen_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<QList<int>>("tops");
    QTest::addColumn<QList<int>>("readable");
    QTest::addColumn<QList<int>>("inFocus");
    QTest::addColumn<QString>("chosen");
    // Reference point: (100, 100).
    QTest::newRow("nearer on both axes wins") << QStringList{"far", "near"} << QList<int>{300, 105}
                                              << QList<int>{300, 105} << QList<int>{1, 1} << QList<int>{1, 1} << "near";
    QTest::newRow("split nearness keeps the earlier")
        << QStringList{"left", "top"} << QList<int>{90, 300} << QList<int>{300, 95} << QList<int>{1, 1}
        << QList<int>{1, 1} << "left";
    QTest::newRow("a tie goes to the later") << QStringList{"first", "second"} << QList<int>{110, 90}
                                             << QList<int>{110, 90} << QList<int>{1, 1} << QList<int>{1, 1} << "second";
    QTest::newRow("no readable rectangle: the first") << QStringList{"one", "two"} << QList<int>{100, 100}
                                                      << QList<int>{100, 100} << QList<int>{0, 0} << QList<int>{1, 1} << "one";
    QTest::newRow("unreadable ones are skipped") << QStringList{"exact", "off"} << QList<int>{100, 400}
                                                 << QList<int>{100, 400} << QList<int>{0, 1} << QList<int>{1, 1} << "off";
    // A word processor's page holds the caret; the style box of its toolbar lies nearer the corner.
    QTest::newRow("a nearer field out of the focus is passed over")
        << QStringList{"style box", "page"} << QList<int>{100, 150} << QList<int>{100, 160} << QList<int>{1, 1}
        << QList<int>{0, 1} << "page";
    QTest::newRow("the first in the focus when none is readable")
        << QStringList{"style box", "page"} << QList<int>{100, 150} << QList<int>{100, 160} << QList<int>{0, 0}
        << QList<int>{0, 1} << "page";
}

void TestTrackers::nearestCandidateIsChosen()
{
    QFETCH(QStringList, names);
    QFETCH(QList<int>, lefts);
    QFETCH(QList<int>, tops);
    QFETCH(QList<int>, readable);
    QFETCH(QList<int>, inFocus);
    QFETCH(QString, chosen);
    Composite window;
    for (int i = 0; i < names.size(); ++i)
        window.candidate(names[i].toStdU16String(), lefts[i], tops[i], readable[i] ? S_OK : E_FAIL, inFocus[i]);
    auto param = window.param();
    UIAClientHelper helper;
    QVERIFY(helper.focusChanged(param));
    QCOMPARE(sim::callCount(sim::Call::FindAll), 1);
    QCOMPARE(helper.getCurrentPageText(param, false), chosen);
    QCOMPARE(sim::callCount(sim::Call::FindAll), 1);  // the current editor reads from the cache
}

void TestTrackers::nothingWithoutAutomationOrPattern_data()
{
    QTest::addColumn<int>("failing");   // a sim::Call made to fail, or -1
    QTest::addColumn<bool>("withCandidate");
    QTest::addColumn<HRESULT>("locationResult");
    QTest::addColumn<bool>("candidateInFocus");
    QTest::newRow("creation failed") << int(sim::Call::CreateAutomation) << true << S_OK << true;
    QTest::newRow("no candidate") << -1 << false << S_OK << true;
    QTest::newRow("focused object has no location") << -1 << true << E_FAIL << true;
    QTest::newRow("text pattern query failed") << int(sim::Call::GetCurrentPatternAs) << true << S_OK << true;
    QTest::newRow("length of the found elements failed") << int(sim::Call::ElementArrayLength) << true << S_OK << true;
    QTest::newRow("the only candidate is out of the focus") << -1 << true << S_OK << false;
}

void TestTrackers::nothingWithoutAutomationOrPattern()
{
    QFETCH(int, failing);
    QFETCH(bool, withCandidate);
    QFETCH(HRESULT, locationResult);
    QFETCH(bool, candidateInFocus);
    if (failing >= 0)
        sim::failCall(static_cast<sim::Call>(failing));
    Composite window(locationResult);
    if (withCandidate)
        window.candidate(u"text", 100, 100, S_OK, candidateInFocus);
    auto param = window.param();
    UIAClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    QVERIFY(!helper.focusChanged(param));
    QCOMPARE(detected.count(), 0);
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getEditRect(param).isNull());
    sim::clearFailures();
}

void TestTrackers::otherEditorsAreReadAfresh()
{
    Composite first;
    first.candidate(u"first text", 100, 100);
    Composite second;
    second.candidate(u"second text", 100, 100);
    auto a = first.param();
    auto b = second.param();
    UIAClientHelper helper;
    QVERIFY(helper.focusChanged(a));
    QCOMPARE(helper.getCurrentPageText(b, false), QStringLiteral("second text"));
    QCOMPARE(sim::callCount(sim::Call::FindAll), 2);
    QCOMPARE(helper.getCurDocument(), a);  // reading another editor does not change the current one
    QCOMPARE(helper.getCurrentPageText(a, false), QStringLiteral("first text"));
    QCOMPARE(sim::callCount(sim::Call::FindAll), 2);
    // Without an accessible object there is no position to search near, so a root element lacking
    // text of its own is refused.
    auto elementOnly = QSharedPointer<EditorParam>::create();
    elementOnly->hwnd = first.hwnd;
    elementOnly->setUiaElement(sim::elementPtr(first.root));
    QVERIFY(!helper.focusChanged(elementOnly));
}

QTEST_GUILESS_MAIN(TestTrackers)
#include "tst_trackers.moc"
