#include "dialogsetting.h"

#include "ui_dialogsetting.h"

#include <QLabel>

#include "actions.h"
#include "checkerclient.h"
#include "config.h"
#include "keysequenceedit.h"
#include "settingkeys.h"

namespace {
const QString validStyle = QStringLiteral("QLineEdit { background-color: white; color: black;}");
const QString invalidStyle = QStringLiteral("QLineEdit { background-color: rgb(255, 215, 215); color: red;}");
constexpr int hotkeyFontSize = 11;
}

DialogSetting::DialogSetting(QWidget* parent) : BaseDialog(parent), ui(new Ui::DialogSetting)
{
    ui->setupUi(this);
    connect(ui->lineEditServerUrl, &QLineEdit::textChanged, this, &DialogSetting::adjustTextColor);
    connect(ui->lineEditAccessToken, &QLineEdit::textChanged, this, &DialogSetting::adjustTextColor);
    loadSetting();
    const Config* config = GetConfig();
    ui->tabWidget->setCurrentIndex(config ? config->getValueInt(SettingKeys::SettingTabIndex, 0) : 0);
    on_tabWidget_currentChanged(ui->tabWidget->currentIndex());
}

DialogSetting::~DialogSetting()
{
    delete ui;
}

void DialogSetting::retire()
{
    hide();
    if (inMessageBox)
        retired = true;
    else
        deleteLater();
}

void DialogSetting::loadSetting()
{
    loadOthers();
    loadLocal();
    loadHotkeys();
}

void DialogSetting::loadOthers()
{
    const Config* config = GetConfig();
    const CheckerClient* client = getCheckerClient();
    if (!config || !client)
        return;
    ui->cbAutoUpdate->setChecked(config->getValueBool(SettingKeys::AutoUpdate, !client->isLocal()));
}

void DialogSetting::loadLocal()
{
    const Config* config = GetConfig();
    if (!config)
        return;
    ui->lineEditServerUrl->setText(config->getValueString(SettingKeys::CheckServer));
    ui->lineEditAccessToken->setText(config->getValueString(SettingKeys::LocalAccessToken));
    ui->lineEditCheckCharMax->setValue(config->getValueInt(SettingKeys::CheckCharMax, 3000));
}

void DialogSetting::loadHotkeys()
{
    QList<QSharedPointer<HotkeyEntry>> entries;
    if (Actions* actions = getActions())
        actions->hotkeyList(entries);
    if (entries.isEmpty())
        return;
    while (ui->layoutHotkey->rowCount() > 0)
        ui->layoutHotkey->removeRow(0);
    shownKeys.clear();
    QFont rowFont = font();
    rowFont.setPointSize(hotkeyFontSize);
    for (const QSharedPointer<HotkeyEntry>& entry : qAsConst(entries)) {
        auto* field = new KeySequenceEdit(QKeySequence(entry->key, QKeySequence::NativeText), ui->tabHotkey);
        field->setFont(rowFont);
        field->setProperty("objectName", entry->objectName);
        shownKeys.insert(entry->objectName, field->keySequence());
        auto* label = new QLabel(entry->text, ui->tabHotkey);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ui->layoutHotkey->addRow(label, field);
    }
}

void DialogSetting::on_tabWidget_currentChanged(int index)
{
    ui->labelErrorType->hide();
    if (Config* config = GetConfig())
        config->setValueInt(SettingKeys::SettingTabIndex, index);
}

void DialogSetting::on_btnOK_clicked()
{
    Config* config = GetConfig();
    CheckerClient* client = getCheckerClient();
    if (!config || !client)
        return;
    adjustTextColor();
    if (localInvalid) {
        // The box runs an event loop of its own, where a new opening of the settings can retire
        // this window; it is deleted only once the box is gone.
        inMessageBox = true;
        client->showMsgBox(tr("local server setting error"), QMessageBox::Critical, QMessageBox::Ok);
        inMessageBox = false;
        if (retired) {
            deleteLater();
            return;
        }
        ui->tabWidget->setCurrentWidget(ui->tabLocal);
        return;
    }
    config->setValueString(SettingKeys::CheckServer, ui->lineEditServerUrl->text());
    config->setValueString(SettingKeys::LocalAccessToken, ui->lineEditAccessToken->text());
    config->setValueInt(SettingKeys::CheckCharMax, ui->lineEditCheckCharMax->value());
    client->loadSetting();
    config->setValueBool(SettingKeys::AutoUpdate, ui->cbAutoUpdate->isChecked());
    if (applyHotkeys())
        accept();
}

bool DialogSetting::applyHotkeys()
{
    Actions* actions = getActions();
    if (!actions)
        return true;
    bool allApplied = true;
    for (int row = 0; row < ui->layoutHotkey->rowCount(); ++row) {
        QLayoutItem* item = ui->layoutHotkey->itemAt(row, QFormLayout::FieldRole);
        auto* field = item ? qobject_cast<KeySequenceEdit*>(item->widget()) : nullptr;
        if (!field)
            continue;
        // A row left as shown is not stored: a default that could not be bound at this start shows
        // empty, and storing that would give it up for every later start.
        const QKeySequence entered = field->keySequence();
        bool applied = !field->isRefused();
        if (applied && entered != shownKeys.value(field->objectName()))
            applied = actions->setHotkey(field->objectName(), entered.toString(QKeySequence::PortableText));
        if (applied) {
            // The dialog can stay open over another row: the key now bound is the one to compare with.
            shownKeys.insert(field->objectName(), entered);
            field->setStyleSheet(validStyle);
            continue;
        }
        field->setStyleSheet(invalidStyle);
        ui->tabWidget->setCurrentWidget(ui->tabHotkey);
        allApplied = false;
    }
    return allApplied;
}

void DialogSetting::on_btnCancel_clicked()
{
    reject();
}

void DialogSetting::adjustTextColor()
{
    localInvalid = false;
    ui->lineEditServerUrl->setStyleSheet(validStyle);
    ui->lineEditAccessToken->setStyleSheet(validStyle);
    const bool hasUrl = !ui->lineEditServerUrl->text().isEmpty();
    const bool hasToken = !ui->lineEditAccessToken->text().isEmpty();
    if (!hasUrl && !hasToken)
        return;
    if (!hasUrl) {
        ui->lineEditServerUrl->setStyleSheet(invalidStyle);
        localInvalid = true;
    }
    if (!hasToken) {
        ui->lineEditAccessToken->setStyleSheet(invalidStyle);
        localInvalid = true;
    }
}
