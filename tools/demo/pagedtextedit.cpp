#include "pagedtextedit.h"

#include <QPainter>
#include <QTextBlock>

PagedTextEdit::PagedTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
}

void PagedTextEdit::setPageStarts(const std::vector<int>& starts)
{
    if (starts == pageStarts)
        return;
    pageStarts = starts;
    viewport()->update();
}

QColor PagedTextEdit::pageEndColor()
{
    return QColor(0, 120, 180);
}

void PagedTextEdit::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setPen(QPen(pageEndColor(), 1));
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.7);
    painter.setFont(small);
    const int width = viewport()->width();
    for (size_t i = 0; i < pageStarts.size(); ++i) {
        // The line goes under the last line of the page, whose last character comes just before the start.
        const QTextBlock last = document()->findBlock(std::max(0, pageStarts[i] - 1));
        if (!last.isValid() || !last.isVisible())
            continue;
        const int y = int(blockBoundingGeometry(last).translated(contentOffset()).bottom()) - 1;
        if (y < 0 || y > viewport()->height())
            continue;
        painter.drawLine(0, y, width, y);
        const QString label = tr("end of page %1").arg(i + 1);
        const QRect box(0, y - painter.fontMetrics().height(), width - 4, painter.fontMetrics().height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignBottom, label);
    }
}
