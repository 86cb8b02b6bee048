#pragma once

#include <QObject>

#include "proofkit_export.h"

class QWidget;

// A window laid out for a smaller scale factor can open larger than the screen, with its controls out
// of reach. At its first showing it is shrunk and moved onto the work area, and checked again once the
// window manager has framed it, since the frame only counts from then on.
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
