#pragma once

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogLogin; }

// Asks for the account's user name and password and logs in through the client.
// exec() gives 2 on a successful login, 3 when the user asks to register instead, 0 otherwise.
class PROOFKIT_EXPORT DialogLogin : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogLogin(QWidget* parent = nullptr);
    ~DialogLogin() override;

    QString username() const;
    QString password() const;
    void setUserName(const QString& name);

private slots:
    void on_btnLogin_clicked();
    void on_btnRegister_clicked();

private:
    Ui::DialogLogin* ui = nullptr;
};
