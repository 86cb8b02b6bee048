#pragma once

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogReportError; }

// Lets the user report a wrong finding: the flagged text, its sentence and a note, sent on Send.
class PROOFKIT_EXPORT DialogReportError : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogReportError(QWidget* parent = nullptr);
    ~DialogReportError() override;

    void setData(const QString& errorText, const QString& sentence);
    QString errorText() const;
    QString sentence() const;
    QString note() const;

private slots:
    void on_btnSend_clicked();

private:
    Ui::DialogReportError* ui = nullptr;
};
