#include "menuex.h"

#include <QAction>
#include <QMouseEvent>

MenuEx::MenuEx()
    : QMenu(nullptr)
{
}

MenuEx::MenuEx(const QString& title, QWidget* parent)
    : QMenu(title, parent)
{
}

void MenuEx::mouseReleaseEvent(QMouseEvent* e)
{
    QAction* action = activeAction();
    if (action && action->isCheckable() && action->isEnabled()) {
        action->trigger();
        return;
    }
    QMenu::mouseReleaseEvent(e);
}
