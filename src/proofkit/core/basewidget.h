#pragma once

#include <QWidget>

#include "proofkit_export.h"

// Common base of our tool windows: tells listeners when it hides or closes, and can move itself
// back where the user can see it.
class PROOFKIT_EXPORT BaseWidget : public QWidget
{
    Q_OBJECT
public:
    explicit BaseWidget(QWidget* parent = nullptr);

    void ensureInScreen();

signals:
    void hideWidget();
    void closeWidget();

protected:
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;
};
