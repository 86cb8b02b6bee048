#pragma once

#include <QIconEngine>
#include <QMap>
#include <QVariant>

#include "proofkit_export.h"

class IconFont;
class IconFontPainter;

// Paints an icon on demand through an icon-font painter, at whatever size is asked for.
class PROOFKIT_EXPORT IconFontIconEngine : public QIconEngine
{
public:
    IconFontIconEngine(IconFont* iconFont, IconFontPainter* painter, const QMap<int, QVariant>& options);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    IconFont* iconFont = nullptr;         // the process-wide font, not owned
    IconFontPainter* iconPainter = nullptr;  // owned by the icon font
    QMap<int, QVariant> options;
};
