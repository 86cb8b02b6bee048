#pragma once

#include <QThread>

#include "winevent.h"

// Owns the desktop event hooks and the thread their callbacks run on; passes the ones that matter
// for editors on to the GUI thread (threadWinEvent, queued).
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
