#pragma once

#include <QMap>
#include <QObject>
#include <QSet>
#include <QSharedPointer>
#include <QVector>

#include "clienthelper.h"
#include "editorparam.h"
#include "proofkit_export.h"
#include "uiautomation.h"
#include "winevent.h"

class EventThread;
class QTimer;

// The seven arguments of one WinEvent; pending while event holds its event number.
struct WinEventRecord
{
    HWINEVENTHOOK hWinEventHook = nullptr;
    DWORD event = 0;
    HWND hwnd = nullptr;
    LONG idObject = 0;
    LONG idChild = 0;
    DWORD idEventThread = 0;
    DWORD dwmsEventTime = 0;
};

// Decides which editor is the active one. Focus events are batched (one look per 100 ms) and the
// editor goes to the first tracker that takes it; the client learns which program it belongs to.
// A focus that no tracker takes leaves no active editor.
class PROOFKIT_EXPORT EditorManager : public QObject
{
    Q_OBJECT
public:
    explicit EditorManager(QObject* parent = nullptr);
    ~EditorManager() override;

    void addClientHelper(ClientHelper* helper);
    void setActiveEditorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> param);
    QString getExeFileName(HWND hwnd);
    QString getActiveEditorExeFileName();
    void enableCurrentEditor(bool enable);
    bool isEditorEnable(QSharedPointer<EditorParam> param);
    void InsertParent(HWND parent, QSharedPointer<EditorParam> param);

    ClientHelper* getActiveHelper() const;
    QSharedPointer<EditorParam> getActiveEditorParam() const;
    QString getActiveEditorName() const;

public slots:
    void threadWinEvent(void* hWinEventHook, ulong event, void* hwnd, long idObject, long idChild,
                        ulong idEventThread, ulong dwmsEventTime);
    void focusTimer();
    void locationChangeTimer();
    void onEditorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> editorParam);
    void uiaEditorFocused(IUIAutomationElement* sender);
    // Ends the active editor when its window is gone: a program that quits or closes its window
    // while nothing else takes the focus raises no focus event.
    void watchEditor();

signals:
    // pAcc is valid only during the emission.
    void winEvent(IUnknown* pAcc, HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject,
                  LONG idChild, DWORD idEventThread, DWORD dwmsEventTime, bool focusChanged);
    void editorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> editorParam);
    // The active editor's window went away; there is no active editor any more.
    void editorGone();

private:
    // Moves the pending record of the event into record and gets its accessible object; false when
    // nothing is pending or the object cannot be had.
    bool takePending(WinEventRecord& pending, DWORD event, WinEventRecord& record, IAccessiblePtr& acc);
    void emitWinEvent(const IAccessiblePtr& acc, const WinEventRecord& record, bool focusChanged);

    ClientHelper* activeHelper = nullptr;
    QSharedPointer<EditorParam> activeEditorParam;
    QString activeEditorName;
    QVector<ClientHelper*> helpers;
    QMap<HWND, QSet<HWND>> parentMap;
    QTimer* focusEventTimer = nullptr;
    QTimer* locationEventTimer = nullptr;
    QTimer* editorWatchTimer = nullptr;
    WinEventRecord pendingFocus;
    WinEventRecord pendingLocation;
    const WinEventRecord emptyRecord;
    EventThread* eventThread = nullptr;
};

// The process-wide manager, made on first use; null once it has been deleted.
PROOFKIT_EXPORT EditorManager* getEditorManager();
