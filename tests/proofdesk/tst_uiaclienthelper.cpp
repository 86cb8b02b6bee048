#include <QtTest>

#include "comapi.h"
#include "sim/desktop.h"
#include "uiaclienthelper.h"

namespace {

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

    void candidate(const std::u16string& name, LONG left, LONG top, HRESULT rectResult = S_OK)
    {
        sim::ElementSpec desc;
        desc.textPattern = true;
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

class TestUiaClientHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup() { QCOMPARE(sim::liveComObjects(), 0); }
    void elementWithOwnPatternNeedsNoSearch();
    void nearestCandidateIsChosen_data();
    void nearestCandidateIsChosen();
    void nothingWithoutAutomationOrPattern_data();
    void nothingWithoutAutomationOrPattern();
    void otherEditorsAreReadAfresh();
};

void TestUiaClientHelper::elementWithOwnPatternNeedsNoSearch()
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

void TestUiaClientHelper::nearestCandidateIsChosen_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<QList<int>>("tops");
    QTest::addColumn<QList<int>>("readable");
    QTest::addColumn<QString>("chosen");
    // Reference point: (100, 100).
    QTest::newRow("nearer on both axes wins") << QStringList{"far", "near"} << QList<int>{300, 105}
                                              << QList<int>{300, 105} << QList<int>{1, 1} << "near";
    QTest::newRow("split nearness keeps the earlier")
        << QStringList{"left", "top"} << QList<int>{90, 300} << QList<int>{300, 95} << QList<int>{1, 1}
        << "left";
    QTest::newRow("a tie goes to the later") << QStringList{"first", "second"} << QList<int>{110, 90}
                                             << QList<int>{110, 90} << QList<int>{1, 1} << "second";
    QTest::newRow("no readable rectangle: the first") << QStringList{"one", "two"} << QList<int>{100, 100}
                                                      << QList<int>{100, 100} << QList<int>{0, 0} << "one";
    QTest::newRow("unreadable ones are skipped") << QStringList{"exact", "off"} << QList<int>{100, 400}
                                                 << QList<int>{100, 400} << QList<int>{0, 1} << "off";
}

void TestUiaClientHelper::nearestCandidateIsChosen()
{
    QFETCH(QStringList, names);
    QFETCH(QList<int>, lefts);
    QFETCH(QList<int>, tops);
    QFETCH(QList<int>, readable);
    QFETCH(QString, chosen);
    Composite window;
    for (int i = 0; i < names.size(); ++i)
        window.candidate(names[i].toStdU16String(), lefts[i], tops[i], readable[i] ? S_OK : E_FAIL);
    auto param = window.param();
    UIAClientHelper helper;
    QVERIFY(helper.focusChanged(param));
    QCOMPARE(sim::callCount(sim::Call::FindAll), 1);
    QCOMPARE(helper.getCurrentPageText(param, false), chosen);
    QCOMPARE(sim::callCount(sim::Call::FindAll), 1);  // the current editor reads from the cache
}

void TestUiaClientHelper::nothingWithoutAutomationOrPattern_data()
{
    QTest::addColumn<bool>("automationFails");
    QTest::addColumn<bool>("withCandidate");
    QTest::addColumn<HRESULT>("locationResult");
    QTest::newRow("creation failed") << true << true << S_OK;
    QTest::newRow("no candidate") << false << false << S_OK;
    QTest::newRow("focused object has no location") << false << true << E_FAIL;
}

void TestUiaClientHelper::nothingWithoutAutomationOrPattern()
{
    QFETCH(bool, automationFails);
    QFETCH(bool, withCandidate);
    QFETCH(HRESULT, locationResult);
    if (automationFails)
        sim::failCall(sim::Call::CreateAutomation);
    Composite window(locationResult);
    if (withCandidate)
        window.candidate(u"text", 100, 100);
    auto param = window.param();
    UIAClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    QVERIFY(!helper.focusChanged(param));
    QCOMPARE(detected.count(), 0);
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getEditRect(param).isNull());
    sim::clearFailures();
}

void TestUiaClientHelper::otherEditorsAreReadAfresh()
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
    // Only a UI Automation element and no accessible object: no nearest-element search.
    auto elementOnly = QSharedPointer<EditorParam>::create();
    elementOnly->hwnd = first.hwnd;
    elementOnly->setUiaElement(sim::elementPtr(first.root));
    QVERIFY(!helper.focusChanged(elementOnly));
}

QTEST_GUILESS_MAIN(TestUiaClientHelper)
#include "tst_uiaclienthelper.moc"
