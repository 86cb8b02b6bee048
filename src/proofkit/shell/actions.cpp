#include "actions.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QMetaMethod>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QWidgetAction>

#include "checkerclient.h"
#include "config.h"
#include "dialogabout.h"
#include "dialogwriter.h"
#include "editormanager.h"
#include "globalhotkey.h"
#include "iconfont.h"
#include "keysequenceedit.h"
#include "menuex.h"
#include "quitapplication.h"
#include "settingkeys.h"
#include "showsettingwindow.h"
#include "updatecenter.h"
#include "writerhook.h"

namespace {
Actions* instance = nullptr;
bool instanceReleased = false;
bool holdsDesktopKeys = true;

constexpr int autoUpdateDelayMs = 60000;
constexpr char hotkeyProperty[] = "globalhotkey";

QIcon glyph(int codePoint)
{
    return getIconFont()->icon(codePoint, IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176)));
}

struct DefaultKey
{
    const char* objectName;
    const char* key;
};
constexpr DefaultKey defaultKeys[] = {
    {"actionShowWriter", "Ctrl+Shift+W"},
    {"actionCheckCurrentPage", "Ctrl+Shift+C"},
    {"actionEnableThisEditor", "Ctrl+Shift+E"},
};

QString defaultKeyOf(const QString& objectName)
{
    for (const DefaultKey& entry : defaultKeys) {
        if (objectName == QLatin1String(entry.objectName))
            return QLatin1String(entry.key);
    }
    return QString();
}
}

Actions* getActions()
{
    // Late callers at exit get nothing rather than a new set that would grab the keys again.
    if (!instance && !instanceReleased)
        instance = new Actions(nullptr);
    return instance;
}

void setDesktopHotkeysHeld(bool held)
{
    holdsDesktopKeys = held;
}

void releaseActions()
{
    delete instance;
    instance = nullptr;
    instanceReleased = true;
}

Actions::Actions(QObject* parent) : QObject(parent)
{
    setupActions();
    createErrorTypeActions();
    createDictActions();
    QMetaObject::connectSlotsByName(this);
    bindDefaultHotkeys();
    updateActions(nullptr);
    if (CheckerClient* client = getCheckerClient()) {
        connect(client, &CheckerClient::checkDone, this, &Actions::checkDone);
        connect(client, &CheckerClient::checkBegin, this, &Actions::checkBegin);
    }
    QTimer::singleShot(autoUpdateDelayMs, this, &Actions::autoCheckUpdate);
}

QAction* Actions::newAction(const char* objectName, const QString& text, const QIcon& icon, bool checkable)
{
    auto* action = new QAction(icon, text, this);
    action->setObjectName(QLatin1String(objectName));
    action->setCheckable(checkable);
    return action;
}

void Actions::setupActions()
{
    actionApplyByDoubleClick = newAction("actionApplyByDoubleClick", tr("Apply By Double Click"), QIcon(), true);
    actionCancelCheck = newAction("actionCancelCheck", tr("Cancel Check"), glyph(0xF013), false);
    actionSetting = newAction("actionSetting", tr("Setting ..."), glyph(0xF013), false);
    actionLogin = newAction("actionLogin", tr("Login ..."), glyph(0xF090), false);
    actionUser = newAction("actionUser", tr("User"), glyph(0xF007), false);
    actionReportError = newAction("actionReportError", tr("Report Error ..."), glyph(0xF118), false);
    actionContact = newAction("actionContact", tr("Contact Us"), glyph(0xF003), false);
    actionUpdate = newAction("actionUpdate", tr("Update"), glyph(0xF019), false);
    actionWeb = newAction("actionWeb", tr("Web"), glyph(0xF0AC), false);
    actionAbout = newAction("actionAbout", tr("About ..."), glyph(0xF05A), false);
    actionExit = newAction("actionExit", tr("Exit"), glyph(0xF00D), false);
    actionShowWriter = newAction("actionShowWriter", tr("Show Writer ..."), glyph(0xF044), false);
    actionCheckNext10Pages = newAction("actionCheckNext10Pages", tr("Check Next %1 Pages").arg(10),
                                       QIcon(QStringLiteral(":/icon/CheckAll.ico")), false);
    actionCheckCurrentPage = newAction("actionCheckCurrentPage", tr("Check Current Page"),
                                       QIcon(QStringLiteral(":/icon/CheckCurrentPage.ico")), false);
    actionRemoveAll = newAction("actionRemoveAll", QCoreApplication::translate("DialogFloat", "Remove All"),
                                QIcon(QStringLiteral(":/icon/RemoveAll.ico")), false);
    actionEnableThisEditor = newAction("actionEnableThisEditor", tr("Enable This Editor"), QIcon(), true);
    actionShowErrorTip = newAction("actionShowErrorTip", tr("Show Error Tip"), QIcon(), true);
    actionShowDictTip = newAction("actionShowDictTip", tr("Show Dict Tip"), QIcon(), true);
    actionShowErrorList = newAction("actionShowErrorList", tr("Show Error List"), QIcon(), true);

    hotkeyActions = {actionApplyByDoubleClick, actionCancelCheck,      actionSetting,
                     actionReportError,        actionExit,             actionShowWriter,
                     actionCheckNext10Pages,   actionCheckCurrentPage, actionRemoveAll,
                     actionEnableThisEditor,   actionShowErrorTip,     actionShowDictTip,
                     actionShowErrorList};

    actionMode = new QWidgetAction(this);
    actionMode->setObjectName(QStringLiteral("actionMode"));
    auto* frame = new QFrame;
    auto* layout = new QHBoxLayout(frame);
    layout->setObjectName(QStringLiteral("horizontalLayout_3"));
    layout->setContentsMargins(5, 10, 10, 10);
    radioBlackList = new QRadioButton(tr("Black List"), frame);
    radioBlackList->setObjectName(QStringLiteral("radioBlackList"));
    radioBlackList->setToolTip(tr("Black List Tip"));
    radioBlackList->setCheckable(true);
    radioWhiteList = new QRadioButton(tr("White List"), frame);
    radioWhiteList->setObjectName(QStringLiteral("radioWhiteList"));
    radioWhiteList->setToolTip(tr("White List Tip"));
    radioWhiteList->setCheckable(true);
    layout->addWidget(radioBlackList);
    layout->addWidget(radioWhiteList);
    actionMode->setDefaultWidget(frame);
    connect(radioBlackList, &QRadioButton::toggled, this, &Actions::radioBlackList_toggled);
    connect(radioWhiteList, &QRadioButton::toggled, this, &Actions::radioWhiteList_toggled);
}

void Actions::addOptionAction(QList<QAction*>& list, void (Actions::*slot)(), const QString& text,
                              const QString& toolTip, bool checked, int id)
{
    auto* action = new QAction(text, this);
    action->setToolTip(toolTip);
    action->setCheckable(true);
    action->setChecked(checked);
    action->setProperty("id", id);
    connect(action, &QAction::triggered, this, slot);
    list.append(action);
}

void Actions::createErrorTypeActions()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QVector<_ERROR_TYPE_INFO_> infos;
    client->getErrorTypeInfos(infos);
    for (const _ERROR_TYPE_INFO_& info : infos)
        addOptionAction(errorTypeActions, &Actions::actionErrorTypeTriggered,
                        client->getErrorTypeName(info.type, false, true), CheckerClient::tr(info.description),
                        info.checked, info.type);
}

void Actions::createDictActions()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QVector<_DICT_INFO_> infos;
    client->getDictInfos(infos);
    for (const _DICT_INFO_& info : infos)
        addOptionAction(dictActions, &Actions::actionDictTriggered, info.name, info.description, info.checked,
                        info.id);
}

MenuEx* Actions::createErrorTypeMenu()
{
    auto* menu = new MenuEx(tr("Error Type"));
    menu->addActions(errorTypeActions);
    return menu;
}

MenuEx* Actions::createDictMenu()
{
    auto* menu = new MenuEx(tr("Dict"));
    menu->addActions(dictActions);
    return menu;
}

void Actions::addOptionMenus(QMenu* owner)
{
    for (MenuEx* menu : {createErrorTypeMenu(), createDictMenu()}) {
        menu->setParent(owner, menu->windowFlags());
        owner->addMenu(menu);
    }
}

void Actions::updateActions(CheckerClient* client)
{
    if (!client)
        client = getCheckerClient();
    if (client)
        actionCheckNext10Pages->setText(tr("Check Next %1 Pages").arg(client->getMaxPageCount()));
    updateEnableEditorAction();

    if (Config* config = GetConfig()) {
        actionApplyByDoubleClick->setChecked(config->getValueBool(SettingKeys::ApplyByDoubleClick, true));
        actionShowErrorTip->setChecked(config->getValueBool(SettingKeys::ShowErrorTip, true));
        actionShowDictTip->setChecked(config->getValueBool(SettingKeys::ShowDictTip, true));
        actionShowErrorList->setChecked(config->getValueBool(SettingKeys::ShowErrorList, true));
        // Showing the stored mode must not store it again (nor run the toggle slots' event processing).
        const QSignalBlocker blockBlack(radioBlackList);
        const QSignalBlocker blockWhite(radioWhiteList);
        if (config->getValueBool(SettingKeys::BlackMode, true))
            radioBlackList->setChecked(true);
        else
            radioWhiteList->setChecked(true);
    }

    if (EditorManager* manager = getEditorManager()) {
        ClientHelper* helper = manager->getActiveHelper();
        QSharedPointer<EditorParam> editor = manager->getActiveEditorParam();
        if (helper && editor) {
            const bool canShowErrors = helper->canShowErrors(editor);
            actionCheckNext10Pages->setEnabled(canShowErrors);
            actionRemoveAll->setEnabled(canShowErrors);
            actionShowErrorList->setEnabled(helper->canShowErrorList(editor));
        }
    }

    if (!client)
        return;
    if (client->isLogin()) {
        actionUser->setVisible(true);
        actionUser->setText(client->getUserName());
        if (client->isVIP()) {
            actionUser->setIcon(QIcon(QStringLiteral(":/icon/UserVIP.ico")));
            actionUser->setToolTip(tr("VIP User, %1 expired").arg(client->vipEndDate()));
        } else {
            actionUser->setIcon(glyph(0xF007));
            actionUser->setToolTip(QString());
        }
        actionLogin->setText(tr("Logout"));
        actionLogin->setIcon(glyph(0xF08B));
    } else {
        actionUser->setVisible(false);
        actionLogin->setText(tr("Login ..."));
        actionLogin->setIcon(glyph(0xF090));
    }
}

void Actions::updateEnableEditorAction()
{
    EditorManager* manager = getEditorManager();
    const QString name = manager ? manager->getActiveEditorExeFileName() : QString();
    if (name.isEmpty()) {
        actionEnableThisEditor->setEnabled(false);
        actionEnableThisEditor->setText(tr("Enable This Editor"));
        return;
    }
    actionEnableThisEditor->setEnabled(true);
    actionEnableThisEditor->setText(tr("Enable Editor %1").arg(name));
    actionEnableThisEditor->setChecked(manager->isEditorEnable(nullptr));
}

void Actions::hotkeyList(QList<QSharedPointer<HotkeyEntry>>& list)
{
    for (QAction* action : qAsConst(hotkeyActions)) {
        auto entry = QSharedPointer<HotkeyEntry>::create();
        entry->objectName = action->objectName();
        entry->text = action == actionEnableThisEditor ? tr("Enable This Editor")
                                                       : action->text().remove(QStringLiteral("..."));
        entry->key = holdsDesktopKeys ? action->shortcut().toString(QKeySequence::PortableText)
                                      : storedKeyOf(action);
        list.append(entry);
    }
}

bool Actions::bindHotkey(QAction* action, const QString& keyText)
{
    if (!action || !GetConfig())
        return false;
    delete action->property(hotkeyProperty).value<QObject*>();
    action->setProperty(hotkeyProperty, QVariant());
    action->setShortcutVisibleInContextMenu(true);
    action->setShortcut(QKeySequence());
    if (keyText.isEmpty())
        return true;

    const QKeySequence sequence(keyText, QKeySequence::NativeText);
    // A stored key may come from an older version that let anything through: a plain letter grabbed
    // for the whole desktop would take that letter from every program.
    if (!KeySequenceEdit::isAcceptable(sequence))
        return false;
    // Another process holds the keys; the setting is only kept for it.
    if (!holdsDesktopKeys)
        return true;
    auto* hotkey = new GlobalHotkey(sequence, true, this);
    if (!hotkey->isRegistered()) {
        delete hotkey;
        return false;
    }
    const QByteArray slot = "on_" + action->objectName().toLatin1() + "_triggered()";
    const int index = metaObject()->indexOfSlot(slot.constData());
    if (index >= 0)
        connect(hotkey, QMetaMethod::fromSignal(&GlobalHotkey::activated), this, metaObject()->method(index));
    action->setProperty(hotkeyProperty, QVariant::fromValue<QObject*>(hotkey));
    action->setShortcut(sequence);
    return true;
}

void Actions::bindDefaultHotkeys()
{
    Config* config = GetConfig();
    if (!config)
        return;
    for (QAction* action : qAsConst(hotkeyActions))
        bindHotkey(action, storedKeyOf(action));
}

QString Actions::storedKeyOf(const QAction* action) const
{
    const Config* config = GetConfig();
    const QString name = action->objectName();
    return config ? config->getValueString(name, defaultKeyOf(name), SettingKeys::GroupHotkey) : QString();
}

bool Actions::setHotkey(const QString& objectName, const QString& keyText)
{
    for (QAction* action : qAsConst(hotkeyActions)) {
        if (action->objectName() != objectName)
            continue;
        if (!bindHotkey(action, keyText))
            return false;
        GetConfig()->setValueString(objectName, keyText, SettingKeys::GroupHotkey);
        return true;
    }
    return false;
}

void Actions::showErrorsInEditor(const CHECK_DATAS& datas, const QVector<int>& pages)
{
    EditorManager* manager = getEditorManager();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    if (helper && checkParam)
        helper->showErrors(datas, checkParam, pages);
}

bool Actions::isUpdateDue(const QDateTime& last, const QDateTime& now)
{
    return last.isNull() || last.daysTo(now) > 0;
}

void Actions::autoCheckUpdate()
{
    CheckerClient* client = getCheckerClient();
    Config* config = GetConfig();
    // Nothing to check with until the updater is part of the library.
    if (!client || !config || !actionUpdate->isEnabled())
        return;
    if (!config->getValueBool(SettingKeys::AutoUpdate, !client->isLocal()))
        return;
    const QDateTime last = config->getValue(SettingKeys::AutoUpdateCheckDate).toDateTime();
    const QDateTime now = QDateTime::currentDateTime();
    if (!isUpdateDue(last, now))
        return;
    on_actionUpdate_triggered();
    config->setValue(SettingKeys::AutoUpdateCheckDate, now);
}

void Actions::actionErrorTypeTriggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    for (QAction* action : qAsConst(errorTypeActions))
        client->setErrorTypeCheck(action->property("id").toInt(), action->isChecked());
}

void Actions::actionDictTriggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    for (QAction* action : qAsConst(dictActions))
        action->setChecked(client->setDictCheck(action->property("id").toInt(), action->isChecked()));
}

bool Actions::flipSetting(const char* key)
{
    Config* config = GetConfig();
    if (!config)
        return false;
    const bool value = !config->getValueBool(QLatin1String(key), true);
    config->setValueBool(QLatin1String(key), value);
    return value;
}

void Actions::on_actionApplyByDoubleClick_triggered()
{
    if (!GetConfig())
        return;
    // From a hot key the tick has not moved, so the stored value is the one to turn over.
    actionApplyByDoubleClick->setChecked(flipSetting(SettingKeys::ApplyByDoubleClick));
}

void Actions::on_actionCancelCheck_triggered()
{
    if (CheckerClient* client = getCheckerClient())
        client->cancelCheck();
    checkParam.clear();
    ownCheck = false;
}

void Actions::on_actionSetting_triggered()
{
    showSettingWindow();
}

void Actions::on_actionLogin_triggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (client->isLogin()) {
        client->logout();
        client->showMsgBox(tr("Logout succeed"), QMessageBox::Information, QMessageBox::Ok);
    } else {
        client->showLogin(0);
    }
    updateActions(client);
}

void Actions::on_actionUser_triggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (client->isLogin())
        client->showUserInfo();
    else
        client->showLogin(0);
}

void Actions::on_actionReportError_triggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QString errorText;
    QString sentence;
    client->reportError(errorText, sentence);
}

void Actions::on_actionContact_triggered()
{
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_CONTACT);
}

void Actions::on_actionUpdate_triggered()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    const QString url = client->getWebUrl(URL_UPDATE, QString());
    UpdateCenter* center = UpdateCenter::getInstance();
    center->setModuleName(url, tr("Korrelo"));
    center->setModuleVersion(url, client->getClientVer());
    center->checkForUpdates(url);
}

void Actions::on_actionWeb_triggered()
{
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_HOME);
}

void Actions::on_actionAbout_triggered()
{
    showAboutDialog();
}

void Actions::on_actionExit_triggered()
{
    // Each writing window asks about its unsaved text first; one the user keeps open cancels the exit.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* writer = qobject_cast<DialogWriter*>(top);
        if (writer && writer->isVisible() && !writer->close())
            return;
    }
    quitApplication(0);
}

void Actions::on_actionShowWriter_triggered()
{
    QString text;
    EditorManager* manager = getEditorManager();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (helper && editor)
        text = helper->getCurrentPageText(editor, true);
    openWriter(text);
}

void Actions::on_actionShowErrorList_triggered()
{
    if (!GetConfig() || !flipSetting(SettingKeys::ShowErrorList))
        return;
    EditorManager* manager = getEditorManager();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (helper && helper->canShowErrorList(editor))
        helper->showErrorList(editor);
}

void Actions::checkPages(bool nextPages)
{
    EditorManager* manager = getEditorManager();
    CheckerClient* client = getCheckerClient();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (!helper || !editor || !client)
        return;
    if (!helper->canShowErrors(editor)) {
        on_actionShowWriter_triggered();
        return;
    }
    QString text = nextPages ? helper->getNextPageText(editor, false, client->getMaxPageCount())
                             : helper->getCurrentPageText(editor, false);
    if (text.isEmpty()) {
        client->showMsgBox(nextPages ? tr("Can't Get All Page Text") : tr("Can't Get Current Page Text"),
                           QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    if (client->checkText(text, !nextPages)) {
        checkParam = editor;
        ownCheck = true;
    }
}

void Actions::on_actionCheckCurrentPage_triggered()
{
    checkPages(false);
}

void Actions::on_actionCheckNext10Pages_triggered()
{
    checkPages(true);
}

void Actions::on_actionRemoveAll_triggered()
{
    EditorManager* manager = getEditorManager();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (helper && editor)
        helper->clearErrors(editor);
}

void Actions::on_actionEnableThisEditor_triggered()
{
    EditorManager* manager = getEditorManager();
    if (!manager)
        return;
    const bool enabled = manager->isEditorEnable(nullptr);
    manager->enableCurrentEditor(!enabled);
}

void Actions::on_actionShowErrorTip_triggered()
{
    if (!GetConfig())
        return;
    const bool value = flipSetting(SettingKeys::ShowErrorTip);
    EditorManager* manager = getEditorManager();
    if (ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr)
        helper->enableErrorTip(value);
}

void Actions::on_actionShowDictTip_triggered()
{
    flipSetting(SettingKeys::ShowDictTip);
}

void Actions::radioWhiteList_toggled(bool checked)
{
    if (checked) {
        if (Config* config = GetConfig())
            config->setValueBool(SettingKeys::BlackMode, false);
    }
    updateEnableEditorAction();
    QCoreApplication::processEvents();
}

void Actions::radioBlackList_toggled(bool checked)
{
    if (checked) {
        if (Config* config = GetConfig())
            config->setValueBool(SettingKeys::BlackMode, true);
    }
    updateEnableEditorAction();
    QCoreApplication::processEvents();
}

void Actions::checkDone(const CHECK_DATAS& datas)
{
    // A check started by another window keeps its results there.
    if (!ownCheck)
        return;
    ownCheck = false;
    showErrorsInEditor(datas, QVector<int>());
    Config* config = GetConfig();
    if (!config || !config->getValueBool(SettingKeys::ShowErrorList, true))
        return;
    EditorManager* manager = getEditorManager();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    QSharedPointer<EditorParam> editor = manager ? manager->getActiveEditorParam() : nullptr;
    if (helper && helper->canShowErrorList(editor))
        helper->showErrorList(editor);
}

void Actions::checkBegin() {}
