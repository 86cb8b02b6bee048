#pragma once

#include <QIcon>
#include <QMap>
#include <QVariant>

#include "proofkit_export.h"

class IconFont;
class QPainter;
class QRect;

// Paints one icon of the icon font into a rectangle, for a mode and state, with merged options.
class PROOFKIT_EXPORT IconFontPainter
{
public:
    virtual ~IconFontPainter();
    virtual void paint(IconFont* iconFont, QPainter* painter, const QRect& rect, QIcon::Mode mode,
                       QIcon::State state, const QMap<int, QVariant>& options) = 0;
};
