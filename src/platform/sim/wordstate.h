#pragma once

#include <atomic>
#include <map>
#include <memory>

#include <QPointer>

#include "../connectionpoint.h"
#include "wordmodel.h"

// The simulated word processor's records, shared by its automation objects and its control functions.
namespace sim_detail {

struct WordApp;

// The settings a search starts from. They belong to the document, not to one Find object, and
// stay from one search to the next (the user's Find dialog shares them).
struct FindSettings
{
    std::u16string text;
    bool forward = true;
    bool matchCase = false;
    LONG wrap = 0;                       // wdFindStop
    std::shared_ptr<FontCriteria> criteria = std::make_shared<FontCriteria>();
    std::shared_ptr<FontCriteria> replacement = std::make_shared<FontCriteria>();
};

struct WordDoc
{
    int id = 0;
    std::weak_ptr<WordApp> app;
    std::u16string name;
    std::u16string fullName;
    WordDocModel model;
    HWND frame = nullptr;
    HWND pane = nullptr;
    bool open = true;
    sim::WordGeometry geometry;
    std::function<void()> watcher;
    sim::WordSnapshot saved;
    sim::WordSnapshot printed;
    FindSettings find;

    // Tells the watcher; a watcher changing the document meanwhile is not told again.
    void changed();
    bool notifying = false;
};

struct WordSink
{
    DWORD cookie = 0;
    IDispatch* sink = nullptr;           // one reference held while advised
};

struct WordApp
{
    int id = 0;
    sim::WordAppSpec setup;
    DWORD processId = 0;
    bool running = true;
    bool busy = false;
    std::vector<std::shared_ptr<WordDoc>> documents;   // open ones, in opening order
    std::shared_ptr<WordDoc> active;
    std::vector<WordSink> sinks;
    DWORD nextCookie = 1;
    QPointer<QObject> poster;            // lives on the thread that advised first
    int pendingEvents = 0;
};

struct WordFailure
{
    HRESULT result = E_FAIL;
    int from = 1;                        // the call number (since the request) failing first
    int times = -1;
    int seen = 0;
};

struct WordRegistry
{
    std::map<int, std::shared_ptr<WordApp>> apps;
    std::map<int, std::shared_ptr<WordDoc>> documents;
    int nextId = 1;
    std::map<std::pair<sim::WordObject, DISPID>, int> calls;
    std::map<std::pair<sim::WordObject, DISPID>, WordFailure> failures;
    sim::CopiedText copied;
    std::atomic<int> liveObjects{0};
};

WordRegistry& wordRegistry();

// Counts the call and answers its failure (busy, disconnected or requested), S_OK otherwise.
HRESULT wordEnter(const WordApp* app, bool connected, sim::WordObject object, DISPID member);

// Objects as a program receives them.
IDispatch* newWordApplication(const std::shared_ptr<WordApp>& app);
IDispatch* newWordWindow(const std::shared_ptr<WordDoc>& doc);
IDispatch* newWordDocument(const std::shared_ptr<WordDoc>& doc);
IDispatch* newWordSelection(const std::shared_ptr<WordDoc>& doc);
IDispatch* newWordRange(const std::shared_ptr<WordDoc>& doc, int start, int end);

// Posts an event to the application's sinks; `after` runs once they all had it, with the cancel
// flag they left (at once when nobody listens).
void postWordEvent(const std::shared_ptr<WordApp>& app, DISPID event, std::vector<_variant_t> arguments,
                   int cancelIndex = -1, std::function<void(bool cancelled)> after = {});
void raiseSelectionChange(const std::shared_ptr<WordDoc>& doc);

// Making a document the active one of its application, with the events that go with it.
void switchWordDocument(const std::shared_ptr<WordDoc>& doc, bool raiseForeground);

// The Window object of a pane, for AccessibleObjectFromWindow(OBJID_NATIVEOM).
HRESULT wordNativeObject(HWND hwnd, REFIID iid, void** object);
HRESULT wordActiveObject(REFCLSID clsid, IUnknown** object);
HRESULT wordClassOf(LPCOLESTR progId, CLSID* clsid);

} // namespace sim_detail
