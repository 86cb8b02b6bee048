#include <QtTest>
#include <thread>

#include "accessible.h"
#include "comapi.h"
#include "comptr.h"
#include "sim/desktop.h"
#include "uiautomation.h"
#include "variant.h"

namespace {
// A plain object offering two interfaces, to watch reference counts directly.
class Counted : public ComObject<IAccessible, IUIAutomationCondition>
{
public:
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    HRESULT get_accRole(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT get_accValue(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) override { return E_NOTIMPL; }
};

ULONG refsOf(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}
}

class TestCom : public QObject
{
    Q_OBJECT
private slots:
    void queryInterfaceFindsEachInterfaceAndOneIdentity_data();
    void queryInterfaceFindsEachInterfaceAndOneIdentity();
    void smartPointerKeepsCountsBalanced();
    void nullSmartPointerRaises();
    void stringsKeepLengthAndAreCounted_data();
    void stringsKeepLengthAndAreCounted();
    void variantsOwnWhatTheyHold();
    void comInitialisationIsCountedPerThread();
};

void TestCom::queryInterfaceFindsEachInterfaceAndOneIdentity_data()
{
    QTest::addColumn<QByteArray>("iidBytes");
    QTest::addColumn<bool>("found");
    auto bytes = [](const IID& iid) { return QByteArray(reinterpret_cast<const char*>(&iid), sizeof iid); };
    QTest::newRow("IUnknown") << bytes(IID_IUnknown) << true;
    QTest::newRow("IDispatch base of IAccessible") << bytes(IID_IDispatch) << true;
    QTest::newRow("IAccessible") << bytes(IID_IAccessible) << true;
    QTest::newRow("second interface") << bytes(IID_IUIAutomationCondition) << true;
    QTest::newRow("not offered") << bytes(IID_IUIAutomationElement) << false;
}

void TestCom::queryInterfaceFindsEachInterfaceAndOneIdentity()
{
    QFETCH(QByteArray, iidBytes);
    QFETCH(bool, found);
    IID iid;
    memcpy(&iid, iidBytes.constData(), sizeof iid);
    auto* object = new Counted;
    IAccessible* accessible = object;
    void* out = reinterpret_cast<void*>(1);
    const HRESULT hr = accessible->QueryInterface(iid, &out);
    QCOMPARE(SUCCEEDED(hr), found);
    if (found) {
        QVERIFY(out);
        QCOMPARE(refsOf(accessible), 2u);
        // Any interface leads back to the same IUnknown.
        IUnknown* viaFound = static_cast<IUnknown*>(out);
        IUnknown* id1 = nullptr;
        IUnknown* id2 = nullptr;
        static_cast<IUIAutomationCondition*>(object)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id1));
        accessible->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id2));
        QCOMPARE(id1, id2);
        id1->Release();
        id2->Release();
        viaFound->Release();
    } else {
        QCOMPARE(hr, E_NOINTERFACE);
        QVERIFY(!out);
    }
    const int before = sim::liveComObjects();
    QCOMPARE(accessible->Release(), 0u);
    QCOMPARE(sim::liveComObjects(), before - 1);
}

void TestCom::smartPointerKeepsCountsBalanced()
{
    auto* object = new Counted;
    {
        IAccessiblePtr a;
        a.Attach(object);
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 1u);
        IAccessiblePtr b = a;
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 2u);
        IAccessiblePtr c = std::move(b);
        QVERIFY(!b);
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 2u);
        IUIAutomationConditionPtr other(a);  // through QueryInterface
        QVERIFY(other);
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 3u);
        IAccessiblePtr d(object);
        d = c;                               // self-object assignment keeps the count
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 4u);
        IAccessible** slot = &d;             // out-parameter access drops the old reference
        QVERIFY(!*slot);
        QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 3u);
        QVERIFY(IsSameComObject(a, other.GetInterfacePtr()));
        IUIAutomationElementPtr none(a);     // an interface the object lacks
        QVERIFY(!none);
    }
    QCOMPARE(sim::liveComObjects(), 0);
}

void TestCom::nullSmartPointerRaises()
{
    IAccessiblePtr empty;
    VARIANT child;
    try {
        empty->get_accRole(child, nullptr);
        QFAIL("no exception");
    } catch (const _com_error& e) {
        QCOMPARE(e.Error(), E_POINTER);
    }
}

void TestCom::stringsKeepLengthAndAreCounted_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("chinese") << QStringLiteral("校对文本");
    QTest::newRow("embedded zero") << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("surrogate pair") << QString::fromUtf16(u"\U0001F600x");
}

void TestCom::stringsKeepLengthAndAreCounted()
{
    QFETCH(QString, text);
    const int before = sim::liveStrings();
    BSTR s = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()), text.size());
    QCOMPARE(int(SysStringLen(s)), text.size());
    QCOMPARE(QString::fromUtf16(s, SysStringLen(s)), text);
    QCOMPARE(s[text.size()], u'\0');
    QCOMPARE(sim::liveStrings(), before + 1);
    SysFreeString(s);
    QCOMPARE(sim::liveStrings(), before);
    QCOMPARE(SysStringLen(nullptr), 0u);
}

void TestCom::variantsOwnWhatTheyHold()
{
    auto* object = new Counted;
    VARIANT a;
    a.vt = VT_UNKNOWN;
    a.punkVal = static_cast<IAccessible*>(object);
    VARIANT b;
    QCOMPARE(VariantCopy(&b, &a), S_OK);
    QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 2u);
    VARIANT s;
    s.vt = VT_BSTR;
    s.bstrVal = SysAllocString(u"text");
    VariantCopy(&b, &s);                     // replaces (and releases) the interface
    QCOMPARE(refsOf(static_cast<IAccessible*>(object)), 1u);
    QVERIFY(b.bstrVal != s.bstrVal);
    QCOMPARE(QString::fromUtf16(b.bstrVal), QStringLiteral("text"));
    LONG number = 5;
    VARIANT byRef;
    byRef.vt = VT_BYREF | VT_I4;
    byRef.plVal = &number;
    VariantClear(&byRef);                    // storage pointed to is not the variant's
    QCOMPARE(number, 5);
    const int strings = sim::liveStrings();
    VariantClear(&b);
    VariantClear(&s);
    QCOMPARE(sim::liveStrings(), strings - 2);
    QCOMPARE(b.vt, VARTYPE(VT_EMPTY));
    VariantClear(&a);
    QCOMPARE(sim::liveComObjects(), 0);
}

void TestCom::comInitialisationIsCountedPerThread()
{
    IUIAutomationPtr automation;
    QCOMPARE(automation.CreateInstance(CLSID_CUIAutomation), CO_E_NOTINITIALIZED);
    QCOMPARE(CoInitialize(nullptr), S_OK);
    QCOMPARE(CoInitialize(nullptr), S_FALSE);
    QCOMPARE(sim::comInitCount(), 2);
    int otherThread = -1;
    std::thread([&] { otherThread = sim::comInitCount(); }).join();
    QCOMPARE(otherThread, 0);
    QCOMPARE(automation.CreateInstance(CLSID_CUIAutomation), S_OK);
    QVERIFY(automation);
    IUnknownPtr unknown;
    QCOMPARE(unknown.CreateInstance(IID_IAccessible), REGDB_E_CLASSNOTREG);
    automation = nullptr;
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();                        // unbalanced extra call is ignored
    QCOMPARE(sim::comInitCount(), 0);
    QCOMPARE(sim::comInitTotal(), 0);
    QCOMPARE(sim::liveComObjects(), 0);
}

QTEST_GUILESS_MAIN(TestCom)
#include "tst_com.moc"
