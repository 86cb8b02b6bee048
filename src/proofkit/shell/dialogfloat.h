#pragma once

#include <QMap>
#include <QSharedPointer>

#include "checkdata.h"
#include "clienthelper.h"
#include "editorparam.h"
#include "floatposition.h"
#include "proofkit_export.h"
#include "qframelesswindow.h"
#include "unknown.h"
#include "winevent.h"

class QTimer;
class QWindow;
namespace Ui { class DialogFloat; }
class MenuEx;

// Check button pinned to the focused editor's bottom-right corner. It opens the command menu, turns
// into a cancel animation during a check, and moves or hides with the editor.
class PROOFKIT_EXPORT DialogFloat : public QFramelessWindow
{
    Q_OBJECT
public:
    explicit DialogFloat(QWidget* parent = nullptr);
    ~DialogFloat() override;

    // Shows the button beside the active editor, where the user can use it there (see follow).
    void show();
    // Places the button beside the window (0: hides it); force drops a place the user dragged it to.
    void setHookHWND(HWND window, bool force);

    // The remembered place for an editor window, null when none.
    QSharedPointer<FloatPosition> positionOf(HWND window) const { return positions.value(window); }
    MenuEx* menu() const { return logoMenu; }
    // Windows that work for the tracked editor, so that its focus may go to them: the button
    // itself, its menus, the error pop-up and the error list.
    bool servesEditor(QWidget* window) const;

public slots:
    void checkDone(const CHECK_DATAS& checkDatas);
    void checkBegin();
    void onMenuShow();
    void onMenuHide();
    void editorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> editorParam);
    void winEventProc(IUnknown* pAcc, HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject,
                      LONG idChild, DWORD idEventThread, DWORD dwmsEventTime, bool focusChanged);
    void on_lblChecking_mouseLeftClick();
    void on_btnLogo_clicked();
    // One of this program's windows took the focus or gave it up: while one that does not work for
    // the editor has it, the button is hidden; once none has, the button is back beside the editor.
    void ownWindowFocused(QWindow* window);
    // The followed editor's window went away.
    void editorGone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* e) override;
    void enterEvent(QEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    // Shows the button beside the active editor when that editor is followed and enabled, holds the
    // focus (or one of the windows serving it does) and has room for it on screen; hides it otherwise.
    void follow(bool force);
    // One of this program's windows that does not work for the editor has the focus or is a pop-up.
    bool ownWindowInFront() const;
    void createActions();
    void endCheck();
    // Keeps the button's rectangle at point inside area (right and bottom edges exclusive).
    void clampInto(QPoint& point, const QRect& area) const;
    // The part of the editor the user can see, inside its window and the screen; empty when none.
    QRect visiblePart(const QRect& editorRect, const QRect& winRect, HWND root) const;

    Ui::DialogFloat* ui = nullptr;
    HWND parentWindow = nullptr;
    HWND rootWindow = nullptr;
    // Whether the focus is on the editor the button serves; moves of an editor the user has left
    // must not bring the button back.
    bool editorFocused = false;
    QMap<HWND, QSharedPointer<FloatPosition>> positions;
    MenuEx* logoMenu = nullptr;
    // Brings the button back once our own windows have settled after a menu or box closed.
    QTimer* followTimer = nullptr;
};

// The process-wide button, made hidden on first use (GUI thread) and never deleted.
PROOFKIT_EXPORT DialogFloat* getDialogFloat();
// The button when it has been made, without making it.
PROOFKIT_EXPORT DialogFloat* existingDialogFloat();
