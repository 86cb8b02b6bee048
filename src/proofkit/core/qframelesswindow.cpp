#include "qframelesswindow.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScreen>

QFramelessWindow::QFramelessWindow(QWidget* parent)
    : BaseWidget(parent)
{
}

void QFramelessWindow::setAllMouseTracking()
{
    const auto children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        child->setMouseTracking(true);
        child->updateGeometry();
    }
    setMouseTracking(true);
    updateGeometry();
}

void QFramelessWindow::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    pressed = true;
    pressPos = e->pos();
    pressGlobalPos = e->globalPos();
    pressRect = rect();
}

void QFramelessWindow::mouseMoveEvent(QMouseEvent* e)
{
    // The release can go elsewhere (the owner hid the window mid-drag, another window took the
    // mouse): with the button up the drag is over, or the window would follow a hovering cursor.
    if (!(e->buttons() & Qt::LeftButton)) {
        pressed = false;
        moving = false;
        resizeRegion = None;
    }

    if (resizeRegion != None) {
        handleResize();
        return;
    }
    if (moving) {
        move(e->globalPos() - pressPos);
        return;
    }

    const QPoint pos = e->pos();
    const int b = borderWidth;
    const QRect inner(b, b, width() - 2 * b, height() - 2 * b);
    const bool leftHeld = pressed && (e->buttons() & Qt::LeftButton);
    if (rect().contains(pos) && !inner.contains(pos)) {
        const ResizeRegion region = getResizeRegion(pos);
        setResizeCursor(region);
        if (leftHeld) {
            resizeRegion = region;
            handleResize();
        }
        return;
    }
    setCursor(Qt::ArrowCursor);
    if (leftHeld) {
        moving = true;
        move(e->globalPos() - pressPos);
    }
}

void QFramelessWindow::mouseReleaseEvent(QMouseEvent* e)
{
    pressed = false;
    if (moving) {
        moving = false;
        handleMove(e->globalPos());
    }
    resizeRegion = None;
    setCursor(Qt::ArrowCursor);
}

void QFramelessWindow::moveEvent(QMoveEvent* e)
{
    // A child widget's position is relative to its parent, not to the screen.
    if (!isWindow())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int rightLimit = area.x() + area.width();
    const int bottomLimit = area.y() + area.height();

    // The left and top limits win over the right and bottom ones, so a window larger than the area
    // settles at the left or top edge instead of being pushed back and forth.
    QPoint p = e->pos();
    if (p.x() + width() > rightLimit)
        p.setX(rightLimit - width());
    if (p.x() < area.left())
        p.setX(area.left());
    if (p.y() + height() > bottomLimit)
        p.setY(bottomLimit - height());
    if (p.y() < area.top())
        p.setY(area.top());
    if (p != e->pos())
        move(p);
}

void QFramelessWindow::changeEvent(QEvent* e)
{
    BaseWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        emit activateWindow(isActiveWindow());
}

QFramelessWindow::ResizeRegion QFramelessWindow::getResizeRegion(QPoint pos) const
{
    const int b = borderWidth;
    const int w = width();
    const int h = height();
    if (pos.y() <= b) {
        if (pos.x() <= b)
            return TopLeft;
        return pos.x() >= w - b ? TopRight : Top;
    }
    if (pos.y() >= h - b) {
        if (pos.x() <= b)
            return BottomLeft;
        return pos.x() >= w - b ? BottomRight : Bottom;
    }
    return pos.x() <= b ? Left : Right;
}

void QFramelessWindow::setResizeCursor(ResizeRegion region)
{
    switch (region) {
    case Top:
    case Bottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case Right:
    case Left:
        setCursor(Qt::SizeHorCursor);
        break;
    case TopRight:
    case BottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case BottomRight:
    case TopLeft:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case None:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void QFramelessWindow::handleMove(QPoint globalPos)
{
    move(globalPos - pressPos);
}

void QFramelessWindow::handleResize()
{
    const QPoint cursor = QCursor::pos();
    const int dx = cursor.x() - pressGlobalPos.x();
    const int dy = cursor.y() - pressGlobalPos.y();
    const int w = pressRect.width();
    const int h = pressRect.height();
    // A dragged top or left edge goes to where the cursor is now.
    const int edgeX = pressGlobalPos.x() + dx;
    const int edgeY = pressGlobalPos.y() + dy;
    switch (resizeRegion) {
    case Top:
        resize(width(), h - dy);
        move(x(), edgeY);
        break;
    case TopRight:
        resize(w + dx, h - dy);
        move(x(), edgeY);
        break;
    case Right:
        resize(w + dx, height());
        break;
    case BottomRight:
        resize(w + dx, h + dy);
        break;
    case Bottom:
        resize(width(), h + dy);
        break;
    case BottomLeft:
        resize(w - dx, h + dy);
        move(edgeX, y());
        break;
    case Left:
        resize(w - dx, height());
        move(edgeX, y());
        break;
    case TopLeft:
        resize(w - dx, h - dy);
        move(edgeX, edgeY);
        break;
    case None:
        break;
    }
}
