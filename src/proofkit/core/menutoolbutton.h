#pragma once

#include <QToolButton>

#include "proofkit_export.h"

class QMenu;

// A tool button that opens its menu below itself on one click and closes it on the next.
class PROOFKIT_EXPORT MenuToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit MenuToolButton(QWidget* parent = nullptr);

    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;
    void togglePopup();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEvent* e) override;

private slots:
    void aboutToShow();
    void aboutToHide();

private:
    QMenu* popup = nullptr;  // not owned
    bool shown = false;
    // The click that closes the open menu lands on this button once the menu is gone; it must
    // not open the menu again.
    bool closedByThisClick = false;
};
