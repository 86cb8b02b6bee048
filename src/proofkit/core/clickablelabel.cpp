#include "clickablelabel.h"

#include <QApplication>
#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget* parent, Qt::WindowFlags f)
    : QLabel(parent, f)
{
}

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent, Qt::WindowFlags f)
    : QLabel(text, parent, f)
{
}

void ClickableLabel::mousePressEvent(QMouseEvent* e)
{
    pressPos = e->pos();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* e)
{
    // A press that turned into a drag is not a click.
    if ((e->pos() - pressPos).manhattanLength() >= QApplication::startDragDistance())
        return;
    switch (e->button()) {
    case Qt::LeftButton:
        emit mouseLeftClick(e);
        break;
    case Qt::RightButton:
        emit mouseRightClick(e);
        break;
    case Qt::MiddleButton:
        emit mouseMiddleClick(e);
        break;
    default:
        break;
    }
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* e)
{
    emit mouseDoubleClick(e);
}
