// The application event sink against a connection point of our own, which can refuse each step.
#include <QtTest>

#include "appeventlistener.h"
#include "connectionpoint.h"
#include "sim/desktop.h"
#include "wordobjects.h"

namespace {
// Current reference count of a COM object.
ULONG refsOf(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class FakePoint : public ComObject<IConnectionPoint>
{
public:
    HRESULT adviseResult = S_OK;
    HRESULT unadviseResult = S_OK;
    IUnknown* sink = nullptr;
    QList<DWORD> unadvised;

    HRESULT Advise(IUnknown* newSink, DWORD* cookie) override
    {
        if (FAILED(adviseResult))
            return adviseResult;
        sink = newSink;
        sink->AddRef();
        *cookie = 42;
        return S_OK;
    }
    HRESULT Unadvise(DWORD cookie) override
    {
        unadvised << cookie;
        if (FAILED(unadviseResult))
            return unadviseResult;
        dropSink();
        return S_OK;
    }
    void dropSink()
    {
        if (IUnknown* old = std::exchange(sink, nullptr))
            old->Release();
    }

protected:
    ~FakePoint() override { dropSink(); }
};

class FakeSource : public ComObject<IConnectionPointContainer>
{
public:
    explicit FakeSource(FakePoint* point) : point(point) {}
    HRESULT findResult = S_OK;
    IID asked = IID_NULL;

    HRESULT FindConnectionPoint(REFIID eventsIid, IConnectionPoint** found) override
    {
        asked = eventsIid;
        *found = nullptr;
        if (FAILED(findResult))
            return findResult;
        point->AddRef();
        *found = point;
        return S_OK;
    }

private:
    FakePoint* point;
};

// The dispatch members a sink answers without an event source.
enum class Member { TypeInfoCount, TypeInfoCountWithoutOut, TypeInfo, IdsOfNames, Event };
}

Q_DECLARE_METATYPE(IID)
Q_DECLARE_METATYPE(Member)

class TestWordEventSink : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QCOMPARE(sim::liveComObjects(), 0); }

    void answersItsInterfaces_data();
    void answersItsInterfaces();
    void adviseAndUnadvise_data();
    void adviseAndUnadvise();
    void answersDispatchMembers_data();
    void answersDispatchMembers();
};

void TestWordEventSink::answersItsInterfaces_data()
{
    QTest::addColumn<IID>("iid");
    QTest::addColumn<bool>("plainSink");
    QTest::addColumn<bool>("applicationSink");
    QTest::newRow("IUnknown") << IID_IUnknown << true << true;
    QTest::newRow("IDispatch") << IID_IDispatch << true << true;
    QTest::newRow("ApplicationEvents") << IID_ApplicationEvents << false << true;
    QTest::newRow("ApplicationEvents2") << IID_ApplicationEvents2 << false << true;
    QTest::newRow("ApplicationEvents3") << IID_ApplicationEvents3 << false << true;
    QTest::newRow("ApplicationEvents4") << IID_ApplicationEvents4 << false << true;
    QTest::newRow("connection point") << IID_IConnectionPoint << false << false;
}

void TestWordEventSink::answersItsInterfaces()
{
    QFETCH(IID, iid);
    QFETCH(bool, plainSink);
    QFETCH(bool, applicationSink);
    EventListener* plain = new EventListener;
    AppEventListener* application = new AppEventListener;
    for (auto [sink, answers] : {std::pair<EventListener*, bool>{plain, plainSink}, {application, applicationSink}}) {
        void* out = reinterpret_cast<void*>(1);
        QCOMPARE(sink->QueryInterface(iid, &out), answers ? S_OK : E_NOINTERFACE);
        QCOMPARE(out, answers ? static_cast<void*>(static_cast<IDispatch*>(sink)) : nullptr);
        QCOMPARE(refsOf(sink), answers ? 2u : 1u);
        if (answers)
            sink->Release();
        sink->Release();
    }
}

void TestWordEventSink::adviseAndUnadvise_data()
{
    QTest::addColumn<bool>("container");
    QTest::addColumn<HRESULT>("findResult");
    QTest::addColumn<HRESULT>("adviseResult");
    QTest::addColumn<HRESULT>("unadviseResult");
    QTest::addColumn<HRESULT>("expected");
    QTest::newRow("advised") << true << S_OK << S_OK << S_OK << S_OK;
    QTest::newRow("source without points") << false << S_OK << S_OK << S_OK << E_NOINTERFACE;
    QTest::newRow("no such point") << true << CONNECT_E_NOCONNECTION << S_OK << S_OK << CONNECT_E_NOCONNECTION;
    QTest::newRow("advise refused") << true << S_OK << CONNECT_E_CANNOTCONNECT << S_OK << CONNECT_E_CANNOTCONNECT;
    QTest::newRow("unadvise refused") << true << S_OK << S_OK << E_FAIL << S_OK;
}

void TestWordEventSink::adviseAndUnadvise()
{
    QFETCH(bool, container);
    QFETCH(HRESULT, findResult);
    QFETCH(HRESULT, adviseResult);
    QFETCH(HRESULT, unadviseResult);
    QFETCH(HRESULT, expected);
    auto* point = new FakePoint;
    point->adviseResult = adviseResult;
    point->unadviseResult = unadviseResult;
    auto* source = new FakeSource(point);
    source->findResult = findResult;
    auto* sink = new AppEventListener;

    IUnknown* advisedTo = container ? static_cast<IUnknown*>(source) : static_cast<IUnknown*>(point);
    QCOMPARE(sink->advise(advisedTo, IID_ApplicationEvents2), expected);
    QCOMPARE(sink->isAdvised(), SUCCEEDED(expected));
    if (container)
        QVERIFY(source->asked == IID_ApplicationEvents2);
    // Only an advised sink keeps the point; the point keeps the sink while advised.
    QCOMPARE(refsOf(point), SUCCEEDED(expected) ? 2u : 1u);
    QCOMPARE(refsOf(sink), SUCCEEDED(expected) ? 2u : 1u);
    QCOMPARE(refsOf(source), 1u);

    sink->unadvise();
    QVERIFY(!sink->isAdvised());
    QCOMPARE(point->unadvised, SUCCEEDED(expected) ? QList<DWORD>{42} : QList<DWORD>{});
    QCOMPARE(refsOf(point), 1u);
    const bool stillHeld = SUCCEEDED(expected) && FAILED(unadviseResult);
    QCOMPARE(refsOf(sink), stillHeld ? 2u : 1u);
    sink->unadvise();
    QCOMPARE(point->unadvised.size(), SUCCEEDED(expected) ? 1 : 0);

    sink->Release();
    source->Release();
    point->Release();
}

void TestWordEventSink::answersDispatchMembers_data()
{
    QTest::addColumn<Member>("member");
    QTest::addColumn<HRESULT>("expected");
    QTest::newRow("no type descriptions") << Member::TypeInfoCount << S_OK;
    QTest::newRow("count without out-param") << Member::TypeInfoCountWithoutOut << E_POINTER;
    QTest::newRow("type description") << Member::TypeInfo << E_NOTIMPL;
    QTest::newRow("member by name") << Member::IdsOfNames << E_NOTIMPL;
    QTest::newRow("event without helper") << Member::Event << S_FALSE;
}

// Both sinks answer the same: no types, no names, and events are left alone until a helper is set.
void TestWordEventSink::answersDispatchMembers()
{
    QFETCH(Member, member);
    QFETCH(HRESULT, expected);
    for (bool application : {false, true}) {
        ComPtr<EventListener> owner;
        owner.Attach(application ? new AppEventListener : new EventListener);
        EventListener* sink = owner;
        UINT count = 7;
        auto* info = reinterpret_cast<ITypeInfo*>(1);
        DISPID id = 5;
        DISPPARAMS params;
        HRESULT hr = S_OK;
        switch (member) {
        case Member::TypeInfoCount:
            hr = sink->GetTypeInfoCount(&count);
            QCOMPARE(count, 0u);
            break;
        case Member::TypeInfoCountWithoutOut:
            hr = sink->GetTypeInfoCount(nullptr);
            break;
        case Member::TypeInfo:
            hr = sink->GetTypeInfo(0, 0, &info);
            QCOMPARE(info, nullptr);
            break;
        case Member::IdsOfNames:
            hr = sink->GetIDsOfNames(IID_NULL, nullptr, 0, 0, &id);
            break;
        case Member::Event:
            hr = sink->Invoke(word::AppEvent::WindowSelectionChange, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                              nullptr, nullptr);
            break;
        }
        QCOMPARE(hr, expected);
        QCOMPARE(refsOf(sink), 1u);
    }
}

QTEST_MAIN(TestWordEventSink)
#include "tst_wordeventsink.moc"
