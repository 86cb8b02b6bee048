// What the editor does for the keys and the mouse beyond plain typing: brackets typed in pairs,
// lists carried on, lines indented or copied, and the view dragged with Ctrl held.

#include "texteditex.h"

#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>

#include "contextshow.h"

namespace {

constexpr int DragThreshold = 4;
const QChar ParagraphSeparator(0x2029);

} // namespace

bool TextEditEx::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverMove: {
        const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
        viewport()->setCursor(ctrl ? Qt::PointingHandCursor : Qt::IBeamCursor);
        break;
    }
    case QEvent::KeyPress: {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = keyEvent->modifiers();
        viewport()->setCursor(modifiers & Qt::ControlModifier ? Qt::PointingHandCursor : Qt::IBeamCursor);
        if (!hasFocus())
            return false;
        if (keyEvent->key() == Qt::Key_Escape && contextShow->isVisible())
            contextShow->hide();
        // The aids edit through their own cursors, which a read-only editor would not stop.
        const bool moves = (keyEvent->key() == Qt::Key_Up || keyEvent->key() == Qt::Key_Down)
                           && modifiers != (Qt::ControlModifier | Qt::AltModifier);
        if (isReadOnly() && !moves)
            return false;
        switch (keyEvent->key()) {
        case Qt::Key_Tab:
            return handleTab(false);
        case Qt::Key_Backtab:
            return handleTab(true);
        case Qt::Key_Backspace:
            return handleBracketRemoval();
        case Qt::Key_Asterisk:
            return handleBracketOpening(QStringLiteral("*"), QString());
        case Qt::Key_QuoteDbl:
            return handleBracketOpening(QStringLiteral("\""), QString());
        case Qt::Key_ParenLeft:
            return handleBracketOpening(QStringLiteral("("), QStringLiteral(")"));
        case Qt::Key_BraceLeft:
            return handleBracketOpening(QStringLiteral("{"), QStringLiteral("}"));
        case Qt::Key_BracketLeft:
            return handleBracketOpening(QStringLiteral("["), QStringLiteral("]"));
        case Qt::Key_Less:
            return handleBracketOpening(QStringLiteral("<"), QStringLiteral(">"));
        case Qt::Key_ParenRight:
            return handleBracketClosing(QStringLiteral("("), QStringLiteral(")"));
        case Qt::Key_BraceRight:
            return handleBracketClosing(QStringLiteral("{"), QStringLiteral("}"));
        case Qt::Key_BracketRight:
            return handleBracketClosing(QStringLiteral("["), QStringLiteral("]"));
        case Qt::Key_Down: {
            if (modifiers == (Qt::ControlModifier | Qt::AltModifier)) {
                duplicateText();
                return true;
            }
            QTextCursor cursor = textCursor();
            if (modifiers == Qt::NoModifier && !cursor.block().next().isValid()) {
                cursor.movePosition(QTextCursor::EndOfLine);
                setTextCursor(cursor);
            }
            return false;
        }
        case Qt::Key_Up: {
            QTextCursor cursor = textCursor();
            const QTextBlock first = document()->firstBlock();
            if (modifiers == Qt::NoModifier && cursor.position() <= first.position() + first.length()) {
                cursor.movePosition(QTextCursor::StartOfLine);
                setTextCursor(cursor);
            }
            return false;
        }
        case Qt::Key_Return:
            return handleReturn();
        default:
            return false;
        }
    }
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control) {
            viewport()->setCursor(Qt::IBeamCursor);
            return false;
        }
        break;
    case QEvent::MouseButtonPress: {
        auto* mouseEvent = static_cast<QMouseEvent*>(event);
        if (watched == viewport() && mouseEvent->button() == Qt::LeftButton
            && QGuiApplication::keyboardModifiers() == Qt::ControlModifier) {
            openLinkAtCursorPosition();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QTextEdit::eventFilter(watched, event);
}

bool TextEditEx::openLinkAtCursorPosition()
{
    const QTextCursor cursor = textCursor();
    const QString link = linkAt(cursor.block().text(), cursor.positionInBlock());
    qDebug() << "link at cursor" << link;
    emit urlClicked(link);
    static const QRegularExpression urlPattern(QStringLiteral("^\\w+:\\/\\/.+"));
    const bool isUrl = QUrl(link).isValid() && urlPattern.match(link).hasMatch();
    if (!isUrl && !link.startsWith(QLatin1String("file://..")))
        return false;
    openUrl(link);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Brackets

bool TextEditEx::handleBracketOpening(QString open, QString close)
{
    if (!config.autoBrackets)
        return false;
    QTextCursor cursor = textCursor();
    const QString paragraph = cursor.block().text();
    const int column = cursor.positionInBlock();
    const bool isStar = open == QLatin1String("*");
    if (!(column == paragraph.size() || (isStar && column == paragraph.size() - 1)))
        return false;
    if (close.isEmpty())
        close = open;
    int parity = 1;
    int stepBack = 1;
    if (isStar) {
        if (paragraph == QLatin1String("*")) {
            cursor.insertText(QStringLiteral("**"));
            cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 2);
            setTextCursor(cursor);
            return false;
        }
        if (paragraph.startsWith(QLatin1String("* ")))
            parity = 0;
        if (column == 0)
            return false;
        if (paragraph.startsWith(QLatin1String("**")) && paragraph.count(QLatin1String("**")) == 1)
            stepBack = 0;
    }
    if (open == close && paragraph.count(open) % 2 == parity)
        return false;
    cursor.insertText(open + close);
    cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, stepBack);
    setTextCursor(cursor);
    return true;
}

bool TextEditEx::handleBracketClosing(QString open, QString close)
{
    if (!config.autoBrackets)
        return false;
    QTextCursor cursor = textCursor();
    const QString paragraph = cursor.block().text();
    const int column = cursor.positionInBlock();
    if (paragraph.mid(column, close.size()) != close)
        return false;
    const QString left = paragraph.left(column);
    if (left.count(open) <= left.count(close))
        return false;
    cursor.movePosition(QTextCursor::Right);
    setTextCursor(cursor);
    return true;
}

bool TextEditEx::handleBracketRemoval()
{
    if (!config.autoBrackets)
        return false;
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() || cursor.atBlockStart())
        return false;
    const QString paragraph = cursor.block().text();
    const int column = cursor.positionInBlock();
    const int index = config.openBrackets.indexOf(paragraph.mid(column - 1, 1));
    if (index < 0 || index >= config.closeBrackets.size())
        return false;
    // Only an empty pair goes: a partner further on closes something else, such as the next quotation.
    if (paragraph.mid(column, 1) != config.closeBrackets.at(index))
        return false;
    // Both characters in one step, so that one undo brings the pair back.
    cursor.beginEditBlock();
    cursor.deletePreviousChar();
    cursor.deleteChar();
    cursor.endEditBlock();
    setTextCursor(cursor);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lists, indentation, duplication

bool TextEditEx::handleTab(bool reverse)
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        QTextCursor head = cursor;
        head.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        static const QRegularExpression emptyItem(QStringLiteral("^(\\s*)([+\\-\\*])(\\s?)$"));
        const QRegularExpressionMatch match = emptyItem.match(head.selectedText());
        if (match.hasMatch()) {
            QString indent = match.captured(1);
            if (reverse)
                indent.chop(1);
            else
                indent += QLatin1Char('\t');
            head.insertText(indent + match.captured(2) + match.captured(3));
            setTextCursor(head);
            return true;
        }
    }
    return indentSelection(reverse);
}

bool TextEditEx::indentSelection(bool reverse)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        QString text = cursor.selectedText();
        if (reverse) {
            text.replace(QRegularExpression(QString(ParagraphSeparator) + QStringLiteral("[\\t ]")),
                         QStringLiteral("\n"));
            text.replace(QRegularExpression(QStringLiteral("^[\\t ]")), QString());
        } else {
            text = QLatin1Char('\t') + text.replace(ParagraphSeparator, QStringLiteral("\n\t"));
            text.replace(QRegularExpression(QStringLiteral("\\t$")), QString());
        }
        const int start = cursor.selectionStart();
        cursor.insertText(text);
        cursor.setPosition(start);
        cursor.setPosition(start + text.size(), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
        return true;
    }
    if (!reverse)
        return false;
    const QString paragraph = cursor.block().text();
    const int column = cursor.positionInBlock();
    auto isIndent = [](QChar c) { return c == QLatin1Char('\t') || c == QLatin1Char(' '); };
    if (column > 0 && isIndent(paragraph.at(column - 1)))
        cursor.deletePreviousChar();
    else if (column < paragraph.size() && isIndent(paragraph.at(column)))
        cursor.deleteChar();
    setTextCursor(cursor);
    return true;
}

bool TextEditEx::handleReturn()
{
    QTextCursor cursor = textCursor();
    const int position = cursor.position();
    QTextCursor head = cursor;
    head.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    const QString text = head.selectedText();
    static const QRegularExpression emptyItem(QStringLiteral("^\\s*[+\\-\\*]\\s*$"));
    if (emptyItem.match(text).hasMatch()) {
        head.removeSelectedText();
        setTextCursor(head);
        return true;
    }
    static const QRegularExpression item(QStringLiteral("^(\\s*)([+\\-\\*])(\\s?)"));
    const QRegularExpressionMatch match = item.match(text);
    if (!match.hasMatch())
        return false;
    cursor.setPosition(position);
    cursor.insertText(QLatin1Char('\n') + match.captured(1) + match.captured(2) + match.captured(3));
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

void TextEditEx::duplicateText()
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        const QString text = cursor.selectedText();
        const int end = cursor.selectionEnd();
        cursor.setPosition(end);
        cursor.insertText(text);
        cursor.setPosition(end);
        cursor.setPosition(end + text.size(), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
        return;
    }
    QTextCursor line = cursor;
    line.movePosition(QTextCursor::StartOfLine);
    const int lineStart = line.position();
    line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    const QString text = line.selectedText();
    const int lineEnd = line.selectionEnd();
    line.setPosition(lineEnd);
    line.insertText(QLatin1Char('\n') + text);
    // Same column in the copy: the copy starts right after the inserted line break.
    line.setPosition(lineEnd + 1 + (cursor.position() - lineStart));
    setTextCursor(line);
}

// Delete at a line end and Backspace at a line start join two lines. The document records the
// removal alone, not in a step of its own, so the line end the joined line then takes would need a
// second Undo: both go into one step here.
void TextEditEx::keyPressEvent(QKeyEvent* event)
{
    const QTextCursor cursor = textCursor();
    const bool joins = !isReadOnly() && !cursor.hasSelection()
                       && ((event->key() == Qt::Key_Delete && cursor.atBlockEnd())
                           || (event->key() == Qt::Key_Backspace && cursor.atBlockStart()));
    if (!joins) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    QTextCursor step(document());
    step.beginEditBlock();
    QTextEdit::keyPressEvent(event);
    step.endEditBlock();
}

// ---------------------------------------------------------------------------------------------
// Ctrl+drag scrolling

void TextEditEx::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier
        && !textCursor().hasSelection()) {
        dragX = event->x();
        dragY = event->y();
        dragScrolling = true;
        dragMoved = false;
        event->accept();
        return;
    }
    dragScrolling = false;
    dragMoved = false;
    QTextEdit::mousePressEvent(event);
    emit selectionChangedByMouse(textCursor().hasSelection());
}

void TextEditEx::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragScrolling) {
        QTextEdit::mouseMoveEvent(event);
        emit selectionChangedByMouse(textCursor().hasSelection());
        return;
    }
    const int dx = event->x() - dragX;
    const int dy = event->y() - dragY;
    if (std::abs(dx) > DragThreshold || std::abs(dy) > DragThreshold) {
        dragX = event->x();
        dragY = event->y();
        if (!dragMoved) {
            dragMoved = true;
            viewport()->setCursor(Qt::SizeAllCursor);
        }
        if (horizontalScrollBar()->isVisible())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - dx);
        if (verticalScrollBar()->isVisible())
            verticalScrollBar()->setValue(verticalScrollBar()->value() - dy);
    }
    event->accept();
}

void TextEditEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragScrolling && !dragMoved)
        QTextEdit::mouseReleaseEvent(event);
    viewport()->setCursor(Qt::IBeamCursor);
    dragScrolling = false;
    dragMoved = false;
    event->accept();
}
