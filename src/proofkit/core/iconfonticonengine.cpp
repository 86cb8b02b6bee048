#include "iconfonticonengine.h"

#include <QPainter>
#include <QPixmap>

#include "iconfontpainter.h"

IconFontIconEngine::IconFontIconEngine(IconFont* iconFont, IconFontPainter* painter,
                                       const QMap<int, QVariant>& options)
    : iconFont(iconFont), iconPainter(painter), options(options)
{
}

void IconFontIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    if (iconPainter)
        iconPainter->paint(iconFont, painter, rect, mode, state, options);
}

QPixmap IconFontIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    if (pixmap.isNull())
        return pixmap;
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}

QIconEngine* IconFontIconEngine::clone() const
{
    return new IconFontIconEngine(iconFont, iconPainter, options);
}
