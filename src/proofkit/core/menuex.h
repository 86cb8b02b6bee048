#pragma once

#include <QMenu>

#include "proofkit_export.h"

// A menu whose checkable entries toggle without closing it, so several options can be set in one go.
class PROOFKIT_EXPORT MenuEx : public QMenu
{
    Q_OBJECT
public:
    MenuEx();
    explicit MenuEx(const QString& title, QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};
