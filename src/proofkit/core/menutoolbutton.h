#pragma once

#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include "proofkit_export.h"

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
    QPointer<QMenu> popup;  // not owned; may go before the button
    bool shown = false;
};
