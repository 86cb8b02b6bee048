#include "eventthread.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "accessible.h"
#include "checkerclient.h"
#include "comapi.h"

namespace {
// Callbacks arrive on the thread that installed the hooks, so each hook thread forwards through
// its own pointer.
thread_local EventThread* runningThread = nullptr;

constexpr LONG firstCustomObjectId = 0x10000;

// Shown on the GUI thread: a message box needs it, and the client is fetched there too.
void showInstallFailure(const QString& text)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [text] {
            if (CheckerClient* client = getCheckerClient())
                client->showMsgBox(text, QMessageBox::Critical, QMessageBox::Ok);
        },
        Qt::QueuedConnection);
}
}

EventThread::EventThread() : QThread(nullptr) {}

EventThread::~EventThread() = default;

void EventThread::emitWinEvent(void* hWinEventHook, ulong event, void* hwnd, long idObject, long idChild,
                               ulong idEventThread, ulong dwmsEventTime)
{
    emit threadWinEvent(hWinEventHook, event, hwnd, idObject, idChild, idEventThread, dwmsEventTime);
}

void EventThread::run()
{
    CoInitialize(nullptr);
    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, WinEventHookProc,
                                     0, 0, flags);
    hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LOCATIONCHANGE, nullptr, WinEventHookProc, 0, 0, flags);
    if (!hook) {
        showInstallFailure(tr("msaa install error."));
    } else {
        runningThread = this;
        exec();
        runningThread = nullptr;
        UnhookWinEvent(hook);
        hook = nullptr;
    }
    if (foregroundHook) {
        UnhookWinEvent(foregroundHook);
        foregroundHook = nullptr;
    }
    CoUninitialize();
}

void WinEventHookProc(HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                      DWORD idEventThread, DWORD dwmsEventTime)
{
    // Carets, cursors, menus, scroll bars and alerts move constantly and never carry an editor.
    if (idObject != OBJID_CLIENT && idObject != OBJID_WINDOW && idObject < firstCustomObjectId)
        return;
    if (EventThread* thread = runningThread)
        thread->emitWinEvent(hWinEventHook, event, hwnd, idObject, idChild, idEventThread, dwmsEventTime);
}
