#include <QtTest>
#include <functional>

#include "accessible.h"
#include "sim/word.h"
#include "window.h"
#include "winevent.h"
#include "wordobjects.h"

namespace {
struct Received
{
    DISPID event = 0;
    QVector<VARTYPE> types;              // declared order
    int depth = 0;
};

// An application event sink that records what arrives and may answer through a callback.
class RecordingSink : public ComObject<IDispatch>
{
public:
    QVector<Received> received;
    std::function<void(DISPID, DISPPARAMS*)> onEvent;
    DISPID cancelOn = 0;

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        ++depth;
        Received r{event, {}, depth};
        for (UINT i = params->cArgs; i-- > 0;)
            r.types.append(params->rgvarg[i].vt);
        received.append(r);
        if (event == cancelOn && params->cArgs && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL))
            *params->rgvarg[0].pboolVal = VARIANT_TRUE;
        if (onEvent)
            onEvent(event, params);
        --depth;
        return S_OK;
    }

    QVector<DISPID> events() const
    {
        QVector<DISPID> out;
        for (const Received& r : received)
            out.append(r.event);
        return out;
    }

private:
    int depth = 0;
};

QVector<QPair<DWORD, HWND>> winEvents;
void hookProcedure(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD)
{
    winEvents.append({event, hwnd});
}

IConnectionPointPtr pointOf(IDispatch* application, const IID& iid = IID_ApplicationEvents2)
{
    IConnectionPointContainerPtr container(ComPtr<IDispatch>{application});
    IConnectionPointPtr point;
    if (container)
        container->FindConnectionPoint(iid, &point);
    return point;
}

enum Action { Save, Print, Close, CloseOther, OpenDocument, SwitchDocument, ForegroundElsewhere, SetForeground, Typing,
              CaretMove, SelectRange };
}

Q_DECLARE_METATYPE(Action)

class TestWordEvents : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void eventsArePostedNotRaisedInsideTheCall();
    void eventsAreNeverReentrant();
    void actionsRaiseTheirEvents_data();
    void actionsRaiseTheirEvents();
    void cancelStopsTheAction_data();
    void cancelStopsTheAction();
    void saveSeesWhatTheSinksLeft();
    void anyEventWithAnyArguments();
    void connectionPointsHoldTheirSinks();
    void runningApplicationIsFoundAfterFailures_data();
    void runningApplicationIsFoundAfterFailures();
    void paneAnswersItsNativeObject_data();
    void paneAnswersItsNativeObject();
    void foregroundAndFocusRaiseWinEvents();

private:
    sim::WordAppId app = 0;
    sim::WordDocId first = 0;
    sim::WordDocId second = 0;
    RecordingSink* sink = nullptr;
    IConnectionPointPtr point;
    DWORD cookie = 0;
};

void TestWordEvents::init()
{
    sim::reset();
    app = sim::createWordApp();
    sim::WordDocSpec setup;
    setup.text = u"one two\rthree\r";
    setup.name = u"first.docx";
    first = sim::openWordDocument(app, setup);
    setup.name = u"second.docx";
    second = sim::openWordDocument(app, setup);
    sim::activateWordDocument(first);
    sink = new RecordingSink;
    point = pointOf(sim::wordApplicationObject(app));
    QVERIFY(point);
    QCOMPARE(point->Advise(static_cast<IDispatch*>(sink), &cookie), S_OK);
    QTRY_COMPARE(sim::wordPendingEvents(), 0);
    sink->received.clear();
}

void TestWordEvents::cleanup()
{
    if (point)
        point->Unadvise(cookie);
    point = nullptr;
    QCOMPARE(sink->Release(), 0u);
    sim::resetWord();
    QCOMPARE(sim::liveWordObjects(), 0);
}

void TestWordEvents::eventsArePostedNotRaisedInsideTheCall()
{
    IDispatchPtr range = sim::wordRangeObject(first, 0, 3);
    callMethod(range, word::Range::Select);
    QCOMPARE(sink->received.size(), 0);
    QCOMPARE(sim::wordPendingEvents(), 1);
    QCOMPARE(sim::wordSelection(first), std::make_pair(0, 3));
    QTRY_COMPARE(sink->events(), QVector<DISPID>{word::AppEvent::WindowSelectionChange});
    QCOMPARE(sink->received[0].types, QVector<VARTYPE>{VT_DISPATCH});
}

void TestWordEvents::eventsAreNeverReentrant()
{
    int selections = 0;
    sink->onEvent = [&](DISPID event, DISPPARAMS* params) {
        if (event != word::AppEvent::WindowSelectionChange || ++selections > 2)
            return;
        // Reacting to the event by moving the selection again, as a tracker does.
        IDispatchPtr selection = _variant_t(params->rgvarg[0]).toDispatch();
        IDispatchPtr document = getProperty(selection, word::Selection::Document).toDispatch();
        callMethod(callMethod(document, word::Document::Range, {4, 7}).toDispatch(), word::Range::Select);
    };
    sim::setWordSelection(first, 1, 1);
    QTRY_COMPARE(sink->received.size(), 3);
    for (const Received& r : sink->received)
        QCOMPARE(r.depth, 1);
    QCOMPARE(sim::wordSelection(first), std::make_pair(4, 7));
}

void TestWordEvents::actionsRaiseTheirEvents_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QVector<DISPID>>("events");
    QTest::addColumn<QVector<int>>("argumentCounts");
    using namespace word::AppEvent;
    QTest::newRow("save") << Save << QVector<DISPID>{DocumentBeforeSave} << QVector<int>{3};
    QTest::newRow("print") << Print << QVector<DISPID>{DocumentBeforePrint} << QVector<int>{2};
    QTest::newRow("close the active document")
        << Close << QVector<DISPID>{DocumentBeforeClose, WindowActivate, DocumentChange} << QVector<int>{2, 2, 0};
    QTest::newRow("close a document in the background") << CloseOther << QVector<DISPID>{DocumentBeforeClose}
                                                        << QVector<int>{2};
    QTest::newRow("open a document")
        << OpenDocument << QVector<DISPID>{WindowDeactivate, WindowActivate, DocumentChange} << QVector<int>{2, 2, 0};
    QTest::newRow("switch document")
        << SwitchDocument << QVector<DISPID>{WindowDeactivate, WindowActivate, DocumentChange} << QVector<int>{2, 2, 0};
    QTest::newRow("foreground to another program") << ForegroundElsewhere << QVector<DISPID>{WindowDeactivate}
                                                   << QVector<int>{2};
    QTest::newRow("SetForegroundWindow")
        << SetForeground << QVector<DISPID>{WindowDeactivate, WindowActivate, DocumentChange} << QVector<int>{2, 2, 0};
    QTest::newRow("typing") << Typing << QVector<DISPID>{WindowSelectionChange} << QVector<int>{1};
    QTest::newRow("caret move") << CaretMove << QVector<DISPID>{WindowSelectionChange} << QVector<int>{1};
    QTest::newRow("range selected") << SelectRange << QVector<DISPID>{WindowSelectionChange} << QVector<int>{1};
}

void TestWordEvents::actionsRaiseTheirEvents()
{
    QFETCH(Action, action);
    QFETCH(QVector<DISPID>, events);
    QFETCH(QVector<int>, argumentCounts);
    switch (action) {
    case Save:
        sim::saveWordDocument(first);
        break;
    case Print:
        sim::printWordDocument(first);
        break;
    case Close:
        sim::closeWordDocument(first);
        break;
    case CloseOther:
        sim::closeWordDocument(second);
        break;
    case OpenDocument:
        sim::openWordDocument(app, {});
        break;
    case SwitchDocument:
        sim::activateWordDocument(second);
        break;
    case ForegroundElsewhere:
        sim::setForeground(sim::createWindow(sim::WindowSpec{u"Notepad", u"notes", nullptr, nullptr, {}, 0, {}}));
        break;
    case SetForeground:
        QVERIFY(SetForegroundWindow(sim::wordFrame(second)));
        break;
    case Typing:
        sim::typeWordText(first, u"x");
        break;
    case CaretMove:
        sim::setWordSelection(first, 2, 2);
        break;
    case SelectRange:
        callMethod(sim::wordRangeObject(first, 1, 2), word::Range::Select);
        break;
    }
    QCOMPARE(sink->received.size(), 0);
    QTRY_COMPARE(sink->events(), events);
    QVector<int> counts;
    for (const Received& r : sink->received)
        counts.append(r.types.size());
    QCOMPARE(counts, argumentCounts);
    if (action == CloseOther) {
        QTRY_VERIFY(!sim::wordDocumentOpen(second));
        QCOMPARE(sim::activeWordDocument(app), first);
    }
    if (events.first() == word::AppEvent::DocumentBeforeSave)
        QCOMPARE(sink->received[0].types, (QVector<VARTYPE>{VT_DISPATCH, VT_BYREF | VT_BOOL, VT_BYREF | VT_BOOL}));
}

void TestWordEvents::cancelStopsTheAction_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("save") << Save << false;
    QTest::newRow("save cancelled") << Save << true;
    QTest::newRow("print") << Print << false;
    QTest::newRow("print cancelled") << Print << true;
    QTest::newRow("close") << Close << false;
    QTest::newRow("close cancelled") << Close << true;
}

void TestWordEvents::cancelStopsTheAction()
{
    QFETCH(Action, action);
    QFETCH(bool, cancel);
    const DISPID event = action == Save    ? word::AppEvent::DocumentBeforeSave
                         : action == Print ? word::AppEvent::DocumentBeforePrint
                                           : word::AppEvent::DocumentBeforeClose;
    sink->cancelOn = cancel ? event : 0;
    action == Save ? sim::saveWordDocument(first) : action == Print ? sim::printWordDocument(first) : sim::closeWordDocument(first);
    // Nothing happens before the sinks had their say.
    QCOMPARE(sim::lastSave(first).count + sim::lastPrint(first).count, 0);
    QVERIFY(sim::wordDocumentOpen(first));
    QTRY_COMPARE(sim::wordPendingEvents(), 0);
    const int done = action == Save ? sim::lastSave(first).count
                     : action == Print ? sim::lastPrint(first).count
                                       : int(!sim::wordDocumentOpen(first));
    QCOMPARE(done, cancel ? 0 : 1);
    if (action == Close && !cancel) {
        QVERIFY(!IsWindow(sim::wordPane(first)));
        QCOMPARE(sim::activeWordDocument(app), second);
    }
}

void TestWordEvents::saveSeesWhatTheSinksLeft()
{
    sim::setWordUnderline(first, 0, 3, {word::wdUnderlineWavyHeavy, 496});
    sink->onEvent = [&](DISPID event, DISPPARAMS* params) {
        if (event != word::AppEvent::DocumentBeforeSave)
            return;
        IDispatchPtr document = _variant_t(params->rgvarg[2]).toDispatch();
        IDispatchPtr content = getProperty(document, word::Document::Content).toDispatch();
        IDispatchPtr font = getProperty(content, word::Range::Font).toDispatch();
        putProperty(font, word::Font::Underline, word::wdUnderlineNone);
        putProperty(font, word::Font::UnderlineColor, word::wdColorAutomatic);
    };
    sim::saveWordDocument(first);
    QTRY_COMPARE(sim::lastSave(first).count, 1);
    QVERIFY(sim::lastSave(first).runs.empty());
    QCOMPARE(sim::lastSave(first).text, std::u16string(u"one two\rthree\r"));
}

void TestWordEvents::anyEventWithAnyArguments()
{
    LONG flag = 0;
    sim::raiseWordEvent(app, word::AppEvent::WindowSelectionChange, {});
    sim::raiseWordEvent(app, word::AppEvent::DocumentBeforeClose, {sim::wordDocumentObject(second), _variant_t::byRef(&flag), 7});
    QTRY_COMPARE(sink->received.size(), 2);
    QCOMPARE(sink->received[0].types.size(), 0);
    QCOMPARE(sink->received[1].types, (QVector<VARTYPE>{VT_DISPATCH, VT_BYREF | VT_I4, VT_I4}));
}

void TestWordEvents::connectionPointsHoldTheirSinks()
{
    QCOMPARE(sim::wordAdvisedSinks(app), 1);
    auto* other = new RecordingSink;
    DWORD otherCookie = 0;
    QCOMPARE(point->Advise(static_cast<IDispatch*>(other), &otherCookie), S_OK);
    QVERIFY(otherCookie != cookie);
    QCOMPARE(sim::wordAdvisedSinks(app), 2);
    QCOMPARE(point->Unadvise(otherCookie + 100), CONNECT_E_NOCONNECTION);
    sim::failWordMember(sim::WordObject::ConnectionPoint, sim::wordUnadvise, E_FAIL, 1, 1);
    QCOMPARE(point->Unadvise(otherCookie), E_FAIL);
    QCOMPARE(point->Unadvise(otherCookie), S_OK);
    QCOMPARE(other->Release(), 0u);
    QVERIFY(!pointOf(sim::wordApplicationObject(app), IID_IDispatch));

    // Quitting lets go of the sinks that were never unadvised.
    sink->AddRef();
    sim::quitWordApp(app);
    QCOMPARE(sink->Release(), 1u);
    QCOMPARE(point->Unadvise(cookie), RPC_E_DISCONNECTED);
    point = nullptr;
}

void TestWordEvents::runningApplicationIsFoundAfterFailures_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("registered");
    QTest::addColumn<int>("attempts");                   // of five; 0: never found
    QTest::newRow("at once") << 0 << true << 1;
    QTest::newRow("fifth try") << 4 << true << 5;
    QTest::newRow("too late") << 5 << true << 0;
    QTest::newRow("not registered") << 0 << false << 0;
}

void TestWordEvents::runningApplicationIsFoundAfterFailures()
{
    QFETCH(int, failures);
    QFETCH(bool, registered);
    QFETCH(int, attempts);
    sim::WordAppSpec setup;
    setup.activeObjectFailures = failures;
    setup.runningObject = registered;
    sim::setWordAppSpec(app, setup);
    CLSID clsid;
    QCOMPARE(CLSIDFromProgID(u"word.application", &clsid), S_OK);
    QCOMPARE(CLSIDFromProgID(u"Writer.Application", &clsid), CO_E_CLASSSTRING);
    QCOMPARE(CLSIDFromProgID(wordProgId, &clsid), S_OK);
    int found = 0;
    for (int attempt = 1; attempt <= 5 && !found; ++attempt) {
        IUnknownPtr object;
        if (SUCCEEDED(GetActiveObject(clsid, nullptr, &object))) {
            IDispatchPtr application(object);
            QCOMPARE(getProperty(application, word::Application::Version).toString(), QStringLiteral("16.0"));
            found = attempt;
        }
    }
    QCOMPARE(found, attempts);
    QCOMPARE(sim::callCount(sim::Call::GetActiveObject), attempts ? attempts : 5);
}

void TestWordEvents::paneAnswersItsNativeObject_data()
{
    QTest::addColumn<bool>("pane");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("answers");
    QTest::newRow("pane") << true << true << true;
    QTest::newRow("frame") << false << true << false;
    QTest::newRow("not offered") << true << false << false;
}

void TestWordEvents::paneAnswersItsNativeObject()
{
    QFETCH(bool, pane);
    QFETCH(bool, offered);
    QFETCH(bool, answers);
    sim::WordAppSpec setup;
    setup.nativeObject = offered;
    sim::setWordAppSpec(app, setup);
    IDispatchPtr window;
    const HWND hwnd = pane ? sim::wordPane(second) : sim::wordFrame(second);
    const HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_NATIVEOM), IID_IDispatch,
                                                  reinterpret_cast<void**>(&window));
    QCOMPARE(SUCCEEDED(hr), answers);
    if (!answers)
        return;
    IDispatchPtr application = getProperty(window, word::Window::Application).toDispatch();
    IDispatchPtr active = getProperty(application, word::Application::ActiveDocument).toDispatch();
    QCOMPARE(getProperty(active, word::Document::FullName).toString(), QStringLiteral("C:\\Users\\user\\Documents\\first.docx"));
    IDispatchPtr selection = getProperty(application, word::Application::Selection).toDispatch();
    QVERIFY(selection);
}

void TestWordEvents::foregroundAndFocusRaiseWinEvents()
{
    winEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_FOCUS, nullptr, hookProcedure, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    QVERIFY(hook);
    const HWND frame = sim::wordFrame(second);
    const HWND pane = sim::wordPane(second);
    QVERIFY(SetForegroundWindow(frame));
    QCOMPARE(SetFocus(pane), HWND(nullptr));
    QCOMPARE(GetForegroundWindow(), frame);
    QCOMPARE(GetFocus(), pane);
    QCOMPARE(SetFocus(sim::wordPane(first)), pane);
    QTRY_COMPARE(winEvents.size(), 3);
    QCOMPARE(winEvents[0], qMakePair(EVENT_SYSTEM_FOREGROUND, frame));
    QCOMPARE(winEvents[1], qMakePair(EVENT_OBJECT_FOCUS, pane));
    QCOMPARE(sim::callCount(sim::Call::SetFocus), 2);
    QCOMPARE(sim::callCount(sim::Call::SetForegroundWindow), 1);
    QVERIFY(!SetForegroundWindow(HWND(nullptr)));
    UnhookWinEvent(hook);
}

QTEST_MAIN(TestWordEvents)
#include "tst_wordevents.moc"
