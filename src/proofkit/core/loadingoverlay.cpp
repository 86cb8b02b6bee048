#include "loadingoverlay.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>

LoadingOverlay::LoadingOverlay(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    watchParent();
}

void LoadingOverlay::watchParent()
{
    if (!parent())
        return;
    parent()->installEventFilter(this);
    if (parentWidget())
        resize(parentWidget()->size());
    raise();
}

bool LoadingOverlay::event(QEvent* event)
{
    if (event->type() == QEvent::ParentAboutToChange) {
        if (parent())
            parent()->removeEventFilter(this);
    } else if (event->type() == QEvent::ParentChange) {
        watchParent();
    }
    return QWidget::event(event);
}

bool LoadingOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize)
            resize(static_cast<QResizeEvent*>(event)->size());
        else if (event->type() == QEvent::ChildAdded)
            raise();
    }
    return QWidget::eventFilter(watched, event);
}

void LoadingOverlay::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(100, 100, 100, 128));
    QFont textFont = font();
    textFont.setPointSize(40);
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignVCenter, tr("Loading..."));
}
