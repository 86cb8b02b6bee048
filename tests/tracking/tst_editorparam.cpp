#include <QtTest>

#include "clienthelper.h"
#include "comapi.h"
#include "editorparam.h"
#include "sim/desktop.h"

class TestEditorParam : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sim::reset();
        baseline = sim::liveComObjects();
        abandoned = 0;
    }
    void cleanup() { QCOMPARE(sim::liveComObjects(), baseline + abandoned); }
    void validity_data();
    void validity();
    void equalityComparesWindowChildAndObject_data();
    void equalityComparesWindowChildAndObject();
    void copySurvivesClearOfTheOriginal();
    void clearAbandonsObjectsOfGoneWindows();
    void orderFollowsTheHandleAsUnsigned();
    void bareTrackerIsNeutral();

private:
    int baseline = 0;
    int abandoned = 0;
};

void TestEditorParam::validity_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<bool>("element");
    QTest::addColumn<bool>("msaa");
    QTest::addColumn<bool>("uia");
    QTest::newRow("default") << false << false << false << false << false;
    QTest::newRow("window only") << true << false << false << false << false;
    QTest::newRow("accessible without window") << false << true << false << false << false;
    QTest::newRow("window and accessible") << true << true << false << true << false;
    QTest::newRow("element only") << false << false << true << false << true;
}

void TestEditorParam::validity()
{
    QFETCH(bool, window);
    QFETCH(bool, accessible);
    QFETCH(bool, element);
    QFETCH(bool, msaa);
    QFETCH(bool, uia);
    HWND hwnd = sim::createWindow({});
    EditorParam param;
    if (window)
        param.hwnd = hwnd;
    if (accessible)
        param.setAcc(sim::accessiblePtr(sim::attachAccessible(hwnd, OBJID_CLIENT, {})));
    if (element)
        param.setUiaElement(sim::elementPtr(sim::createElement(hwnd, 0, {})));
    QCOMPARE(param.isMsaaValid(), msaa);
    QCOMPARE(param.isUiaValid(), uia);
    if (accessible && !window)
        abandoned = 2;                       // no window to vouch for the object: not called into
}

void TestEditorParam::equalityComparesWindowChildAndObject_data()
{
    QTest::addColumn<bool>("sameWindow");
    QTest::addColumn<int>("otherChild");
    QTest::addColumn<bool>("sameObject");
    QTest::addColumn<bool>("otherName");
    QTest::addColumn<bool>("equal");
    QTest::newRow("two interface pointers of one object") << true << 0 << true << false << true;
    QTest::newRow("name is not compared") << true << 0 << true << true << true;
    QTest::newRow("other child") << true << 2 << true << false << false;
    QTest::newRow("other object") << true << 0 << false << false << false;
    QTest::newRow("other window") << false << 0 << true << false << false;
}

void TestEditorParam::equalityComparesWindowChildAndObject()
{
    QFETCH(bool, sameWindow);
    QFETCH(int, otherChild);
    QFETCH(bool, sameObject);
    QFETCH(bool, otherName);
    QFETCH(bool, equal);
    HWND hwnd = sim::createWindow({});
    HWND other = sim::createWindow({});
    const sim::AccessibleId object = sim::attachAccessible(hwnd, OBJID_CLIENT, {});
    const sim::AccessibleId second = sim::attachAccessible(hwnd, OBJID_WINDOW, {});
    EditorParam a;
    a.hwnd = hwnd;
    a.exeName = "note.exe";
    a.setAcc(sim::accessiblePtr(object));
    EditorParam b;
    b.hwnd = sameWindow ? hwnd : other;
    b.childId = otherChild;
    b.exeName = otherName ? "other.exe" : "note.exe";
    b.setAcc(sim::accessiblePtr(sameObject ? object : second));
    QVERIFY(a.getAcc().GetInterfacePtr() != b.getAcc().GetInterfacePtr());
    QCOMPARE(a == b, equal);
    QCOMPARE(b == a, equal);
    QVERIFY(EditorParam() == EditorParam());
}

void TestEditorParam::copySurvivesClearOfTheOriginal()
{
    HWND hwnd = sim::createWindow({});
    sim::AccessibleSpec desc;
    desc.role = ROLE_SYSTEM_TEXT;
    auto original = QSharedPointer<EditorParam>::create();
    original->hwnd = hwnd;
    original->childId = 4;
    original->exeName = "note.exe";
    original->setAcc(sim::accessiblePtr(sim::attachAccessible(hwnd, OBJID_CLIENT, desc)));
    original->setUiaElement(sim::elementPtr(sim::createElement(hwnd, 0, {})));
    IUIAutomationElement* element = original->getUiaElement();
    EditorParam copy(*original);
    original->clear();
    QVERIFY(!original->hwnd);
    QCOMPARE(original->childId, 0);
    QVERIFY(original->exeName.isEmpty());
    QVERIFY(!original->getAcc());
    QCOMPARE(original->getUiaElement().GetInterfacePtr(), element);  // kept by clear()
    QCOMPARE(copy.hwnd, hwnd);
    QCOMPARE(copy.childId, 4);
    QCOMPARE(copy.exeName, QStringLiteral("note.exe"));
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = copy.childId;
    VARIANT role;
    QCOMPARE(copy.getAcc()->get_accRole(child, &role), S_OK);
    QCOMPARE(role.lVal, ROLE_SYSTEM_TEXT);
    EditorParam assigned;
    assigned = copy;
    QVERIFY(assigned == copy);
    original.reset();
    QCOMPARE(copy.getUiaElement().GetInterfacePtr(), element);
}

void TestEditorParam::clearAbandonsObjectsOfGoneWindows()
{
    HWND hwnd = sim::createWindow({});
    const int before = sim::liveComObjects();
    {
        EditorParam param;
        param.hwnd = hwnd;
        param.setAcc(sim::accessiblePtr(sim::attachAccessible(hwnd, OBJID_CLIENT, {})));
        QVERIFY(sim::liveComObjects() > before);
        sim::destroyWindow(hwnd);
    }
    // The reference to a vanished program's object is dropped without a call into it: the interface
    // object and its identity stay alive.
    abandoned = 2;
    QCOMPARE(sim::liveComObjects(), before + abandoned);
}

void TestEditorParam::orderFollowsTheHandleAsUnsigned()
{
    EditorParam low;
    EditorParam high;
    low.hwnd = reinterpret_cast<HWND>(uintptr_t(0x10));
    high.hwnd = reinterpret_cast<HWND>(~uintptr_t(0));
    QVERIFY(low < high);
    QVERIFY(!(high < low));
    QVERIFY(!(low < low));
}

// A bare tracker answers neutrally to everything, so callers never need to know its type.
void TestEditorParam::bareTrackerIsNeutral()
{
    ClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = sim::createWindow({});
    helper.setForegroundEditor();
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getAllPageText(param, true).isEmpty());
    QVERIFY(helper.getNextPageText(param, false, 3).isEmpty());
    QVERIFY(!helper.focusChanged(param));
    QVERIFY(!helper.focusChanged({}));
    QVERIFY(!helper.hasData(param));
    QVERIFY(!helper.canShowErrors(param));
    helper.showErrors({}, param, {});
    helper.reportError(param);
    QVERIFY(!helper.getCheckDatas(param));
    helper.clearErrors(param);
    QVERIFY(!helper.nextError(param));
    QVERIFY(!helper.prevError(param));
    QVERIFY(helper.getEditRect(param).isNull());
    QVERIFY(!helper.canShowErrorList(param));
    QVERIFY(!helper.showErrorList(param));
    QVERIFY(!helper.getCurDocument());
    QCOMPARE(detected.count(), 0);
    QWeakPointer<EditorParam> watch = param;
    param.reset();
    QVERIFY(watch.isNull());                 // nothing kept the editor
}

QTEST_GUILESS_MAIN(TestEditorParam)
#include "tst_editorparam.moc"
