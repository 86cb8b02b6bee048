#include "busprobe.h"

#include <gio/gio.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace atspi_detail {
namespace {

constexpr int callTimeoutMs = 2000;

// The reply's one value, or null.
GVariant* callSession(GDBusConnection* session, const char* interface, const char* method, GVariant* args)
{
    GVariant* reply = g_dbus_connection_call_sync(session, "org.a11y.Bus", "/org/a11y/bus", interface, method, args,
                                                  nullptr, G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, nullptr);
    if (!reply)
        return nullptr;
    GVariant* value = g_variant_get_child_value(reply, 0);
    g_variant_unref(reply);
    return value;
}

bool reachable(const char* address)
{
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!bus)
        return false;
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    return true;
}

} // namespace

bool accessibilityBusAnswers(bool* switchedOn)
{
    *switchedOn = true;
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (session) {
        if (GVariant* value = callSession(session, "org.freedesktop.DBus.Properties", "Get",
                                          g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"))) {
            GVariant* inner = g_variant_get_variant(value);
            if (g_variant_is_of_type(inner, G_VARIANT_TYPE_BOOLEAN))
                *switchedOn = g_variant_get_boolean(inner);
            g_variant_unref(inner);
            g_variant_unref(value);
        }
    }
    // The same order the bus library looks in: its own variable, then the session bus.
    bool answers = false;
    if (const char* address = g_getenv("AT_SPI_BUS_ADDRESS"); address && *address) {
        answers = reachable(address);
    } else if (session) {
        if (GVariant* value = callSession(session, "org.a11y.Bus", "GetAddress", nullptr)) {
            if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
                answers = reachable(g_variant_get_string(value, nullptr));
            g_variant_unref(value);
        }
    }
    if (session)
        g_object_unref(session);
    return answers;
}

bool displayNamesBus()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    static const char name[] = "AT_SPI_BUS";
    bool named = false;
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof(name) - 1, name), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (atom && atom->atom != XCB_ATOM_NONE && screen) {
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_ANY, 0, 1), nullptr);
        named = property && property->type != XCB_ATOM_NONE;
        free(property);
    }
    free(atom);
    xcb_disconnect(connection);
    return named;
}

} // namespace atspi_detail
