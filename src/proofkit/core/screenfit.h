#pragma once

#include <QObject>

#include "proofkit_export.h"

class QTimer;
class QWidget;

// A window laid out for a smaller scale factor can open larger than the screen, with its controls out
// of reach. At its first showing it is shrunk and moved onto the work area, and checked again once the
// window manager has framed it, since the frame only counts from then on.
//
// For a few seconds after the first showing the window is also kept where the X server has it: a reply
// of the window manager to an older request, read last, can leave Qt believing the window sits elsewhere,
// and everything placed from that belief (the window's prompts, menus, tool tips) lands beside it.
class PROOFKIT_EXPORT ScreenFit : public QObject
{
    Q_OBJECT
public:
    // Call from the window's show event; only its first showing counts.
    static void watch(QWidget* window);
    // Brings the window, frame included as far as it is known, inside the area; it moves only when
    // it has to, since moving a window that has no frame yet shifts it by the frame. True when it
    // asked for a new size or place.
    static bool fit(QWidget* window);
    // Whether the window manager's frame is known and Qt has the window where the X server has it.
    // While the window manager reparents a window Qt can read a frame without its top and left, and
    // after a move it reports the asked-for place before the server has it there.
    static bool settled(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ScreenFit(QWidget* window);
    void check(bool polled);
    void finish();

    QWidget* window = nullptr;
    QTimer* poll = nullptr;
    int polls = 0;
    int fits = 0;
    int behind = 0;
    bool fitted = false;
    bool busy = false;
};
