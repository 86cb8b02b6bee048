#pragma once

#include <QWidget>

#include "proofkit_export.h"

// Base of the tool windows: reports its hiding and closing, and can pull itself back onto the screen.
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
};
