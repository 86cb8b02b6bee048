#pragma once

#include <QMenu>

#include "proofkit_export.h"

// A menu that stays open when a check box in it is clicked.
class PROOFKIT_EXPORT MenuEx : public QMenu
{
    Q_OBJECT
public:
    MenuEx();
    explicit MenuEx(const QString& title, QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};
