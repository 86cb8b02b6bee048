#pragma once

#include <QLabel>
#include <QPoint>

#include "proofkit_export.h"

// A label that reports clicks (press and release without a drag) and double clicks as signals.
class PROOFKIT_EXPORT ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr,
                            Qt::WindowFlags f = Qt::WindowFlags());

signals:
    void mouseDoubleClick(QMouseEvent* e);
    void mouseLeftClick(QMouseEvent* e);
    void mouseMiddleClick(QMouseEvent* e);
    void mouseRightClick(QMouseEvent* e);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QPoint pressPos;
};
