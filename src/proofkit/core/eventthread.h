#pragma once

#include <QThread>

#include "winevent.h"

// Installs the out-of-context WinEvent hooks and runs the loop their callbacks arrive on; the events
// that concern editors are forwarded to the GUI thread through threadWinEvent (queued).
class EventThread : public QThread
{
    Q_OBJECT
public:
    EventThread();
    ~EventThread() override;

    void emitWinEvent(void* hWinEventHook, ulong event, void* hwnd, long idObject, long idChild,
                      ulong idEventThread, ulong dwmsEventTime);

signals:
    void threadWinEvent(void* hWinEventHook, ulong event, void* hwnd, long idObject, long idChild,
                        ulong idEventThread, ulong dwmsEventTime);

protected:
    void run() override;

private:
    HWINEVENTHOOK hook = nullptr;
    HWINEVENTHOOK foregroundHook = nullptr;
};

// The procedure of both hooks: keeps the window, its client area and custom objects.
void WinEventHookProc(HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                      DWORD idEventThread, DWORD dwmsEventTime);
