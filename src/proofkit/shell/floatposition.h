#pragma once

#include <QPoint>
#include <QRect>

// Where the floating button last stood beside one editor window (screen coordinates), and the
// editor rectangle that place was worked out from.
struct FloatPosition
{
    QPoint pos;
    QRect rect;
};
