#include "editormanager.h"

#include <QFileInfo>
#include <QTimer>

#include "checkerclient.h"
#include "comapi.h"
#include "config.h"
#include "dialogfloat.h"
#include "eventthread.h"
#include "process.h"
#include "window.h"

namespace {
EditorManager* instance = nullptr;
bool instanceDeleted = false;

constexpr int eventDelayMs = 100;
// Often enough that a button left by a closed editor goes within a second.
constexpr int editorWatchMs = 400;

QString fromBuffer(const WCHAR* buffer)
{
    return QString::fromUtf16(buffer);
}
}

EditorManager* getEditorManager()
{
    // Once the program has deleted the manager at exit, late callers get nothing rather than a new
    // manager and hook thread.
    if (!instance && !instanceDeleted)
        instance = new EditorManager(nullptr);
    return instance;
}

EditorManager::EditorManager(QObject* parent) : QObject(parent)
{
    CoInitialize(nullptr);
    focusEventTimer = new QTimer(this);
    connect(focusEventTimer, &QTimer::timeout, this, &EditorManager::focusTimer);
    focusEventTimer->start(eventDelayMs);
    locationEventTimer = new QTimer(this);
    connect(locationEventTimer, &QTimer::timeout, this, &EditorManager::locationChangeTimer);
    locationEventTimer->start(eventDelayMs);
    editorWatchTimer = new QTimer(this);
    connect(editorWatchTimer, &QTimer::timeout, this, &EditorManager::watchEditor);
    editorWatchTimer->start(editorWatchMs);
    eventThread = new EventThread;
    connect(eventThread, &EventThread::threadWinEvent, this, &EditorManager::threadWinEvent);
    eventThread->start(QThread::InheritPriority);
}

EditorManager::~EditorManager()
{
    // The hook thread must not outlive the application: its loop is ended and joined here.
    eventThread->quit();
    eventThread->wait();
    delete eventThread;
    eventThread = nullptr;
    CoUninitialize();
    if (instance == this) {
        instance = nullptr;
        instanceDeleted = true;
    }
}

void EditorManager::addClientHelper(ClientHelper* helper)
{
    if (!helper)
        return;
    helpers.append(helper);
    connect(helper, &ClientHelper::editorDetected, this, &EditorManager::onEditorDetected);
}

void EditorManager::threadWinEvent(void* hWinEventHook, ulong event, void* hwnd, long idObject, long idChild,
                                   ulong idEventThread, ulong dwmsEventTime)
{
    if (helpers.isEmpty())
        return;
    const WinEventRecord record{static_cast<HWINEVENTHOOK>(hWinEventHook), static_cast<DWORD>(event),
                                static_cast<HWND>(hwnd), static_cast<LONG>(idObject), static_cast<LONG>(idChild),
                                static_cast<DWORD>(idEventThread), static_cast<DWORD>(dwmsEventTime)};
    if (event == EVENT_OBJECT_FOCUS) {
        pendingFocus = record;
        focusEventTimer->start();
    } else if (event == EVENT_OBJECT_LOCATIONCHANGE) {
        pendingLocation = record;
        locationEventTimer->start();
    }
}

void EditorManager::focusTimer()
{
    WinEventRecord record;
    IAccessiblePtr acc;
    if (!takePending(pendingFocus, EVENT_OBJECT_FOCUS, record, acc))
        return;

    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = record.hwnd;
    param->setAcc(acc);
    param->childId = record.idChild;

    bool accepted = false;
    const QVector<ClientHelper*> askInOrder = helpers;
    for (ClientHelper* helper : askInOrder) {
        if (helper->focusChanged(param)) {
            accepted = true;
            break;
        }
    }
    // The focus went to something in another program that is no editor (our own windows raise no
    // events here): an earlier editor no longer holds the focus, and no command may read it.
    if (!accepted)
        setActiveEditorDetected(nullptr, QString(), nullptr);
    emitWinEvent(acc, record, accepted);
}

void EditorManager::locationChangeTimer()
{
    WinEventRecord record;
    IAccessiblePtr acc;
    if (takePending(pendingLocation, EVENT_OBJECT_LOCATIONCHANGE, record, acc))
        emitWinEvent(acc, record, false);
}

bool EditorManager::takePending(WinEventRecord& pending, DWORD event, WinEventRecord& record, IAccessiblePtr& acc)
{
    if (pending.event != event)
        return false;
    // Taken before examining: a tracker or receiver that spins an event loop must not see the same
    // event examined again from a nested timer.
    record = pending;
    pending = emptyRecord;

    VARIANT child;
    const HRESULT hr = AccessibleObjectFromEvent(record.hwnd, static_cast<DWORD>(record.idObject),
                                                 static_cast<DWORD>(record.idChild), &acc, &child);
    VariantClear(&child);
    return SUCCEEDED(hr) && acc;
}

void EditorManager::emitWinEvent(const IAccessiblePtr& acc, const WinEventRecord& record, bool focusChanged)
{
    emit winEvent(acc.GetInterfacePtr(), record.hWinEventHook, record.event, record.hwnd, record.idObject,
                  record.idChild, record.idEventThread, record.dwmsEventTime, focusChanged);
}

void EditorManager::onEditorDetected(ClientHelper* pHelper, QString editorName,
                                     QSharedPointer<EditorParam> editorParam)
{
    setActiveEditorDetected(pHelper, editorName, editorParam);
    if (!isEditorEnable(editorParam)) {
        if (DialogFloat* button = existingDialogFloat())
            button->hide();
        return;
    }

    const HWND hwnd = activeEditorParam ? activeEditorParam->hwnd : nullptr;
    const HWND parent = GetParent(hwnd);
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    InsertParent(parent, editorParam);
    if (root != parent)
        InsertParent(root, editorParam);

    if (Config* config = GetConfig(); config && pHelper)
        pHelper->enableErrorTip(config->getValueBool(QStringLiteral("ShowErrorTip"), true));

    if (activeEditorParam && !activeEditorParam->exeName.isEmpty()) {
        if (CheckerClient* client = getCheckerClient())
            client->setHost(activeEditorParam->exeName, QString());
    }
    emit editorDetected(pHelper, editorName, editorParam);
}

void EditorManager::uiaEditorFocused(IUIAutomationElement* sender)
{
    if (!sender)
        return;
    try {
        auto param = QSharedPointer<EditorParam>::create();
        param->setUiaElement(IUIAutomationElementPtr(sender));
        UIA_HWND native = nullptr;
        if (FAILED(sender->get_CachedNativeWindowHandle(&native)) || !native) {
            native = nullptr;
            VARIANT value;
            if (SUCCEEDED(sender->GetCachedPropertyValue(UIA_NativeWindowHandlePropertyId, &value))
                && value.vt == VT_I4)
                native = reinterpret_cast<UIA_HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(value.lVal)));
            VariantClear(&value);
        }
        if (!native)
            return;
        param->hwnd = static_cast<HWND>(native);
        const QVector<ClientHelper*> askInOrder = helpers;
        for (ClientHelper* helper : askInOrder) {
            if (helper->focusChanged(param))
                break;
        }
    } catch (...) {
        // An element of a program that went away mid-way is simply not offered.
    }
}

void EditorManager::watchEditor()
{
    // A bus too busy to answer in time keeps the editor: dropping a live one loses the user's button.
    if (!activeEditorParam || !activeEditorParam->hwnd || WindowsExist({activeEditorParam->hwnd}).front())
        return;
    setActiveEditorDetected(nullptr, QString(), nullptr);
    emit editorGone();
}

void EditorManager::setActiveEditorDetected(ClientHelper* pHelper, QString editorName,
                                            QSharedPointer<EditorParam> param)
{
    if (param)
        param->exeName = getExeFileName(param->hwnd);
    activeEditorParam = param;
    activeEditorName = editorName;
    activeHelper = pHelper;
}

QString EditorManager::getExeFileName(HWND hwnd)
{
    DWORD processId = 0xFFFFFFFF;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == 0xFFFFFFFF)
        return QString();

    WCHAR buffer[MAX_PATH] = {};
    QString path;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)) {
        if (K32GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH) > 0) {
            path = fromBuffer(buffer);
        } else {
            DWORD size = MAX_PATH;
            if (QueryFullProcessImageNameW(process, 0, buffer, &size))
                path = fromBuffer(buffer);
        }
        CloseHandle(process);
    }
    if (path.isEmpty() && GetWindowModuleFileNameW(hwnd, buffer, MAX_PATH) > 0)
        path = fromBuffer(buffer);
    if (path.isEmpty())
        return QString();
    // Paths of the desktop's programs use backslashes, which QFileInfo does not split on here.
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(path).fileName().toLower();
}

QString EditorManager::getActiveEditorExeFileName()
{
    return activeEditorParam ? getExeFileName(activeEditorParam->hwnd) : QString();
}

void EditorManager::enableCurrentEditor(bool enable)
{
    if (!activeEditorParam)
        return;
    if (Config* config = GetConfig())
        config->setValueBool(activeEditorParam->exeName, enable, QStringLiteral("app"));
    DialogFloat* button = existingDialogFloat();
    if (!button)
        return;
    if (enable)
        button->show();
    else
        button->hide();
}

bool EditorManager::isEditorEnable(QSharedPointer<EditorParam> param)
{
    Config* config = GetConfig();
    if (!config)
        return true;
    const bool mode = config->getValueBool(QStringLiteral("BlackMode"), true);
    if (!param)
        param = activeEditorParam;
    if (!param)
        return true;
    if (param->exeName.isEmpty())
        param->exeName = getExeFileName(param->hwnd);
    return config->getValueBool(param->exeName, mode, QStringLiteral("app"));
}

void EditorManager::InsertParent(HWND parent, QSharedPointer<EditorParam> param)
{
    if (!parent || !param)
        return;
    // Only windows that still exist are kept, so the record cannot grow without bound. They are asked
    // about all at once: each question about a bus window is a wait for the bus thread.
    std::vector<HWND> asked{param->hwnd};
    for (auto it = parentMap.cbegin(); it != parentMap.cend(); ++it) {
        asked.push_back(it.key());
        asked.insert(asked.end(), it->cbegin(), it->cend());
    }
    const std::vector<bool> exist = WindowsExist(asked);
    QSet<HWND> gone;
    for (size_t i = 0; i < asked.size(); ++i) {
        if (!exist[i])
            gone.insert(asked[i]);
    }
    for (auto it = parentMap.begin(); it != parentMap.end();) {
        if (gone.contains(it.key())) {
            it = parentMap.erase(it);
            continue;
        }
        it->subtract(gone);
        ++it;
    }
    if (!gone.contains(param->hwnd))
        parentMap[parent].insert(param->hwnd);
}

ClientHelper* EditorManager::getActiveHelper() const
{
    return activeHelper;
}

QSharedPointer<EditorParam> EditorManager::getActiveEditorParam() const
{
    return activeEditorParam;
}

QString EditorManager::getActiveEditorName() const
{
    return activeEditorName;
}
