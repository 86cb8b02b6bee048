#include <QtTest>

#include "accessible.h"
#include "comapi.h"
#include "sim/desktop.h"
#include "uiautomation.h"
#include "window.h"


class TestAutomation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup() { QCOMPARE(sim::liveComObjects(), 0); }
    void accessibleCallsAnswerOrFail_data();
    void accessibleCallsAnswerOrFail();
    void interfacePointersShareOneIdentity();
    void findAllWalksTheSubtreeInDocumentOrder_data();
    void findAllWalksTheSubtreeInDocumentOrder();
    void textPatternReadsTheDocument();
    void creationCanFail();
};

void TestAutomation::accessibleCallsAnswerOrFail_data()
{
    QTest::addColumn<HRESULT>("roleResult");
    QTest::addColumn<HRESULT>("valueResult");
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("answers") << S_OK << S_OK << false;
    QTest::newRow("role fails") << E_FAIL << S_OK << false;
    QTest::newRow("value fails") << S_OK << E_NOTIMPL << false;
    QTest::newRow("window gone") << S_OK << S_OK << true;
}

void TestAutomation::accessibleCallsAnswerOrFail()
{
    QFETCH(HRESULT, roleResult);
    QFETCH(HRESULT, valueResult);
    QFETCH(bool, destroyed);
    HWND hwnd = sim::createWindow({});
    sim::AccessibleSpec desc;
    desc.role = ROLE_SYSTEM_TEXT;
    desc.value = u"正文";
    desc.location = RECT{10, 20, 110, 70};
    desc.roleResult = roleResult;
    desc.valueResult = valueResult;
    sim::attachAccessible(hwnd, OBJID_CLIENT, desc);
    IAccessiblePtr acc;
    VARIANT child;
    QCOMPARE(AccessibleObjectFromEvent(hwnd, DWORD(OBJID_CLIENT), 3, &acc, &child), S_OK);
    QCOMPARE(child.vt, VARTYPE(VT_I4));
    QCOMPARE(child.lVal, 3);
    if (destroyed)
        sim::destroyWindow(hwnd);
    VARIANT role;
    const HRESULT hr = acc->get_accRole(child, &role);
    QCOMPARE(hr, destroyed ? RPC_E_DISCONNECTED : roleResult);
    if (hr == S_OK)
        QCOMPARE(role.lVal, ROLE_SYSTEM_TEXT);
    BSTR value = nullptr;
    const HRESULT vhr = acc->get_accValue(child, &value);
    QCOMPARE(vhr, destroyed ? RPC_E_DISCONNECTED : valueResult);
    QCOMPARE(QString::fromUtf16(value, SysStringLen(value)), vhr == S_OK ? QStringLiteral("正文") : QString());
    SysFreeString(value);
    LONG l = 0, t = 0, w = 0, h = 0;
    if (!destroyed) {
        QCOMPARE(acc->accLocation(&l, &t, &w, &h, child), S_OK);
        QCOMPARE(QRect(l, t, w, h), QRect(10, 20, 100, 50));
    }
    QCOMPARE(AccessibleObjectFromEvent(hwnd, DWORD(OBJID_CARET), 0, &acc, &child), destroyed ? E_INVALIDARG : E_FAIL);
}

void TestAutomation::interfacePointersShareOneIdentity()
{
    HWND hwnd = sim::createWindow({});
    sim::attachAccessible(hwnd, OBJID_CLIENT, {});
    IAccessiblePtr a;
    IAccessiblePtr b;
    VARIANT child;
    AccessibleObjectFromEvent(hwnd, DWORD(OBJID_CLIENT), 0, &a, &child);
    QCOMPARE(AccessibleObjectFromWindow(hwnd, DWORD(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&b)), S_OK);
    QVERIFY(a.GetInterfacePtr() != b.GetInterfacePtr());
    QVERIFY(IsSameComObject(a, b));
    QCOMPARE(sim::accessibleOf(a), sim::accessibleOf(b));
    HWND other = sim::createWindow({});
    IAccessiblePtr c = sim::accessiblePtr(sim::attachAccessible(other, OBJID_CLIENT, {}));
    QVERIFY(!IsSameComObject(a, c));
}

// Tree: root(text) > [panel > [edit1(text), label], edit2(text)]
void TestAutomation::findAllWalksTheSubtreeInDocumentOrder_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<bool>("wanted");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("subtree with text") << int(TreeScope_Subtree) << true << QStringList{"root", "edit1", "edit2"};
    QTest::newRow("descendants with text") << int(TreeScope_Descendants) << true << QStringList{"edit1", "edit2"};
    QTest::newRow("children with text") << int(TreeScope_Children) << true << QStringList{"edit2"};
    QTest::newRow("subtree without text") << int(TreeScope_Subtree) << false << QStringList{"panel", "label"};
}

void TestAutomation::findAllWalksTheSubtreeInDocumentOrder()
{
    QFETCH(int, scope);
    QFETCH(bool, wanted);
    QFETCH(QStringList, expected);
    HWND hwnd = sim::createWindow({});
    sim::ElementSpec text;
    text.textPattern = true;
    QMap<int, QString> names;
    const int root = sim::createElement(hwnd, 0, text);
    const int panel = sim::createElement(hwnd, root, {});
    names[root] = "root";
    names[panel] = "panel";
    names[sim::createElement(hwnd, panel, text)] = "edit1";
    names[sim::createElement(hwnd, panel, {})] = "label";
    names[sim::createElement(hwnd, root, text)] = "edit2";
    IUIAutomationPtr automation;
    QCOMPARE(automation.CreateInstance(CLSID_CUIAutomation), S_OK);
    IUIAutomationElementPtr top;
    QCOMPARE(automation->ElementFromHandle(hwnd, &top), S_OK);
    VARIANT flag;
    flag.vt = VT_BOOL;
    flag.boolVal = wanted ? VARIANT_TRUE : VARIANT_FALSE;
    IUIAutomationConditionPtr condition;
    QCOMPARE(automation->CreatePropertyCondition(UIA_IsTextPatternAvailablePropertyId, flag, &condition), S_OK);
    IUIAutomationElementArrayPtr found;
    QCOMPARE(top->FindAll(TreeScope(scope), condition, &found), S_OK);
    int length = 0;
    found->get_Length(&length);
    QStringList got;
    for (int i = 0; i < length; ++i) {
        IUIAutomationElementPtr e;
        QCOMPARE(found->GetElement(i, &e), S_OK);
        got << names.value(sim::elementOf(e));
    }
    QCOMPARE(got, expected);
    IUIAutomationElementPtr none;
    QCOMPARE(found->GetElement(length, &none), E_INVALIDARG);
}

void TestAutomation::textPatternReadsTheDocument()
{
    HWND hwnd = sim::createWindow({});
    sim::ElementSpec desc;
    desc.textPattern = true;
    desc.text = u"第一段。第二段。";
    desc.nativeWindow = hwnd;
    desc.rect = RECT{1, 2, 30, 40};
    IUIAutomationElementPtr element = sim::elementPtr(sim::createElement(hwnd, 0, desc));
    IUIAutomationTextPatternPtr pattern;
    QCOMPARE(element->GetCurrentPatternAs(UIA_TextPatternId, IID_IUIAutomationTextPattern,
                                          reinterpret_cast<void**>(&pattern)), S_OK);
    QVERIFY(pattern);
    IUIAutomationTextRangePtr range;
    QCOMPARE(pattern->get_DocumentRange(&range), S_OK);
    BSTR all = nullptr;
    BSTR some = nullptr;
    QCOMPARE(range->GetText(-1, &all), S_OK);
    QCOMPARE(range->GetText(3, &some), S_OK);
    QCOMPARE(QString::fromUtf16(all), QStringLiteral("第一段。第二段。"));
    QCOMPARE(QString::fromUtf16(some), QStringLiteral("第一段"));
    SysFreeString(all);
    SysFreeString(some);
    UIA_HWND native = nullptr;
    QCOMPARE(element->get_CachedNativeWindowHandle(&native), S_OK);
    QCOMPARE(native, static_cast<UIA_HWND>(hwnd));
    VARIANT v;
    QCOMPARE(element->GetCachedPropertyValue(UIA_NativeWindowHandlePropertyId, &v), S_OK);
    QCOMPARE(reinterpret_cast<HWND>(uintptr_t(v.lVal)), hwnd);
    RECT r;
    QCOMPARE(element->get_CurrentBoundingRectangle(&r), S_OK);
    QCOMPARE(r.right, 30);
    // An element without the pattern answers success with no pattern.
    IUIAutomationElementPtr plain = sim::elementPtr(sim::createElement(hwnd, 0, {}));
    IUIAutomationTextPatternPtr none;
    QCOMPARE(plain->GetCurrentPatternAs(UIA_TextPatternId, IID_IUIAutomationTextPattern,
                                        reinterpret_cast<void**>(&none)), S_OK);
    QVERIFY(!none);
}

void TestAutomation::creationCanFail()
{
    sim::failCall(sim::Call::CreateAutomation, E_OUTOFMEMORY);
    IUIAutomationPtr automation;
    QCOMPARE(automation.CreateInstance(CLSID_CUIAutomation), E_OUTOFMEMORY);
    QVERIFY(!automation);
    QCOMPARE(sim::callCount(sim::Call::CreateAutomation), 1);
}

QTEST_GUILESS_MAIN(TestAutomation)
#include "tst_automation.moc"
