#pragma once

#include <QPoint>
#include <QRect>

#include "basewidget.h"

// Draws its own frame: the user moves it by dragging its body and resizes it from its rim. It
// never leaves the primary screen's usable area.
class PROOFKIT_EXPORT QFramelessWindow : public BaseWidget
{
    Q_OBJECT
public:
    // Edges and corners clockwise from the top; None when no resize is under way.
    enum ResizeRegion {
        None = 0,
        Top = 1,
        TopRight = 2,
        Right = 3,
        BottomRight = 4,
        Bottom = 5,
        BottomLeft = 6,
        Left = 7,
        TopLeft = 8,
    };
    Q_ENUM(ResizeRegion)

    explicit QFramelessWindow(QWidget* parent = nullptr);

    // Tracks hover on every child, so resize cursors appear at the edges before any click.
    void setAllMouseTracking();

signals:
    void activateWindow(bool isActive);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;

    ResizeRegion getResizeRegion(QPoint pos) const;
    void setResizeCursor(ResizeRegion region);
    void handleMove(QPoint globalPos);
    void handleResize();

private:
    int borderWidth = 5;
    bool pressed = false;
    bool moving = false;
    QPoint pressPos;
    QPoint pressGlobalPos;
    ResizeRegion resizeRegion = None;
    QRect pressRect;
};
