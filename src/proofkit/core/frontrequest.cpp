#include "frontrequest.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

namespace {
// Source indication of the request: a direct action of the user, such as a pager's.
constexpr uint32_t sourceUser = 2;
}

void FrontRequest::bringToFront(QWidget* widget)
{
    if (!widget)
        return;
    widget->raise();
    // Enough without a window manager; with one, Qt's own request counts as the program's, not the
    // user's, so the one below follows it.
    widget->activateWindow();
    QWindow* window = widget->window()->windowHandle();
    if (!window || !QX11Info::isPlatformX11())
        return;
    if (window->isExposed())
        send(window);
    else
        window->installEventFilter(new FrontRequest(window));
}

FrontRequest::FrontRequest(QWindow* window) : QObject(window) {}

bool FrontRequest::eventFilter(QObject* watched, QEvent* event)
{
    auto* window = qobject_cast<QWindow*>(watched);
    if (event->type() == QEvent::Expose && window && window->isExposed()) {
        send(window);
        window->removeEventFilter(this);
        deleteLater();
    }
    return false;
}

void FrontRequest::send(QWindow* window)
{
    xcb_connection_t* connection = QX11Info::connection();
    static const char name[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return;
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window->winId());
    message.type = atom->atom;
    message.data.data32[0] = sourceUser;
    message.data.data32[1] = QX11Info::appUserTime();
    free(atom);
    xcb_send_event(connection, 0, static_cast<xcb_window_t>(QX11Info::appRootWindow()),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}
