#include "dialoglogin.h"
#include "ui_dialoglogin.h"

#include "checkerclient.h"

DialogLogin::DialogLogin(QWidget* parent)
    : BaseDialog(parent)
    , ui(new Ui::DialogLogin)
{
    ui->setupUi(this);
    if (CheckerClient* client = getCheckerClient())
        ui->labelForgetPassword->setText(
            tr("<a href=\"%1\">Forget Password</a>").arg(client->getWebUrl(URL_PASSWORD_RESET, QString()).toHtmlEscaped()));
}

DialogLogin::~DialogLogin()
{
    delete ui;
}

QString DialogLogin::username() const
{
    return ui->editUserName->text();
}

QString DialogLogin::password() const
{
    return ui->editPassword->text();
}

void DialogLogin::setUserName(const QString& name)
{
    ui->editUserName->setText(name);
    ui->editPassword->clear();
}

void DialogLogin::on_btnLogin_clicked()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    ui->btnLogin->setEnabled(false);
    const bool loggedIn = client->login(username(), password());
    ui->btnLogin->setEnabled(true);
    if (!loggedIn)
        return;
    done(2);
    close();
}

void DialogLogin::on_btnRegister_clicked()
{
    done(3);
    if (CheckerClient* client = getCheckerClient())
        client->openWebUrl(URL_REGISTER);
    close();
}
