#pragma once

#include <QWidget>

#include "proofkit_export.h"

// Translucent "Loading..." cover over its parent; it follows the parent's size, stays above its
// other children and lets every mouse click through.
class PROOFKIT_EXPORT LoadingOverlay : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingOverlay(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void watchParent();
};
