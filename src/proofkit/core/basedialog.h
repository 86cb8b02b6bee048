#pragma once

#include <QDialog>

#include "proofkit_export.h"

// Base of the small dialogs: stays on top, carries the product icon, closes on Escape.
class PROOFKIT_EXPORT BaseDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BaseDialog(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
};
