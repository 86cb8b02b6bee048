#pragma once

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogContact; }

// A message to the makers. There is no sending service: Send copies the message to the clipboard
// and opens the contact page for the user to paste it there.
class PROOFKIT_EXPORT DialogContact : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogContact(QWidget* parent = nullptr);
    ~DialogContact() override;

private slots:
    void on_btnSend_clicked();

private:
    Ui::DialogContact* ui = nullptr;
};
