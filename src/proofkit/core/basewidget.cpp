#include "basewidget.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>

#include "screenfit.h"

BaseWidget::BaseWidget(QWidget* parent)
    : QWidget(parent)
{
}

void BaseWidget::ensureInScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Only the top-left corner is brought back: a window hanging over the right or bottom edge can
    // still be grabbed and dragged in.
    QPoint p = pos();
    if (p.x() < area.left())
        p.setX(area.left());
    else if (p.x() > area.right())
        p.setX(area.right() - width());
    if (p.y() < area.top())
        p.setY(area.top());
    else if (p.y() > area.bottom())
        p.setY(area.bottom() - height());
    // Before the first show the position does not count the frame yet: moving the window to where
    // it already is would shift it by the frame at every opening.
    if (p != pos())
        move(p);
}

void BaseWidget::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    ScreenFit::watch(this);
}

void BaseWidget::closeEvent(QCloseEvent* e)
{
    // Subclasses end their closeEvent here even when they refused the close (unsaved text kept
    // open): QWidget's handler would accept it again, and the window is not closing.
    if (!e->isAccepted())
        return;
    QWidget::closeEvent(e);
    emit closeWidget();
}

void BaseWidget::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    emit hideWidget();
}
