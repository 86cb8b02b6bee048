#include "iconfontcharpainter.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include <cmath>

#include "iconfont.h"

void IconFontCharPainter::paint(IconFont* iconFont, QPainter* painter, const QRect& rect,
                                QIcon::Mode mode, QIcon::State /*state*/,
                                const QMap<int, QVariant>& options)
{
    int colorOption = IconFont::ColorNormal;
    int textOption = IconFont::TextNormal;
    switch (mode) {
    case QIcon::Normal:
        break;
    case QIcon::Disabled:
        colorOption = IconFont::ColorDisabled;
        textOption = IconFont::TextDisabled;
        break;
    case QIcon::Active:
        colorOption = IconFont::ColorActive;
        textOption = IconFont::TextActive;
        break;
    case QIcon::Selected:
        colorOption = IconFont::ColorSelected;
        textOption = IconFont::TextSelected;
        break;
    }

    QString text = options.value(textOption).toString();
    if (text.isEmpty())
        text = options.value(IconFont::TextNormal).toString();

    const double scale = options.value(IconFont::ScaleFactor).toDouble();
    const long glyphSize = std::lround(rect.height() * scale);
    // A font of 0 pixels is refused by Qt; an icon that small shows nothing anyway.
    if (glyphSize <= 0 || text.isEmpty())
        return;

    painter->save();
    painter->setPen(options.value(colorOption).value<QColor>());
    painter->setFont(iconFont->font(int(glyphSize)));
    painter->drawText(rect, Qt::AlignCenter, text);
    painter->restore();
}
