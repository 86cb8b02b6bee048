#pragma once

#include "iconfontpainter.h"

// Draws the glyph of the mode's text option, centred, in the mode's colour.
class PROOFKIT_EXPORT IconFontCharPainter : public IconFontPainter
{
public:
    void paint(IconFont* iconFont, QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state, const QMap<int, QVariant>& options) override;
};
