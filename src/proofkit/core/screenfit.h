#pragma once

#include <QObject>

#include "proofkit_export.h"

class QWidget;

// Keeps a framed window inside the primary screen's available area when it is first shown: once as
// it shows, and once more when the window manager's frame around it is known. A window larger than
// the area (a layout made for a lower scale factor) is made smaller.
class PROOFKIT_EXPORT ScreenFit : public QObject
{
    Q_OBJECT
public:
    // Call from the window's show event; only its first showing counts.
    static void watch(QWidget* window);
    // Brings the window, frame included as far as it is known, inside the area; it moves only when
    // it has to, since moving a window that has no frame yet shifts it by the frame.
    static void fit(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ScreenFit(QWidget* window);

    QWidget* window = nullptr;
};
