#pragma once

#include "basedialog.h"

namespace Ui { class DialogProgress; }

// Progress of a running check, with Cancel. Closing the dialog in any way the user can counts as
// Cancel, so a check never goes on with its dialog out of sight.
class PROOFKIT_EXPORT DialogProgress : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogProgress(QWidget* parent = nullptr);
    ~DialogProgress() override;

    // 0 shows the busy indicator; 1 to 100 the share done.
    void setProgress(int n);
    void setTitle(const QString& title);

signals:
    void cancel();

protected:
    void closeEvent(QCloseEvent* e) override;

private slots:
    void on_btnCancel_clicked();

private:
    Ui::DialogProgress* ui = nullptr;
    bool cancelSent = false;  // the Cancel button already emitted cancel() for this close
};
