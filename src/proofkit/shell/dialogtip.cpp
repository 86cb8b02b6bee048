#include "dialogtip.h"
#include "ui_dialogtip.h"

#include "config.h"
#include "settingkeys.h"

DialogTip::DialogTip(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::DialogTip)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    ui->stackedWidget->setCurrentIndex(0);
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
