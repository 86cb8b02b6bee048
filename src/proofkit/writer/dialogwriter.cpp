#include "dialogwriter.h"
#include "ui_dialogwriter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSplitter>
#include <QThread>
#include <QTimer>

#include "checkerclient.h"
#include "config.h"
#include "actions.h"
#include "contextshow.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "iconfont.h"
#include "menuex.h"
#include "settingkeys.h"
#include "showsettingwindow.h"
#include "syntaxhighlighter.h"
#include "widgetspeak.h"

namespace {
QIcon fontIcon(int codePoint)
{
    return getIconFont()->icon(codePoint, IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176)));
}

}

DialogWriter::DialogWriter(QWidget* parent) : BaseWidget(parent), ui(new Ui::DialogWriter)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    createSettingMenu();

    auto* splitter = new QSplitter(Qt::Horizontal, ui->widgetMain);
    splitter->addWidget(ui->widgetHistory);
    splitter->addWidget(ui->widgetText);
    splitter->addWidget(ui->widgetErrorList);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 1);
    ui->horizontalLayout->addWidget(splitter);

    if (CheckerClient* client = getCheckerClient()) {
        setWindowTitle(windowTitle() + QLatin1Char(' ') + client->getClientVer());
        connect(client, &CheckerClient::checkDone, this, &DialogWriter::checkDone);
    }
    // Every road to a correction (the card, the list's button, a double click) ends in the editor.
    connect(ui->textEdit, &TextEditEx::errorCorrected, this, &DialogWriter::showGroupHandled);
    // Any other edit, the editor's own Undo and Redo among them, may take a result's words away or
    // bring them back.
    groupsTimer = new QTimer(this);
    groupsTimer->setSingleShot(true);
    groupsTimer->setInterval(150);
    connect(groupsTimer, &QTimer::timeout, this, &DialogWriter::showGroupsHandled);
    connect(ui->textEdit->document(), &QTextDocument::contentsChanged, this, [this] {
        // Each redraw of the marks counts as a change of the document too; only edits matter here.
        const int revision = ui->textEdit->document()->revision();
        if (revision == seenRevision)
            return;
        seenRevision = revision;
        groupsTimer->start();
    });
    connect(ui->textEdit, &TextEditEx::documentReplaced, this, &DialogWriter::dropResults);

    setButton(ui->btnOpen, fontIcon(0xf115), "Ctrl+O");
    setButton(ui->btnSave, fontIcon(0xf0c7), "Ctrl+S");
    setButton(ui->btnCheck, QIcon(QStringLiteral(":/icon/CheckCurrentPage.ico")), "Alt+C");
    setButton(ui->btnPrevious, fontIcon(0xf060), "Alt+Left");
    setButton(ui->btnNext, fontIcon(0xf061), "Alt+Right");
    ui->btnRemoveAll->setIcon(QIcon(QStringLiteral(":/icon/RemoveAll.ico")));
    ui->btnCopy->setIcon(fontIcon(0xf0c5));
    ui->btnHistory->setIcon(fontIcon(0xf1da));
    setButton(ui->btnSpeak, fontIcon(0xf0a1), "Alt+S");
    ui->btnErrorList->setIcon(fontIcon(0xf022));
    ui->btnSetting->setIcon(fontIcon(0xf013));
    ui->actionLogout->setIcon(fontIcon(0xf08b));

    auto* openMenu = new QMenu(tr("Open"), this);
    openMenu->addAction(tr("New Plain Text"), ui->textEdit, &TextEditEx::newPlainText);
    openMenu->addAction(tr("New Rich Text"), ui->textEdit, &TextEditEx::newRichText);
    ui->btnOpen->setMenu(openMenu);
    auto* saveMenu = new QMenu(tr("Save"), this);
    saveMenu->addAction(tr("Save As ..."), ui->textEdit, &TextEditEx::getSaveFileName);
    ui->btnSave->setMenu(saveMenu);

    updateUserButton();
    ui->widgetSearch->setTextEdit(ui->textEdit);
    addAction(ui->actionSearch);
    addAction(ui->actionReplace);
    ui->textEdit->setStyleSheet(QStringLiteral(
        "QTextEdit {selection-color: black; selection-background-color: rgb(155,202,239);}"));

    ui->widgetHistory->hide();
    ui->widgetErrorList->hide();
    ui->widgetSearch->hide();
    ui->btnHistory->hide();
    ui->btnNext->setEnabled(false);
    ui->btnPrevious->setEnabled(false);
    ui->btnRemoveAll->setEnabled(false);

    if (Config* config = GetConfig())
        restoreGeometry(config->getValueBinary(SettingKeys::DialogWriterGeometry));
    ensureInScreen();
}

DialogWriter::~DialogWriter()
{
    // Children and the pop-up may still signal while the window's parts go; nothing may reach it.
    if (CheckerClient* client = getCheckerClient())
        disconnect(client, nullptr, this, nullptr);
    if (ContextShow* popup = ui->textEdit->getContextShow())
        disconnect(popup, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    if (widgetSpeak) {
        // The panel reads from this window's editor: it cannot outlive it.
        disconnect(widgetSpeak, nullptr, this, nullptr);
        delete widgetSpeak;
    }
    delete ui;
}

void DialogWriter::setText(QString& text)
{
    dropResults();
    ui->textEdit->setPlainText(text);
    ui->textEdit->setModified(false);
}

void DialogWriter::clear()
{
    CHECK_DATAS none;
    ui->textEdit->setCheckData(none);
    ui->widgetErrorList->setCheckData(none, QString());
    checkDone(none);
    ui->labelStatus->clear();
}

void DialogWriter::dropResults()
{
    checkPending = false;
    checkedText.clear();
    clear();
}

bool DialogWriter::findNextError(QString text)
{
    if (!ui->textEdit->find(text)) {
        ui->textEdit->moveCursor(QTextCursor::Start);
        if (!ui->textEdit->find(text))
            return false;
    }
    ui->textEdit->setFocus();
    return true;
}

void DialogWriter::checkDone(const CHECK_DATAS& datas)
{
    CHECK_DATAS results = datas;
    if (sender() && sender() == getCheckerClient()) {
        if (!checkPending)
            return;
        checkPending = false;
        ui->textEdit->setCheckData(results, checkedText);
        // Words edited away while the check ran come struck out.
        groupsTimer->start();
    } else {
        ui->textEdit->setCheckData(results);
    }
    ui->widgetErrorList->setCheckData(results, QString());
    showStatusText(results);
    const bool any = !results.empty();
    ui->btnPrevious->setEnabled(any);
    ui->btnNext->setEnabled(any);
    ui->btnRemoveAll->setEnabled(any);
    if (!any) {
        ui->btnErrorList->setChecked(false);
        ui->widgetErrorList->hide();
        return;
    }
    Config* config = GetConfig();
    if (config && config->getValueBool(SettingKeys::ErrorList, true)) {
        ui->btnErrorList->setChecked(true);
        ui->widgetErrorList->show();
    }
}

void DialogWriter::showStatusText(const CHECK_DATAS& datas)
{
    ui->labelStatus->setToolTip(QString());
    if (datas.empty()) {
        ui->labelStatus->setText(QString());
        return;
    }
    CheckerClient* client = getCheckerClient();
    const int withheld = client ? client->getVipErrorCount() : 0;
    if (!client || client->isVIP() || withheld == 0) {
        ui->labelStatus->setText(tr("<span style=\"color:#ff0000;\">%1 errors</span>").arg(datas.size()));
        return;
    }
    const QString page = client->getWebUrl(URL_APP_VIP, QString());
    ui->labelStatus->setText(
        tr("<span style=\"color:#ff0000;\">%1 Errors + </span><a href=\"%3\" target=\"_blank\" "
           "style=\"color:red\">%2 VIP</a>")
            .arg(datas.size())
            .arg(withheld)
            .arg(page.toHtmlEscaped()));
    ui->labelStatus->setToolTip(tr("%1 VIP Errors").arg(withheld));
}

void DialogWriter::on_btnSpeak_clicked()
{
    if (!widgetSpeak) {
        widgetSpeak = new WidgetSpeak(ui->textEdit, nullptr);
        widgetSpeak->hide();
        connect(widgetSpeak, &QFramelessWindow::activateWindow, this, &DialogWriter::activateWindow);
        if (ContextShow* popup = ui->textEdit->getContextShow())
            connect(popup, &QFramelessWindow::activateWindow, this, &DialogWriter::activateWindow);
        connect(widgetSpeak, &WidgetSpeak::speakStopAndHide, this, &DialogWriter::speakStopAndHide);
    }
    if (!ui->btnSpeak->isChecked()) {
        widgetSpeak->stopAndHide();
        return;
    }
    const bool firstShow = widgetSpeak->pos() == QPoint(0, 0);
    widgetSpeak->show();
    // Placed once shown, when its size is final, so its right edge meets the editor's.
    if (firstShow) {
        const QPoint topRight = ui->textEdit->mapToGlobal(ui->textEdit->rect().topRight());
        widgetSpeak->move(topRight.x() - widgetSpeak->width() - 5, topRight.y() + 5);
    }
}

void DialogWriter::on_btnOpen_clicked()
{
    ui->textEdit->openFile(QString());
}

void DialogWriter::on_btnSave_clicked()
{
    ui->textEdit->saveFile(QString());
}

void DialogWriter::on_btnCheck_clicked()
{
    CheckerClient* client = getCheckerClient();
    QString text = ui->textEdit->toPlainText();
    if (!client || text.isEmpty())
        return;
    if (client->isChecking()) {
        // Refused with a notice. The running check keeps the text it was sent, and if it is this
        // window's, its results still come here.
        client->checkText(text, true);
        return;
    }
    client->setHost(QStringLiteral("writer"), QString());
    // Set before the call: the results may arrive before it returns.
    checkPending = true;
    checkedText = text;
    if (!client->checkText(text, true))
        checkPending = false;
}

void DialogWriter::on_btnPrevious_clicked()
{
    if (!ui->textEdit->onPrev())
        ui->btnPrevious->setEnabled(false);
    ui->btnNext->setEnabled(true);
}

void DialogWriter::on_btnNext_clicked()
{
    if (!ui->textEdit->onNext())
        ui->btnNext->setEnabled(false);
    ui->btnPrevious->setEnabled(true);
}

void DialogWriter::on_btnRemoveAll_clicked()
{
    clear();
}

void DialogWriter::on_btnHistory_clicked()
{
    ui->widgetHistory->setVisible(ui->widgetHistory->isHidden());
    ui->btnHistory->setChecked(ui->widgetHistory->isVisible());
}

void DialogWriter::on_btnCopy_clicked()
{
    const int position = ui->textEdit->textCursor().position();
    ui->textEdit->selectAll();
    ui->textEdit->copy();
    QCoreApplication::processEvents();
    QThread::msleep(100);
    QTextCursor cursor = ui->textEdit->textCursor();
    cursor.setPosition(position);
    ui->textEdit->setTextCursor(cursor);
}

void DialogWriter::on_btnErrorList_clicked()
{
    ui->widgetErrorList->setVisible(ui->widgetErrorList->isHidden());
    const bool shown = ui->widgetErrorList->isVisible();
    ui->btnErrorList->setChecked(shown);
    if (Config* config = GetConfig())
        config->setValueBool(SettingKeys::ErrorList, shown);
}

void DialogWriter::on_btnSetting_clicked()
{
    showSettingWindow();
}

void DialogWriter::on_btnUser_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (client->isLogin()) {
        client->showUserInfo();
        return;
    }
    client->showLogin(0);
    updateUserButton();
}

void DialogWriter::on_actionSearch_triggered(bool)
{
    if (ui->widgetSearch->isHidden() || ui->widgetSearch->isReplaceShow())
        ui->widgetSearch->activateSearch();
    else
        ui->widgetSearch->hide();
}

void DialogWriter::on_actionReplace_triggered(bool)
{
    if (ui->widgetSearch->isVisible() && ui->widgetSearch->isReplaceShow())
        ui->widgetSearch->hide();
    else
        ui->widgetSearch->activateReplace();
}

void DialogWriter::on_actionLogout_triggered(bool)
{
    CheckerClient* client = getCheckerClient();
    if (!client || !client->isLogin())
        return;
    client->logout();
    updateUserButton();
}

void DialogWriter::on_labelStatus_linkActivated(const QString& link)
{
    CheckerClient* client = getCheckerClient();
    if (!client || link != client->getWebUrl(URL_APP_VIP, QString()))
        return;
    client->showUpgradeVIP();
    updateUserButton();
}

void DialogWriter::on_widgetErrorList_groupClicked(ErrorsListGroup* group)
{
    // To the places the group's result is marked, not to any text equal to its words: the same
    // words may stand correctly inside a longer word.
    if (group && !ui->textEdit->selectError(group->groupIndex()))
        group->enableGroup(false);
}

void DialogWriter::on_widgetErrorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    ui->textEdit->onApply(itemTitle, itemIndex, groupTitle, groupIndex);
}

void DialogWriter::showGroupHandled(int index)
{
    if (auto* list = ui->widgetErrorList->findChild<ErrorsList*>())
        list->enableGroupAt(index, ui->textEdit->errorStands(index));
}

void DialogWriter::showGroupsHandled()
{
    auto* list = ui->widgetErrorList->findChild<ErrorsList*>();
    if (!list)
        return;
    const std::vector<bool> standing = ui->textEdit->highlighter()->markedResults();
    for (size_t index = 0; index < standing.size(); ++index)
        list->enableGroupAt(int(index), standing[index]);
}

void DialogWriter::on_widgetErrorList_errorTypeChanged(int errorType)
{
    ui->textEdit->setErrorTypeFilter(errorType);
}

void DialogWriter::on_widgetErrorList_hideWidget()
{
    ui->btnErrorList->setChecked(false);
}

void DialogWriter::speakStopAndHide()
{
    ui->btnSpeak->setChecked(false);
}

void DialogWriter::settingMenuAboutToShow()
{
    if (Actions* actions = getActions())
        actions->updateActions();
}

void DialogWriter::activateWindow(bool)
{
    QWidget* active = QApplication::activeWindow();
    ContextShow* popup = ui->textEdit->getContextShow();
    const bool ours = active && (active == this || active == widgetSpeak || active == popup);
    if (!ours) {
        if (widgetSpeak)
            widgetSpeak->hide();
        if (popup)
            popup->hide();
        return;
    }
    if (widgetSpeak)
        widgetSpeak->setVisible(ui->btnSpeak->isChecked());
}

void DialogWriter::closeEvent(QCloseEvent* event)
{
    if (!ui->textEdit->maybeSave()) {
        event->ignore();
        return;
    }
    if (Config* config = GetConfig())
        config->setValueBinary(SettingKeys::DialogWriterGeometry, saveGeometry());
    if (widgetSpeak && widgetSpeak->isVisible())
        widgetSpeak->stopAndHide();
    dropResults();
    BaseWidget::closeEvent(event);
}

void DialogWriter::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        activateWindow(isActiveWindow());
    BaseWidget::changeEvent(event);
}

void DialogWriter::updateUserButton()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    if (!client->isLogin()) {
        ui->btnUser->setIcon(fontIcon(0xf007));
        ui->btnUser->setText(tr("Login"));
        ui->btnUser->setPopupMode(QToolButton::DelayedPopup);
        ui->btnUser->setMenu(nullptr);
        return;
    }
    if (client->isVIP()) {
        ui->btnUser->setIcon(QIcon(QStringLiteral(":/icon/UserVIP.ico")));
        ui->btnUser->setToolTip(tr("VIP User, %1 expired").arg(client->vipEndDate()));
    } else {
        ui->btnUser->setIcon(fontIcon(0xf007));
    }
    ui->btnUser->setPopupMode(QToolButton::MenuButtonPopup);
    ui->btnUser->setText(client->getUserName());
    if (!ui->btnUser->menu()) {
        auto* menu = new QMenu(tr("User"), ui->btnUser);
        menu->addAction(ui->actionLogout);
        ui->btnUser->setMenu(menu);
    }
}

void DialogWriter::createSettingMenu()
{
    Actions* actions = getActions();
    if (!actions)
        return;
    auto* menu = new MenuEx(tr("Setting"), this);
    menu->setToolTipsVisible(true);
    menu->setDefaultAction(actions->actionSetting);
    menu->addAction(actions->actionApplyByDoubleClick);
    menu->addAction(actions->actionShowErrorTip);
    menu->addAction(actions->actionShowDictTip);
    menu->addSeparator();
    actions->addOptionMenus(menu);
    menu->addAction(actions->actionSetting);
    menu->addSeparator();
    menu->addAction(actions->actionContact);
    menu->addAction(actions->actionUpdate);
    menu->addAction(actions->actionWeb);
    menu->addAction(actions->actionAbout);
    menu->addSeparator();
    connect(menu, &QMenu::aboutToShow, this, &DialogWriter::settingMenuAboutToShow);
    ui->btnSetting->setMenu(menu);
}

void DialogWriter::setButton(QToolButton* button, const QIcon& icon, const char* shortcut)
{
    button->setIcon(icon);
    button->setShortcut(QKeySequence(QLatin1String(shortcut)));
    updateToolTip(button);
}

void DialogWriter::updateToolTip(QToolButton* button)
{
    button->setToolTip(button->text() + QStringLiteral("（") + button->shortcut().toString(QKeySequence::NativeText)
                       + QStringLiteral("）"));
}
