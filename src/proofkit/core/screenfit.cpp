#include "screenfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

namespace {
constexpr char fittedProperty[] = "screenFitDone";
// Each fit is a request the window manager answers later; the answer is checked and fitted again, but
// a window manager that keeps its own idea of the place wins after this many tries.
constexpr int maxFits = 3;
// How often, and how long after the first showing, the window is looked at: the window manager sends
// nothing to the window when it only wraps a frame around it.
constexpr int pollMs = 50;
constexpr int maxPolls = 100;
// Polls for which Qt and the server may disagree before Qt is set right: long enough for a request
// of ours, or the user's drag, to arrive.
constexpr int behindPolls = 6;

// The window manager's frame as far as it is known. While it reparents the window, Qt can read a frame
// that has only its right and bottom parts: that one is no frame yet.
QMargins knownMargins(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    if (!handle)
        return QMargins();
    const QMargins margins = handle->frameMargins();
    if (margins.top() <= 0 && margins.left() <= 0)
        return QMargins();
    return margins;
}

// Where the X server has the window, in the window's own scaled coordinates; none off X11.
std::optional<QRectF> serverGeometry(QWidget* window)
{
    if (!QX11Info::isPlatformX11())
        return std::nullopt;
    xcb_connection_t* connection = QX11Info::connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const auto root = static_cast<xcb_window_t>(QX11Info::appRootWindow());
    xcb_translate_coordinates_reply_t* corner =
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr);
    xcb_get_geometry_reply_t* size = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    std::optional<QRectF> result;
    if (corner && size) {
        // Scaled the way Qt scales a screen's points: from the screen's corner.
        const QScreen* screen = window->screen();
        const QPointF origin = screen ? QPointF(screen->geometry().topLeft()) : QPointF();
        const qreal ratio = window->devicePixelRatioF();
        result = QRectF((QPointF(corner->dst_x, corner->dst_y) - origin) / ratio + origin,
                        QSizeF(size->width, size->height) / ratio);
    }
    std::free(corner);
    std::free(size);
    return result;
}

bool serverAgrees(QWidget* window, const std::optional<QRectF>& server)
{
    if (!server)
        return true;
    const QRectF qt(window->geometry());
    // Odd device pixels round either way at a scale factor of 2.
    auto near = [](qreal a, qreal b) { return qAbs(a - b) <= 1; };
    return near(server->x(), qt.x()) && near(server->y(), qt.y()) && near(server->width(), qt.width())
           && near(server->height(), qt.height());
}
} // namespace

ScreenFit::ScreenFit(QWidget* window) : QObject(window), window(window), poll(new QTimer(this))
{
    window->installEventFilter(this);
    poll->setInterval(pollMs);
    connect(poll, &QTimer::timeout, this, [this] {
        if (++polls >= maxPolls)
            finish();
        else
            check(true);
    });
    poll->start();
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

bool ScreenFit::settled(QWidget* window)
{
    return window->isVisible() && !knownMargins(window).isNull() && serverAgrees(window, serverGeometry(window));
}

bool ScreenFit::fit(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return false;
    const QRect area = screen->availableGeometry();
    const QMargins margins = knownMargins(window);
    const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize room = area.size() - extra;
    bool asked = false;
    if (window->width() > room.width() || window->height() > room.height()) {
        const QSize before = window->size();
        window->resize(before.boundedTo(room));
        asked = window->size() != before;
    }

    const QPoint corner(margins.left(), margins.top());
    const QRect now(window->geometry().topLeft() - corner, window->size() + extra);
    QPoint p = now.topLeft();
    if (now.right() > area.right())
        p.rx() -= now.right() - area.right();
    if (now.bottom() > area.bottom())
        p.ry() -= now.bottom() - area.bottom();
    p.setX(qMax(p.x(), area.left()));
    p.setY(qMax(p.y(), area.top()));
    if (p != now.topLeft()) {
        // The window itself is placed, inside the frame as the window manager reports it: Qt's own
        // idea of the frame may still be the one from before the window manager took the window in.
        window->setGeometry(QRect(p + corner, window->size()));
        asked = true;
    }
    return asked;
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == window && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint))
        check(false);
    return QObject::eventFilter(watched, event);
}

void ScreenFit::check(bool polled)
{
    // A fit's own move and resize events come back here before the server has seen them.
    if (busy || !window->isVisible() || knownMargins(window).isNull()
        || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        return;
    const std::optional<QRectF> server = serverGeometry(window);
    if (!serverAgrees(window, server)) {
        // Still apart after a while: no request on its way but a stale answer Qt read last. Asking
        // for the place the server has gets Qt a fresh one.
        if (polled && ++behind >= behindPolls) {
            behind = 0;
            busy = true;
            window->setGeometry(server->toRect());
            busy = false;
        }
        return;
    }
    behind = 0;
    if (fitted)
        return;
    busy = true;
    const bool asked = fit(window);
    busy = false;
    // What was asked for is checked once the server has it; then the window is the user's to place.
    if (!asked || ++fits >= maxFits)
        fitted = true;
}

void ScreenFit::finish()
{
    window->removeEventFilter(this);
    poll->stop();
    deleteLater();
}
