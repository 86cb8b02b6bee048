#pragma once

#include <QDialog>

#include "proofkit_export.h"

namespace Ui { class DialogTip; }

// The first-run tips: three pages on the floating button, the red underlines and the tray icon.
class PROOFKIT_EXPORT DialogTip : public QDialog
{
    Q_OBJECT
public:
    explicit DialogTip(QWidget* parent = nullptr);
    ~DialogTip() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void on_btnNext_clicked();
    void on_btnPrev_clicked();
    void on_cbDisable_toggled(bool checked);

private:
    Ui::DialogTip* ui = nullptr;
};
