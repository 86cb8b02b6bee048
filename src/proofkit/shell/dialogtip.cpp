#include "dialogtip.h"
#include "ui_dialogtip.h"

#include "config.h"
#include "screenfit.h"
#include "settingkeys.h"

DialogTip::DialogTip(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::DialogTip)
{
    ui->setupUi(this);
    // Shown at start, before the windows of the programs the user works in: it must not open
    // behind them.
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    ui->stackedWidget->setCurrentIndex(0);
    // Enter reads on: without this the first button in the row, "previous", would be the default.
    ui->btnNext->setDefault(true);
}

void DialogTip::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ScreenFit::watch(this);
    raise();
    activateWindow();
}

DialogTip::~DialogTip()
{
    delete ui;
}

void DialogTip::on_btnNext_clicked()
{
    const int count = ui->stackedWidget->count();
    ui->stackedWidget->setCurrentIndex((ui->stackedWidget->currentIndex() + 1) % count);
}

void DialogTip::on_btnPrev_clicked()
{
    const int count = ui->stackedWidget->count();
    ui->stackedWidget->setCurrentIndex((ui->stackedWidget->currentIndex() + count - 1) % count);
}

void DialogTip::on_cbDisable_toggled(bool checked)
{
    if (Config* config = GetConfig())
        config->setValueBool(QLatin1String(SettingKeys::ShowTip), !checked);
}
