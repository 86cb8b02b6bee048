#include "dialogabout.h"
#include "ui_dialogabout.h"

#include <QPointer>

#include "checkerclient.h"

DialogAbout::DialogAbout(QWidget* parent)
    : BaseDialog(parent)
    , ui(new Ui::DialogAbout)
{
    ui->setupUi(this);
    QString text = tr("Korrelo");
    if (CheckerClient* client = getCheckerClient())
        text += QLatin1Char(' ') + client->getClientVer();
    ui->lblKorrelo->setText(text);
}

DialogAbout::~DialogAbout()
{
    delete ui;
}

void DialogAbout::on_btnOk_clicked()
{
    close();
}

void showAboutDialog()
{
    static QPointer<DialogAbout> dialog;
    if (!dialog)
        dialog = new DialogAbout(nullptr);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
