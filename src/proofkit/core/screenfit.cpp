#include "screenfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
constexpr char fittedProperty[] = "screenFitDone";
}

ScreenFit::ScreenFit(QWidget* window) : QObject(window), window(window)
{
    window->installEventFilter(this);
}

void ScreenFit::watch(QWidget* window)
{
    if (!window || !window->isWindow() || (window->windowFlags() & Qt::FramelessWindowHint)
        || window->property(fittedProperty).toBool())
        return;
    window->setProperty(fittedProperty, true);
    fit(window);
    new ScreenFit(window);
}

void ScreenFit::fit(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize extra = frame.size() - window->size();
    const QSize room = area.size() - extra;
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));

    const QRect now(window->frameGeometry().topLeft(), window->size() + extra);
    QPoint p = now.topLeft();
    if (now.right() > area.right())
        p.rx() -= now.right() - area.right();
    if (now.bottom() > area.bottom())
        p.ry() -= now.bottom() - area.bottom();
    p.setX(qMax(p.x(), area.left()));
    p.setY(qMax(p.y(), area.top()));
    if (p != now.topLeft())
        window->move(p);
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Until the window manager has framed the window its frame reads as the window itself, or as
    // a placeholder that does not surround it.
    const QRect frame = window->frameGeometry();
    const bool framed = frame != window->geometry() && frame.contains(window->geometry());
    // A window manager that leaves the window where it asked to be sends no move: the first paint,
    // after the window was framed and mapped, is the other sign.
    const bool sign = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint;
    if (watched == window && sign && framed) {
        // The frame has arrived: fit once more with it, then the window is the user's to place.
        window->removeEventFilter(this);
        fit(window);
        deleteLater();
    }
    return QObject::eventFilter(watched, event);
}
