#pragma once

#include <QObject>

#include "proofkit_export.h"

class QWidget;
class QWindow;

// Brings a window the user asked for to the front with the keyboard focus. On X11 the window manager
// is asked as for a direct user action, with the time stamp of the user's last input to this program
// (a hot key's press counts), so that its focus-stealing prevention lets the window win over the
// editor the user was working in. A window not yet mapped is asked for once it is, since the window
// manager ignores requests for windows it does not manage yet.
class PROOFKIT_EXPORT FrontRequest : public QObject
{
    Q_OBJECT
public:
    static void bringToFront(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FrontRequest(QWindow* window);
    static void send(QWindow* window);
};
