#include "menutoolbutton.h"

#include <QMenu>
#include <QMouseEvent>

MenuToolButton::MenuToolButton(QWidget* parent)
    : QToolButton(parent)
{
}

void MenuToolButton::setPopupMenu(QMenu* menu)
{
    if (popup)
        disconnect(popup, nullptr, this, nullptr);
    popup = menu;
    shown = false;
    if (!popup)
        return;
    connect(popup, &QMenu::aboutToShow, this, &MenuToolButton::aboutToShow);
    connect(popup, &QMenu::aboutToHide, this, &MenuToolButton::aboutToHide);
}

QMenu* MenuToolButton::popupMenu() const
{
    return popup;
}

void MenuToolButton::togglePopup()
{
    if (!popup)
        return;
    if (shown) {
        popup->close();
        return;
    }
    popup->activateWindow();
    popup->popup(mapToGlobal(rect().bottomLeft()));
}

void MenuToolButton::mouseReleaseEvent(QMouseEvent* /*e*/)
{
    // Only the look of the press is undone; the click itself is this button's toggle.
    setDown(false);
    togglePopup();
}

// No hover look: the button only reacts to clicks.
void MenuToolButton::enterEvent(QEvent* /*e*/)
{
}

void MenuToolButton::aboutToShow()
{
    shown = true;
}

void MenuToolButton::aboutToHide()
{
    shown = false;
}
