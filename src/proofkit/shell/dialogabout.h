#pragma once

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogAbout; }

// The about box: product name, client version and who makes it.
class PROOFKIT_EXPORT DialogAbout : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogAbout(QWidget* parent = nullptr);
    ~DialogAbout() override;

private slots:
    void on_btnOk_clicked();

private:
    Ui::DialogAbout* ui = nullptr;
};

// Shows the one parentless about box of the process, made again if it was ever destroyed.
PROOFKIT_EXPORT void showAboutDialog();
