#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QVector>

#include "checkdata.h"
#include "editorparam.h"
#include "hotkeyentry.h"
#include "proofkit_export.h"

class CheckerClient;
class MenuEx;
class QAction;
class QMenu;
class QRadioButton;
class QWidgetAction;

// All user commands in one place, so menus and hot keys share the same code and checked state;
// updateActions() refreshes them from the settings, the account and the tracked editor.
class PROOFKIT_EXPORT Actions : public QObject
{
    Q_OBJECT
public:
    explicit Actions(QObject* parent = nullptr);

    // The caller owns the menus.
    MenuEx* createErrorTypeMenu();
    MenuEx* createDictMenu();
    // Adds both menus to owner, which then owns them.
    void addOptionMenus(QMenu* owner);

    // Null: the process-wide client.
    void updateActions(CheckerClient* client = nullptr);
    void updateEnableEditorAction();

    void hotkeyList(QList<QSharedPointer<HotkeyEntry>>& list);
    // Binds exactly keyText (empty: no hot key); a key that cannot be bound leaves the action without one.
    bool bindHotkey(QAction* action, const QString& keyText);
    // Binds exactly keyText and stores it; false (and nothing stored) when it cannot be bound.
    bool setHotkey(const QString& objectName, const QString& keyText);

    void showErrorsInEditor(const CHECK_DATAS& datas, const QVector<int>& pages);

    // The automatic update check is due when it never ran or last ran on an earlier calendar day.
    static bool isUpdateDue(const QDateTime& last, const QDateTime& now);

    QList<QAction*> hotkeyActions;
    QList<QAction*> errorTypeActions;
    QList<QAction*> dictActions;

    QAction* actionApplyByDoubleClick = nullptr;
    QAction* actionCancelCheck = nullptr;
    QAction* actionSetting = nullptr;
    QAction* actionLogin = nullptr;
    QAction* actionUser = nullptr;
    QAction* actionReportError = nullptr;
    QAction* actionContact = nullptr;
    QAction* actionUpdate = nullptr;
    QAction* actionWeb = nullptr;
    QAction* actionAbout = nullptr;
    QAction* actionExit = nullptr;
    QAction* actionShowWriter = nullptr;
    QAction* actionCheckCurrentPage = nullptr;
    QAction* actionCheckNext10Pages = nullptr;
    QAction* actionRemoveAll = nullptr;
    QAction* actionEnableThisEditor = nullptr;
    QAction* actionShowErrorTip = nullptr;
    QAction* actionShowDictTip = nullptr;
    QAction* actionShowErrorList = nullptr;
    QWidgetAction* actionMode = nullptr;

    // The editor whose text this set last sent for checking.
    QSharedPointer<EditorParam> checkParam;

    QRadioButton* radioWhiteList = nullptr;
    QRadioButton* radioBlackList = nullptr;

public slots:
    void autoCheckUpdate();
    void actionErrorTypeTriggered();
    void actionDictTriggered();
    void on_actionApplyByDoubleClick_triggered();
    void on_actionCancelCheck_triggered();
    void on_actionSetting_triggered();
    void on_actionLogin_triggered();
    void on_actionUser_triggered();
    void on_actionReportError_triggered();
    void on_actionContact_triggered();
    void on_actionUpdate_triggered();
    void on_actionWeb_triggered();
    void on_actionAbout_triggered();
    void on_actionExit_triggered();
    void on_actionShowWriter_triggered();
    void on_actionShowErrorList_triggered();
    void on_actionCheckCurrentPage_triggered();
    void on_actionCheckNext10Pages_triggered();
    void on_actionRemoveAll_triggered();
    void on_actionEnableThisEditor_triggered();
    void on_actionShowErrorTip_triggered();
    void on_actionShowDictTip_triggered();
    void radioWhiteList_toggled(bool checked);
    void radioBlackList_toggled(bool checked);
    void checkDone(const CHECK_DATAS& datas);
    void checkBegin();

private:
    void setupActions();
    void createErrorTypeActions();
    void createDictActions();
    void bindDefaultHotkeys();
    QAction* newAction(const char* objectName, const QString& text, const QIcon& icon, bool checkable);
    // A tickable error type or dictionary, known by its "id", appended to list.
    void addOptionAction(QList<QAction*>& list, void (Actions::*slot)(), const QString& text,
                         const QString& toolTip, bool checked, int id);
    // Sends the page text for checking; pageCount 0 means the current page.
    void checkPages(bool nextPages);
    bool flipSetting(const char* key);
    // The key text kept for the action in group "hotkey", or its default.
    QString storedKeyOf(const QAction* action) const;

    // Set while a check started here runs: only its results go to the tracked editor.
    bool ownCheck = false;
};

// The process-wide command set, made on first use (GUI thread); null once released.
PROOFKIT_EXPORT Actions* getActions();
// Whether the command set grabs its hot keys for the whole desktop (the default). The Writer program
// leaves them to the tray program: it only keeps the setting. Chosen before the first getActions().
PROOFKIT_EXPORT void setDesktopHotkeysHeld(bool held);
// Deletes the command set as a program ends, so its hot keys give their keys back in order.
PROOFKIT_EXPORT void releaseActions();
