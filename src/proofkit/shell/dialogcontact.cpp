#include "dialogcontact.h"
#include "ui_dialogcontact.h"

#include <QClipboard>
#include <QGuiApplication>

#include "checkerclient.h"

DialogContact::DialogContact(QWidget* parent)
    : BaseDialog(parent)
    , ui(new Ui::DialogContact)
{
    ui->setupUi(this);
}

DialogContact::~DialogContact()
{
    delete ui;
}

void DialogContact::on_btnSend_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    const QString message = ui->editMsg->toPlainText();
    if (message.trimmed().isEmpty()) {
        client->showMsgBox(tr("Please input message."), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    QString text = message;
    const QString address = ui->editEmail->text().trimmed();
    if (!address.isEmpty())
        text += QStringLiteral("\n\n") + address;
    QGuiApplication::clipboard()->setText(text);
    client->openWebUrl(URL_CONTACT);
    client->showMsgBox(tr("Your message was copied; please paste it on the contact page."),
                       QMessageBox::Information, QMessageBox::Ok);
    close();
}
