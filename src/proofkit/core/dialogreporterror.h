#pragma once

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogReportError; }

// Gathers a complaint about a finding the user thinks is mistaken: the flagged text, the sentence
// around it and a free note. Send only accepts; the caller reads the fields and submits them.
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
