#include "dialogclient.h"
#include "ui_dialogclient.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>

#include "checkerclient.h"
#include "clienthelper.h"
#include "config.h"
#include "dialogabout.h"
#include "dialoglogin.h"
#include "dialogsetting.h"
#include "editormanager.h"
#include "settingkeys.h"

namespace {

// The login and about windows are shared by every client window; each dies with the window that
// parented it and is made again by the next one that needs it.
QPointer<DialogLogin>& sharedLogin()
{
    static QPointer<DialogLogin> dialog;
    return dialog;
}

QPointer<DialogAbout>& sharedAbout()
{
    static QPointer<DialogAbout> dialog;
    return dialog;
}

// The stored position and expansion apply to the first window shown in the process only.
bool firstShowDone = false;

} // namespace

DialogClient::DialogClient(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DialogClient)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->btnPin->setChecked(true);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon128.png")));
    CheckerClient* client = getCheckerClient();
    if (client)
        setWindowTitle(windowTitle() + QLatin1Char(' ') + client->getClientVer());
    upateUI();
    int pages = 10;
    if (client) {
        connect(client, &CheckerClient::checkDone, this, &DialogClient::checkDone);
        pages = client->getMaxPageCount();
    }
    ui->btnCheckNext10Pages->setText(tr("Check Next %1 Pages").arg(pages));
    showMsg(tr("Can't attach WPS or Word!"));
    if (EditorManager* manager = getEditorManager()) {
        connect(manager, &EditorManager::editorDetected, this, &DialogClient::editorDetected);
        connect(manager, &EditorManager::winEvent, this, &DialogClient::winEventProc);
    }
    adjustSize();
}

DialogClient::~DialogClient()
{
    delete ui;
}

bool DialogClient::editorValid(const QSharedPointer<EditorParam>& editor) const
{
    return editor && editor->isMsaaValid();
}

void DialogClient::upateUI()
{
    updateUser();
    updateErrors();
    if (Config* config = GetConfig()) {
        ui->cbxShowErrorTip->setChecked(config->getValueBool(QLatin1String(SettingKeys::ShowErrorTip), true));
        ui->cbxShowDictTip->setChecked(config->getValueBool(QLatin1String(SettingKeys::ShowDictTip), true));
    }
}

void DialogClient::updateErrors()
{
    const bool valid = editorValid(param);
    ui->btnCheckCurrentPage->setEnabled(valid);
    ui->btnCheckNext10Pages->setEnabled(valid);
    const bool hasData = tracker && param && tracker->hasData(param);
    ui->btnRemoveAll->setEnabled(hasData);
    ui->btnPrevious->setEnabled(hasData);
    ui->btnNext->setEnabled(hasData);
    // The title is another program's text: shown as text, never as markup.
    QString text = editorName.toHtmlEscaped();
    if (tracker && param) {
        const CHECK_DATAS* datas = tracker->getCheckDatas(param);
        if (datas && !datas->empty())
            text += tr(" <span style='color:red;'>( %1 Errors ) </span>").arg(datas->size());
    }
    showMsg(text);
}

void DialogClient::updateUser()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    const bool loggedIn = client->isLogin();
    ui->btnLogin->setText(loggedIn ? tr("Logout") : tr("Login"));
    if (!loggedIn) {
        ui->btnUser->setText(tr("User"));
        return;
    }
    ui->btnUser->setText(client->getUserName() + (client->isVIP() ? QStringLiteral(" (VIP)") : QString()));
}

void DialogClient::showMsg(QString text)
{
    ui->labelMsg->setText(text);
}

void DialogClient::editorDetected(ClientHelper* pHelper, QString name, QSharedPointer<EditorParam> editor)
{
    param = editor;
    editorName = name;
    tracker = pHelper;
    updateErrors();
    Config* config = GetConfig();
    if (config && tracker)
        tracker->enableErrorTip(config->getValueBool(QLatin1String(SettingKeys::ShowErrorTip), true));
}

void DialogClient::winEventProc(IUnknown*, HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD, bool) {}

void DialogClient::startCheck(const QString& text, bool currentPage, const QString& emptyMessage)
{
    CheckerClient* client = getCheckerClient();
    if (text.isEmpty()) {
        client->showMsgBox(emptyMessage, QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    QString copy = text;
    if (client->checkText(copy, currentPage))
        checkedParam = param;
    updateUser();
}

void DialogClient::on_btnCheckCurrentPage_clicked()
{
    if (!tracker || !getCheckerClient() || !editorValid(param))
        return;
    startCheck(tracker->getCurrentPageText(param, false), true,
               tr("Can't Get Current Page Text"));
}

void DialogClient::on_btnCheckNext10Pages_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!tracker || !client || !editorValid(param))
        return;
    startCheck(tracker->getNextPageText(param, false, client->getMaxPageCount()), false,
               tr("Can't Get All Page Text"));
}

void DialogClient::checkDone(const CHECK_DATAS& datas)
{
    // Only the window that started this check hands its result on.
    if (!tracker || !editorValid(checkedParam))
        return;
    tracker->showErrors(datas, checkedParam, QVector<int>());
    checkedParam.clear();
    updateErrors();
    showMsg(tr("<span style='color:red;'>Found %1 Errors</span>").arg(datas.size()));
}

void DialogClient::on_btnRemoveAll_clicked()
{
    if (tracker && param)
        tracker->clearErrors(param);
    updateErrors();
}

void DialogClient::on_btnPrevious_clicked()
{
    if (tracker && param)
        tracker->prevError(param);
}

void DialogClient::on_btnNext_clicked()
{
    if (tracker && param)
        tracker->nextError(param);
}

void DialogClient::on_btnReportError_clicked()
{
    if (tracker && param)
        tracker->reportError(param);
}

void DialogClient::on_cbxShowErrorTip_clicked(bool checked)
{
    if (Config* config = GetConfig())
        config->setValueBool(QLatin1String(SettingKeys::ShowErrorTip), checked);
    if (tracker)
        tracker->enableErrorTip(checked);
}

void DialogClient::on_cbxShowDictTip_clicked(bool checked)
{
    if (Config* config = GetConfig())
        config->setValueBool(QLatin1String(SettingKeys::ShowDictTip), checked);
}

void DialogClient::on_btnUser_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (client->isLogin())
        client->showUserInfo();
    else
        login();
}

void DialogClient::on_btnLogin_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (!client->isLogin()) {
        login();
        return;
    }
    client->logout();
    updateUser();
    client->showMsgBox(tr("Logout succeed"), QMessageBox::Information, QMessageBox::Ok);
}

void DialogClient::login()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QPointer<DialogLogin>& dialog = sharedLogin();
    if (!dialog)
        dialog = new DialogLogin(this);
    dialog->setUserName(client->getUserName());
    dialog->exec();
    updateUser();
}

void DialogClient::on_btnContact_clicked()
{
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_CONTACT);
}

void DialogClient::on_btnWeb_clicked()
{
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_HOME);
}

void DialogClient::on_btnUpdate_clicked()
{
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_UPDATE);
}

void DialogClient::on_btnAbout_clicked()
{
    QPointer<DialogAbout>& dialog = sharedAbout();
    if (!dialog)
        dialog = new DialogAbout(this);
    dialog->show();
}

void DialogClient::on_btnSetting_clicked()
{
    auto* setting = new DialogSetting(this);
    setting->setAttribute(Qt::WA_DeleteOnClose);
    setting->show();
}

void DialogClient::on_btnPin_clicked(bool checked)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, checked);
    show();
}

void DialogClient::on_btnExpand_clicked()
{
    const bool expand = ui->groupTools->isHidden();
    ui->groupTools->setVisible(expand);
    ui->groupSetting->setVisible(expand);
    ui->btnExpand->setIcon(QIcon(expand ? QStringLiteral(":/icon/Previous2.ico") : QStringLiteral(":/icon/Next2.ico")));
    if (Config* config = GetConfig())
        config->setValueBool(QLatin1String(SettingKeys::DialogClientExpand), expand);
    QCoreApplication::processEvents();
    adjustSize();
}

void DialogClient::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (firstShowDone)
        return;
    firstShowDone = true;
    Config* config = GetConfig();
    const bool expand = config && config->getValueBool(QLatin1String(SettingKeys::DialogClientExpand), false);
    if (config) {
        const int x = config->getValueInt(QLatin1String(SettingKeys::DialogClientX), -1);
        const int y = config->getValueInt(QLatin1String(SettingKeys::DialogClientY), -1);
        if (x >= 0 && y >= 0)
            move(x, y);
    }
    if (!expand)
        on_btnExpand_clicked();
}

void DialogClient::closeEvent(QCloseEvent* event)
{
    if (Config* config = GetConfig()) {
        config->setValueInt(QLatin1String(SettingKeys::DialogClientX), x());
        config->setValueInt(QLatin1String(SettingKeys::DialogClientY), y());
    }
    QWidget::closeEvent(event);
}
