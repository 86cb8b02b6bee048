#include "dialogfloat.h"

#include "ui_dialogfloat.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMoveEvent>
#include <QMovie>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "accessible.h"
#include "actions.h"
#include "checkerclient.h"
#include "contextshow.h"
#include "editormanager.h"
#include "menuex.h"
#include "systemmetrics.h"
#include "widgeterrorlist.h"
#include "window.h"

namespace {
DialogFloat* instance = nullptr;

constexpr LONG roleSystemDialog = 0x12;
constexpr int cornerGap = 10;
// Long enough for the focus to settle once a menu or box of ours has closed.
constexpr int followDelayMs = 50;

QRect toQRect(const RECT& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

bool isEmptyArea(const QRect& rect)
{
    return rect.width() <= 0 || rect.height() <= 0;
}

bool followsRole(IUnknown* pAcc, LONG idChild)
{
    const ComPtr<IUnknown> unknown(pAcc);
    IAccessiblePtr acc(unknown);
    if (!acc)
        return false;
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = idChild;
    VARIANT role;
    const HRESULT hr = acc->get_accRole(child, &role);
    const bool known = SUCCEEDED(hr) && role.vt == VT_I4;
    const LONG value = known ? role.lVal : 0;
    VariantClear(&role);
    return known
        && (value == ROLE_SYSTEM_CLIENT || value == roleSystemDialog || value == ROLE_SYSTEM_DOCUMENT
            || value == ROLE_SYSTEM_WINDOW || value == ROLE_SYSTEM_TEXT);
}
}

DialogFloat* getDialogFloat()
{
    if (!instance)
        instance = new DialogFloat(nullptr);
    return instance;
}

DialogFloat* existingDialogFloat()
{
    return instance;
}

DialogFloat::DialogFloat(QWidget* parent) : QFramelessWindow(parent), ui(new Ui::DialogFloat)
{
    ui->setupUi(this);
    // A click must never take the focus from the editor the button serves.
    setWindowFlags((Qt::FramelessWindowHint | Qt::SubWindow | Qt::WindowStaysOnTopHint
                    | Qt::WindowDoesNotAcceptFocus)
                   & ~Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Never the active window, yet its icon-only buttons are explained only by their tool tips.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // The menu half carries no text or icon: the arrow says what it opens.
    ui->btnLogoMenu->setArrowType(Qt::DownArrow);
    CheckerClient* client = getCheckerClient();
    setWindowTitle(windowTitle() + QLatin1Char(' ') + (client ? client->getClientVer() : QString()));
    // The command set must see a check's end before this button clears its checked editor.
    getActions();
    if (client) {
        connect(client, &CheckerClient::checkDone, this, &DialogFloat::checkDone);
        connect(client, &CheckerClient::checkBegin, this, &DialogFloat::checkBegin);
    }
    ui->lblChecking->hide();
    if (EditorManager* manager = getEditorManager()) {
        connect(manager, &EditorManager::editorDetected, this, &DialogFloat::editorDetected);
        connect(manager, &EditorManager::winEvent, this, &DialogFloat::winEventProc);
        connect(manager, &EditorManager::editorGone, this, &DialogFloat::editorGone);
    }
    createActions();
    adjustSize();
    followTimer = new QTimer(this);
    followTimer->setSingleShot(true);
    followTimer->setInterval(followDelayMs);
    connect(followTimer, &QTimer::timeout, this, [this] { follow(false); });
    // The trackers only hear of other programs' windows: a window of this program taking the focus,
    // and a pop-up of ours opening or closing (which need not move the focus), are seen here.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &DialogFloat::ownWindowFocused);
    qApp->installEventFilter(this);
}

DialogFloat::~DialogFloat()
{
    delete logoMenu;
    delete ui;
    if (instance == this)
        instance = nullptr;
}

void DialogFloat::createActions()
{
    Actions* actions = getActions();
    if (!actions)
        return;
    logoMenu = new MenuEx(tr("Logo"));
    logoMenu->setDefaultAction(actions->actionCheckCurrentPage);
    logoMenu->addAction(actions->actionCheckCurrentPage);
    logoMenu->addAction(actions->actionCheckNext10Pages);
    logoMenu->addAction(actions->actionRemoveAll);
    logoMenu->addSeparator();
    logoMenu->addAction(actions->actionShowErrorList);
    logoMenu->addAction(actions->actionShowWriter);
    logoMenu->addSeparator();
    logoMenu->addAction(actions->actionEnableThisEditor);
    logoMenu->addSeparator();
    actions->addOptionMenus(logoMenu);
    logoMenu->addSeparator();
    logoMenu->addAction(actions->actionReportError);
    connect(logoMenu, &QMenu::aboutToShow, this, &DialogFloat::onMenuShow);
    connect(logoMenu, &QMenu::aboutToHide, this, &DialogFloat::onMenuHide);
    ui->btnLogoMenu->setPopupMenu(logoMenu);
}

void DialogFloat::show()
{
    EditorManager* manager = getEditorManager();
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (!editor || !editor->hwnd) {
        // Without an editor only the native window is made, for later placements.
        QWidget::show();
        return;
    }
    editorFocused = true;
    follow(true);
}

void DialogFloat::follow(bool force)
{
    EditorManager* manager = getEditorManager();
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (!editor || !editor->hwnd || !editorFocused || !manager->isEditorEnable(editor) || ownWindowInFront()) {
        setHookHWND(nullptr, false);
        return;
    }
    setHookHWND(editor->hwnd, force);
}

void DialogFloat::ownWindowFocused(QWindow*)
{
    // Hidden at once, so it never stands over our window; shown again only once the focus settled,
    // since a closing menu hands the focus on in several steps.
    if (ownWindowInFront()) {
        followTimer->stop();
        setHookHWND(nullptr, false);
    } else {
        followTimer->start();
    }
}

bool DialogFloat::ownWindowInFront() const
{
    if (QWidget* popup = QApplication::activePopupWidget(); popup && !servesEditor(popup))
        return true;
    const QWindow* focus = QGuiApplication::focusWindow();
    if (!focus)
        return false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == focus)
            return top->isVisible() && !servesEditor(top);
    }
    return false;
}

bool DialogFloat::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched != this && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Tool tips come and go over the button itself and change nothing.
        if (widget->isWindow() && widget->windowType() != Qt::ToolTip)
            ownWindowFocused(nullptr);
    }
    return QFramelessWindow::eventFilter(watched, event);
}

void DialogFloat::editorGone()
{
    editorFocused = false;
    followTimer->stop();
    setHookHWND(nullptr, false);
}

bool DialogFloat::servesEditor(QWidget* window) const
{
    if (window == this || qobject_cast<ContextShow*>(window) || qobject_cast<WidgetErrorList*>(window))
        return true;
    // The button's menu and its submenus.
    for (auto* menu = qobject_cast<QMenu*>(window); menu; menu = qobject_cast<QMenu*>(menu->parentWidget())) {
        if (menu == logoMenu)
            return true;
    }
    return false;
}

void DialogFloat::checkDone(const CHECK_DATAS&)
{
    endCheck();
}

void DialogFloat::checkBegin()
{
    auto* movie = new QMovie(QStringLiteral(":/images/Loading.gif"), QByteArray(), ui->lblChecking);
    ui->lblChecking->setMovie(movie);
    ui->lblChecking->show();
    ui->btnLogo->hide();
    ui->btnLogoMenu->hide();
    movie->start();
}

void DialogFloat::endCheck()
{
    if (Actions* actions = getActions())
        actions->on_actionCancelCheck_triggered();
    if (QMovie* movie = ui->lblChecking->movie()) {
        movie->stop();
        ui->lblChecking->setMovie(nullptr);
        delete movie;
    }
    ui->lblChecking->hide();
    ui->btnLogo->show();
    ui->btnLogoMenu->show();
    adjustSize();
}

void DialogFloat::onMenuShow()
{
    if (Actions* actions = getActions())
        actions->updateActions(nullptr);
}

void DialogFloat::onMenuHide() {}

void DialogFloat::editorDetected(ClientHelper*, QString, QSharedPointer<EditorParam> editorParam)
{
    const HWND hwnd = editorParam ? editorParam->hwnd : nullptr;
    // Our own window in front keeps the button hidden: an editor behind it may report its focus again
    // when a key grab ends.
    parentWindow = GetParent(hwnd);
    rootWindow = GetAncestor(hwnd, GA_ROOT);
    editorFocused = true;
    // Changing the flags of a shown window hides it, so only when the hint went missing.
    if (!(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    raise();
    setHookHWND(ownWindowInFront() ? nullptr : hwnd, false);
}

void DialogFloat::winEventProc(IUnknown* pAcc, HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG idChild, DWORD,
                               DWORD, bool focusChanged)
{
    if (event == EVENT_OBJECT_FOCUS) {
        editorFocused = focusChanged;
        if (!focusChanged)
            setHookHWND(nullptr, false);
        return;
    }
    if (event != EVENT_OBJECT_LOCATIONCHANGE || !editorFocused || ownWindowInFront())
        return;
    EditorManager* manager = getEditorManager();
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (!editor || !manager->isEditorEnable(editor) || !pAcc)
        return;
    const HWND editorWindow = editor->hwnd;
    if (!editorWindow || (hwnd != editorWindow && hwnd != parentWindow && hwnd != rootWindow))
        return;
    if (followsRole(pAcc, idChild))
        setHookHWND(editorWindow, true);
}

void DialogFloat::setHookHWND(HWND window, bool force)
{
    if (!window) {
        hide();
        return;
    }
    QSharedPointer<FloatPosition> entry = positions.value(window);
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);

    QRect rect;
    EditorManager* manager = getEditorManager();
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    if (editor && editor->hwnd == window && helper)
        rect = helper->getEditRect(editor);

    QRect winRect;
    RECT found;
    if (GetWindowRect(window, &found)) {
        winRect = toQRect(found);
        if (isEmptyArea(winRect)) {
            RECT rootFound;
            const HWND root = GetAncestor(window, GA_ROOT);
            if (root && GetWindowRect(root, &rootFound))
                winRect = toQRect(rootFound);
        }
    }
    // A tracker that cannot tell the editor's extents leaves the window to stand for it; extents it
    // did report, but empty, are an editor out of sight.
    if (rect == QRect())
        rect = winRect;

    const QRect visible = visiblePart(rect, winRect, GetAncestor(window, GA_ROOT));
    if (height() >= visible.height() || width() >= visible.width()) {
        hide();
        return;
    }
    QPoint point(rect.x() + rect.width() - cx - width() - cornerGap,
                 rect.y() + rect.height() - cy - height() - cornerGap);
    clampInto(point, visible);
    QWidget::show();
    raise();

    if (!entry) {
        positions.insert(window, QSharedPointer<FloatPosition>(new FloatPosition{point, rect}));
    } else {
        if (entry->rect == rect && !force)
            point = entry->pos;
        else
            entry->pos = point;
        entry->rect = rect;
    }
    move(point);
}

void DialogFloat::clampInto(QPoint& point, const QRect& area) const
{
    if (point.x() < area.x())
        point.setX(area.x());
    else if (point.x() + width() > area.x() + area.width())
        point.setX(area.x() + area.width() - width());
    if (point.y() < area.y())
        point.setY(area.y());
    else if (point.y() + height() > area.y() + area.height())
        point.setY(area.y() + area.height() - height());
}

QRect DialogFloat::visiblePart(const QRect& editorRect, const QRect& winRect, HWND root) const
{
    QRect visible = editorRect.normalized() == editorRect ? editorRect : QRect();
    if (!isEmptyArea(winRect))
        visible &= winRect;
    // A field scrolled out of its page keeps extents of its own beyond its window's.
    RECT rootFound;
    if (root && GetWindowRect(root, &rootFound) && !isEmptyArea(toQRect(rootFound)))
        visible &= toQRect(rootFound);
    const QScreen* screen = QGuiApplication::screenAt(visible.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        visible &= screen->availableGeometry();
    return visible;
}

void DialogFloat::moveEvent(QMoveEvent* e)
{
    QFramelessWindow::moveEvent(e);
    EditorManager* manager = getEditorManager();
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (!editor || !editor->hwnd)
        return;
    if (QSharedPointer<FloatPosition> entry = positions.value(editor->hwnd))
        entry->pos = e->pos();
}

void DialogFloat::enterEvent(QEvent*) {}

void DialogFloat::leaveEvent(QEvent*) {}

void DialogFloat::on_lblChecking_mouseLeftClick()
{
    endCheck();
}

void DialogFloat::on_btnLogo_clicked()
{
    if (Actions* actions = getActions())
        actions->on_actionCheckCurrentPage_triggered();
}
