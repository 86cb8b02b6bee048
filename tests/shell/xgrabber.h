#pragma once

#include <QProcess>
#include <QString>

#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

// A second client of the X server, holding key chords on the root window as another program would.
class XGrabber
{
public:
    XGrabber() : connection(xcb_connect(nullptr, nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    }
    ~XGrabber() { xcb_disconnect(connection); }

    // Grabs the letter (lower-case keysym) with the modifier mask; true when the server agreed.
    bool grab(char letter, uint16_t mask)
    {
        const xcb_keycode_t code = keycode(letter);
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_grab_key_checked(connection, 0, root, mask, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return !error;
    }
    // Whether another client holds the chord (it is let go again at once when it was free).
    bool heldElsewhere(char letter, uint16_t mask)
    {
        if (!grab(letter, mask))
            return true;
        ungrab(letter, mask);
        return false;
    }
    // Waits for the server's answer: requests of two connections are not ordered, so a grab by the
    // program under test sent right after a mere flush could still find the chord held.
    void ungrab(char letter, uint16_t mask)
    {
        std::free(xcb_request_check(connection, xcb_ungrab_key_checked(connection, keycode(letter), root, mask)));
    }
    // Key repeat off on the whole (private) server: a key held down while the machine is busy
    // would repeat, and one press would act several times.
    bool setKeyRepeat(bool on)
    {
        const uint32_t mode = on ? XCB_AUTO_REPEAT_MODE_ON : XCB_AUTO_REPEAT_MODE_OFF;
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_keyboard_control_checked(connection, XCB_KB_AUTO_REPEAT_MODE, &mode));
        std::free(error);
        return !error;
    }

private:
    xcb_keycode_t keycode(char letter)
    {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, static_cast<xcb_keysym_t>(letter));
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }

    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
};

constexpr uint16_t ctrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;

// Presses keys through the server as a user would (xdotool's names: "ctrl+shift+w", "Num_Lock").
inline bool pressKeys(const QString& keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}
