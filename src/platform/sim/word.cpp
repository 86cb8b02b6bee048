#include "word.h"

#include <algorithm>

#include <QCoreApplication>
#include <QThread>

#include "../comapi.h"
#include "../window.h"
#include "../wordobjects.h"
#include "state.h"
#include "wordstate.h"

namespace sim_detail {

namespace {
// The class id the running application registers under; ours, not the real program's.
constexpr CLSID CLSID_SimWordApplication = {0x4B6F7265, 0x0020, 0x4C6F, {0x80, 0, 0, 0, 0, 0, 0, 0x20}};

// A variant taking over a new object's one reference.
_variant_t owned(IDispatch* fresh)
{
    _variant_t v;
    v.vt = VT_DISPATCH;
    v.pdispVal = fresh;
    return v;
}

std::shared_ptr<WordDoc> documentOfWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    for (const auto& [id, doc] : wordRegistry().documents) {
        if (doc->open && (doc->frame == hwnd || doc->frame == root))
            return doc;
    }
    return nullptr;
}

void closeNow(const std::shared_ptr<WordDoc>& doc)
{
    doc->open = false;
    auto app = doc->app.lock();
    if (app) {
        auto& docs = app->documents;
        docs.erase(std::remove(docs.begin(), docs.end(), doc), docs.end());
        if (app->active == doc)
            app->active = nullptr;
    }
    sim::destroyWindow(doc->frame);
}

// The foreground moved: the application left loses its window, the one entered gets it, and a
// document switch within an application is announced.
void foregroundMoved(HWND before, HWND now)
{
    auto left = documentOfWindow(before);
    auto entered = documentOfWindow(now);
    if (left == entered)
        return;
    if (left) {
        if (auto app = left->app.lock())
            postWordEvent(app, word::AppEvent::WindowDeactivate,
                          {owned(newWordDocument(left)),
                           owned(newWordWindow(left))});
    }
    if (entered) {
        auto app = entered->app.lock();
        if (!app)
            return;
        const bool switched = app->active != entered;
        app->active = entered;
        postWordEvent(app, word::AppEvent::WindowActivate,
                      {owned(newWordDocument(entered)),
                       owned(newWordWindow(entered))});
        if (switched)
            postWordEvent(app, word::AppEvent::DocumentChange, {});
    }
}

// A flag argument the sinks may set: a by-reference boolean whose storage the delivery provides.
_variant_t flagArgument()
{
    _variant_t v;
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = nullptr;
    return v;
}

sim::WordSnapshot snapshot(const WordDoc& doc, int count)
{
    return {doc.model.text(), doc.model.underlineRuns(), count};
}

std::shared_ptr<WordDoc> doc(int id)
{
    auto& docs = wordRegistry().documents;
    auto it = docs.find(id);
    return it == docs.end() ? nullptr : it->second;
}

std::shared_ptr<WordApp> app(int id)
{
    auto& apps = wordRegistry().apps;
    auto it = apps.find(id);
    return it == apps.end() ? nullptr : it->second;
}
} // namespace

WordRegistry& wordRegistry()
{
    static WordRegistry* instance = new WordRegistry;
    return *instance;
}

void WordDoc::changed()
{
    if (!watcher || notifying)
        return;
    notifying = true;
    auto call = watcher;
    call();
    notifying = false;
}

HRESULT wordEnter(const WordApp* app, bool connected, sim::WordObject object, DISPID member)
{
    WordRegistry& r = wordRegistry();
    r.calls[{object, member}]++;
    auto f = r.failures.find({object, member});
    if (f != r.failures.end()) {
        WordFailure& failure = f->second;
        ++failure.seen;
        if (failure.seen >= failure.from && (failure.times < 0 || failure.seen < failure.from + failure.times))
            return failure.result;
    }
    if (!connected || !app)
        return RPC_E_DISCONNECTED;
    if (app->busy)
        return RPC_E_CALL_REJECTED;
    return S_OK;
}

void postWordEvent(const std::shared_ptr<WordApp>& app, DISPID event, std::vector<_variant_t> arguments,
                   int cancelIndex, std::function<void(bool)> after)
{
    if (!app || app->sinks.empty() || !app->poster) {
        if (after)
            after(false);
        return;
    }
    app->pendingEvents++;
    std::weak_ptr<WordApp> weak = app;
    auto deliver = [weak, event, arguments, cancelIndex, after]() mutable {
        auto app = weak.lock();
        if (app)
            app->pendingEvents--;
        std::vector<VARIANT_BOOL> flags(arguments.size(), VARIANT_FALSE);
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i].vt == (VT_BYREF | VT_BOOL) && !arguments[i].pboolVal)
                arguments[i].pboolVal = &flags[i];
        }
        if (app && app->running) {
            std::vector<IDispatch*> sinks;
            for (const WordSink& s : app->sinks) {
                s.sink->AddRef();
                sinks.push_back(s.sink);
            }
            std::vector<VARIANTARG> reversed(arguments.rbegin(), arguments.rend());
            DISPPARAMS params;
            params.rgvarg = reversed.empty() ? nullptr : reversed.data();
            params.cArgs = static_cast<UINT>(reversed.size());
            for (IDispatch* sink : sinks) {
                // A sink unadvised by an earlier one's reaction no longer hears this event.
                const bool advised = std::any_of(app->sinks.begin(), app->sinks.end(),
                                                 [sink](const WordSink& s) { return s.sink == sink; });
                VARIANT result;
                if (advised && app->running)
                    sink->Invoke(event, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
                VariantClear(&result);
                sink->Release();
            }
        }
        const bool cancelled = cancelIndex >= 0 && static_cast<size_t>(cancelIndex) < arguments.size()
                               && arguments[static_cast<size_t>(cancelIndex)].vt == (VT_BYREF | VT_BOOL)
                               && *arguments[static_cast<size_t>(cancelIndex)].pboolVal != VARIANT_FALSE;
        // The flags' storage goes with this call: the variants must not point at it afterwards.
        for (auto& argument : arguments) {
            if (argument.vt == (VT_BYREF | VT_BOOL))
                argument.pboolVal = nullptr;
        }
        if (after)
            after(cancelled);
    };
    QMetaObject::invokeMethod(app->poster, deliver, Qt::QueuedConnection);
}

void raiseSelectionChange(const std::shared_ptr<WordDoc>& doc)
{
    if (!doc->open)
        return;
    postWordEvent(doc->app.lock(), word::AppEvent::WindowSelectionChange,
                  {owned(newWordSelection(doc))});
}

HRESULT wordNativeObject(HWND hwnd, REFIID iid, void** object)
{
    for (const auto& [id, doc] : wordRegistry().documents) {
        auto app = doc->app.lock();
        if (doc->open && doc->pane == hwnd && app && app->running && app->spec.nativeObject) {
            IDispatch* window = newWordWindow(doc);
            const HRESULT hr = window->QueryInterface(iid, object);
            window->Release();
            return hr;
        }
    }
    return E_FAIL;
}

HRESULT wordActiveObject(REFCLSID clsid, IUnknown** object)
{
    if (clsid != CLSID_SimWordApplication)
        return MK_E_UNAVAILABLE;
    auto& apps = wordRegistry().apps;
    for (auto it = apps.rbegin(); it != apps.rend(); ++it) {
        auto& app = it->second;
        if (!app->running || !app->spec.runningObject)
            continue;
        if (app->spec.activeObjectFailures > 0) {
            app->spec.activeObjectFailures--;
            return MK_E_UNAVAILABLE;
        }
        *object = newWordApplication(app);
        return S_OK;
    }
    return MK_E_UNAVAILABLE;
}

HRESULT wordClassOf(LPCOLESTR progId, CLSID* clsid)
{
    const QString name = QString::fromUtf16(progId);
    if (name.compare(QString::fromUtf16(wordProgId), Qt::CaseInsensitive) != 0)
        return CO_E_CLASSSTRING;
    *clsid = CLSID_SimWordApplication;
    return S_OK;
}

} // namespace sim_detail

using namespace sim_detail;

namespace sim {

WordAppId createWordApp(const WordAppSpec& spec)
{
    state().foregroundMoved = &foregroundMoved;
    WordRegistry& r = wordRegistry();
    auto a = std::make_shared<WordApp>();
    a->id = r.nextId++;
    a->spec = spec;
    a->processId = spec.processId ? spec.processId : createProcess({u"C:\\Program Files\\Office\\WINWORD.EXE"});
    r.apps[a->id] = a;
    return a->id;
}

void quitWordApp(WordAppId id)
{
    auto a = app(id);
    if (!a)
        return;
    for (auto& d : std::vector<std::shared_ptr<WordDoc>>(a->documents))
        closeNow(d);
    a->running = false;
    for (WordSink& s : a->sinks)
        s.sink->Release();
    a->sinks.clear();
    // Events not delivered yet go with the poster (and the objects they carry with them).
    if (a->poster && a->poster->thread() == QThread::currentThread())
        delete a->poster.data();
    else if (a->poster)
        a->poster->deleteLater();
    wordRegistry().apps.erase(id);
}

void setWordAppSpec(WordAppId id, const WordAppSpec& spec)
{
    if (auto a = app(id))
        a->spec = spec;
}

WordDocId openWordDocument(WordAppId appId, const WordDocSpec& spec)
{
    auto a = app(appId);
    if (!a)
        return 0;
    WordRegistry& r = wordRegistry();
    auto d = std::make_shared<WordDoc>();
    d->id = r.nextId++;
    d->app = a;
    d->name = spec.name.empty() ? u"Document" + QString::number(d->id).toStdU16String() : spec.name;
    d->fullName = spec.fullName.empty() ? u"C:\\Users\\user\\Documents\\" + d->name : spec.fullName;
    d->model.setText(spec.text);
    d->model.setPageStarts(spec.pageStarts);
    WindowSpec frame;
    frame.className = u"OpusApp";
    frame.title = d->name + a->spec.titleSuffix;
    frame.rect = spec.frameRect;
    frame.processId = a->processId;
    d->frame = createWindow(frame);
    WindowSpec pane;
    pane.className = u"_WwG";
    pane.parent = d->frame;
    pane.rect = {spec.frameRect.left + 8, spec.frameRect.top + 120, spec.frameRect.right - 8, spec.frameRect.bottom - 8};
    pane.processId = a->processId;
    d->pane = createWindow(pane);
    r.documents[d->id] = d;
    a->documents.push_back(d);
    if (spec.activate)
        setForeground(d->frame);
    else if (!a->active)
        a->active = d;
    return d->id;
}

HWND wordFrame(WordDocId id)
{
    auto d = doc(id);
    return d ? d->frame : nullptr;
}

HWND wordPane(WordDocId id)
{
    auto d = doc(id);
    return d ? d->pane : nullptr;
}

WordAppId wordAppOf(WordDocId id)
{
    auto d = doc(id);
    auto a = d ? d->app.lock() : nullptr;
    return a ? a->id : 0;
}

std::u16string wordDocumentName(WordDocId id)
{
    auto d = doc(id);
    return d ? d->name : std::u16string();
}

WordDocId activeWordDocument(WordAppId id)
{
    auto a = app(id);
    return a && a->active ? a->active->id : 0;
}

void activateWordDocument(WordDocId id)
{
    auto d = doc(id);
    if (d && d->open && GetForegroundWindow() != d->frame)
        setForeground(d->frame);
}

void saveWordDocument(WordDocId id)
{
    auto d = doc(id);
    if (!d || !d->open)
        return;
    postWordEvent(d->app.lock(), word::AppEvent::DocumentBeforeSave,
                  {owned(newWordDocument(d)), flagArgument(), flagArgument()}, 2,
                  [d](bool cancelled) {
                      if (!cancelled && d->open)
                          d->saved = snapshot(*d, d->saved.count + 1);
                  });
}

void printWordDocument(WordDocId id)
{
    auto d = doc(id);
    if (!d || !d->open)
        return;
    postWordEvent(d->app.lock(), word::AppEvent::DocumentBeforePrint,
                  {owned(newWordDocument(d)), flagArgument()}, 1, [d](bool cancelled) {
                      if (!cancelled && d->open)
                          d->printed = snapshot(*d, d->printed.count + 1);
                  });
}

void closeWordDocument(WordDocId id)
{
    auto d = doc(id);
    if (!d || !d->open)
        return;
    postWordEvent(d->app.lock(), word::AppEvent::DocumentBeforeClose,
                  {owned(newWordDocument(d)), flagArgument()}, 1, [d](bool cancelled) {
                      if (cancelled || !d->open)
                          return;
                      auto a = d->app.lock();
                      const bool wasActive = a && a->active == d;
                      closeNow(d);
                      if (!a || !wasActive)
                          return;
                      if (!a->documents.empty())
                          setForeground(a->documents.back()->frame);
                      else
                          postWordEvent(a, word::AppEvent::DocumentChange, {});
                  });
}

bool wordDocumentOpen(WordDocId id)
{
    auto d = doc(id);
    return d && d->open;
}

void setWordText(WordDocId id, const std::u16string& text)
{
    if (auto d = doc(id)) {
        d->model.setText(text);
        d->changed();
    }
}

std::u16string wordText(WordDocId id)
{
    auto d = doc(id);
    return d ? d->model.text() : std::u16string();
}

void setWordPageStarts(WordDocId id, const std::vector<int>& starts)
{
    if (auto d = doc(id))
        d->model.setPageStarts(starts);
}

std::vector<int> wordPageStarts(WordDocId id)
{
    auto d = doc(id);
    return d ? d->model.pageStarts() : std::vector<int>();
}

void replaceWordText(WordDocId id, int start, int end, const std::u16string& text)
{
    auto d = doc(id);
    if (!d)
        return;
    d->model.replace(start, end, text, d->model.formatAt(std::max(0, start - 1)));
    d->changed();
}

void typeWordText(WordDocId id, const std::u16string& text)
{
    auto d = doc(id);
    if (!d)
        return;
    WordDocModel& m = d->model;
    const Anchor s = m.selection();
    const int end = m.replace(s.start, s.end, text, m.formatAt(std::max(0, s.start - 1)));
    m.selection() = {end, end};
    d->changed();
    raiseSelectionChange(d);
}

void setWordSelection(WordDocId id, int start, int end)
{
    auto d = doc(id);
    if (!d)
        return;
    WordDocModel& m = d->model;
    m.selection() = {m.clamp(std::min(start, end)), m.clamp(std::max(start, end))};
    d->changed();
    raiseSelectionChange(d);
}

std::pair<int, int> wordSelection(WordDocId id)
{
    auto d = doc(id);
    if (!d)
        return {0, 0};
    const Anchor s = d->model.selection();
    return {s.start, s.end};
}

void setWordUnderline(WordDocId id, int start, int end, const Underline& underline)
{
    auto d = doc(id);
    if (!d)
        return;
    FontCriteria f;
    f.underline = underline.style;
    f.color = underline.color;
    d->model.setFormat(start, end, f);
    d->changed();
}

Underline wordUnderline(WordDocId id, int position)
{
    auto d = doc(id);
    return d ? d->model.formatAt(position) : Underline();
}

std::vector<UnderlineRun> wordUnderlineRuns(WordDocId id)
{
    auto d = doc(id);
    return d ? d->model.underlineRuns() : std::vector<UnderlineRun>();
}

WordSnapshot lastSave(WordDocId id)
{
    auto d = doc(id);
    return d ? d->saved : WordSnapshot();
}

WordSnapshot lastPrint(WordDocId id)
{
    auto d = doc(id);
    return d ? d->printed : WordSnapshot();
}

CopiedText lastCopy()
{
    return wordRegistry().copied;
}

void setWordGeometry(WordDocId id, WordGeometry geometry)
{
    if (auto d = doc(id))
        d->geometry = std::move(geometry);
}

void watchWordDocument(WordDocId id, std::function<void()> changed)
{
    if (auto d = doc(id))
        d->watcher = std::move(changed);
}

IDispatchPtr wordApplicationObject(WordAppId id)
{
    IDispatchPtr p;
    p.Attach(newWordApplication(app(id)));
    return p;
}

namespace {
IDispatchPtr over(WordDocId id, IDispatch* (*make)(const std::shared_ptr<WordDoc>&))
{
    IDispatchPtr p;
    if (auto d = doc(id))
        p.Attach(make(d));
    return p;
}
}

IDispatchPtr wordDocumentObject(WordDocId id) { return over(id, &newWordDocument); }
IDispatchPtr wordWindowObject(WordDocId id) { return over(id, &newWordWindow); }
IDispatchPtr wordSelectionObject(WordDocId id) { return over(id, &newWordSelection); }

IDispatchPtr wordRangeObject(WordDocId id, int start, int end)
{
    IDispatchPtr p;
    if (auto d = doc(id))
        p.Attach(newWordRange(d, start, end));
    return p;
}

void raiseWordEvent(WordAppId id, DISPID event, const std::vector<_variant_t>& arguments)
{
    postWordEvent(app(id), event, arguments);
}

int wordAdvisedSinks(WordAppId id)
{
    auto a = app(id);
    return a ? static_cast<int>(a->sinks.size()) : 0;
}

int wordPendingEvents()
{
    int pending = 0;
    for (const auto& [id, a] : wordRegistry().apps)
        pending += a->pendingEvents;
    return pending;
}

void failWordMember(WordObject object, DISPID member, HRESULT result, int fromCall, int times)
{
    WordFailure f;
    f.result = result;
    f.from = std::max(1, fromCall);
    f.times = times;
    wordRegistry().failures[{object, member}] = f;
}

void setWordBusy(WordAppId id, bool busy)
{
    if (auto a = app(id))
        a->busy = busy;
}

int wordCallCount(WordObject object, DISPID member)
{
    auto& calls = wordRegistry().calls;
    auto it = calls.find({object, member});
    return it == calls.end() ? 0 : it->second;
}

void clearWordFailures()
{
    wordRegistry().failures.clear();
    wordRegistry().calls.clear();
}

int liveWordObjects()
{
    return wordRegistry().liveObjects;
}

void resetWord()
{
    WordRegistry& r = wordRegistry();
    std::vector<int> ids;
    for (const auto& [id, a] : r.apps)
        ids.push_back(id);
    for (int id : ids)
        quitWordApp(id);
    r.documents.clear();
    r.failures.clear();
    r.calls.clear();
    r.copied = {};
}

} // namespace sim
