#include "linenumberarea.h"

#include <QFontMetrics>
#include <QTextDocument>

#include <algorithm>

#include "texteditex.h"

namespace {
constexpr int GutterPadding = 12;
}

LineNumberArea::LineNumberArea(TextEditEx* editor)
    : QWidget(editor)
    , editor(editor)
    , document(editor->document())
{
}

int LineNumberArea::calculateWidth()
{
    const int blocks = document->blockCount();
    lastBlockCount = blocks;
    int digits = 1;
    for (int n = std::max(1, blocks); n > 9; n /= 10)
        ++digits;
    areaWidth = editor->fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + GutterPadding;
    return areaWidth;
}

QSize LineNumberArea::sizeHint() const
{
    return QSize(const_cast<LineNumberArea*>(this)->calculateWidth(), 0);
}

void LineNumberArea::paintEvent(QPaintEvent* event)
{
    editor->lineNumberAreaPaintEvent(event);
}
