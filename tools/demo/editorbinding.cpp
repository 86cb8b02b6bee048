#include "editorbinding.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "dialogfloat.h"
#include "window.h"
#include "winevent.h"
#include "wordobjects.h"

namespace {
// Bindings alive, for the hook procedure (which has no context of its own).
QList<EditorBinding*>& bindings()
{
    static QList<EditorBinding*> all;
    return all;
}

std::u16string documentText(const QString& editorText)
{
    QString text = editorText;
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\r')).replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text.toStdU16String() + u"\r";
}

QColor colorOf(int wordColor)
{
    if (wordColor == word::wdColorAutomatic || wordColor == word::wdUndefined)
        return QColor();
    return QColor(wordColor & 0xFF, (wordColor >> 8) & 0xFF, (wordColor >> 16) & 0xFF);
}

RECT toRect(const QRect& r)
{
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
}

EditorBinding::EditorBinding(QPlainTextEdit* editor, sim::WordDocId document, QObject* parent)
    : QObject(parent), editor(editor), doc(document)
{
    bindings().append(this);
    showDocument();
    sim::watchWordDocument(doc, [this] {
        if (!applying)
            showDocument();
    });
    sim::setWordGeometry(doc, [this](int start, int end) { return rectOf(start, end); });
    connect(editor, &QPlainTextEdit::textChanged, this, &EditorBinding::takeEdits);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this, &EditorBinding::takeEdits);
    connect(editor, &QPlainTextEdit::selectionChanged, this, &EditorBinding::takeEdits);
    connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this, &EditorBinding::syncRects);
    editor->installEventFilter(this);
    editor->window()->installEventFilter(this);
    DWORD processId = 0;
    GetWindowThreadProcessId(sim::wordFrame(doc), &processId);
    hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_FOCUS, nullptr, &EditorBinding::winEventProc,
                           processId, 0, WINEVENT_OUTOFCONTEXT);
    syncRects();
}

EditorBinding::~EditorBinding()
{
    bindings().removeAll(this);
    if (hook)
        UnhookWinEvent(hook);
    sim::watchWordDocument(doc, nullptr);
    sim::setWordGeometry(doc, nullptr);
    if (elsewhere)
        sim::destroyWindow(elsewhere);
}

QString EditorBinding::editorText(const std::u16string& documentText)
{
    QString text = QString::fromStdU16String(documentText);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void EditorBinding::showDocument()
{
    if (!sim::wordDocumentOpen(doc))
        return;
    applying = true;
    const QString wanted = editorText(sim::wordText(doc));
    const QString shown = editor->toPlainText();
    if (shown != wanted) {
        // Only the changed middle is replaced, so the view does not jump.
        int prefix = 0;
        while (prefix < shown.size() && prefix < wanted.size() && shown[prefix] == wanted[prefix])
            ++prefix;
        int suffix = 0;
        while (suffix < shown.size() - prefix && suffix < wanted.size() - prefix
               && shown[shown.size() - 1 - suffix] == wanted[wanted.size() - 1 - suffix])
            ++suffix;
        QTextCursor cursor(editor->document());
        cursor.setPosition(prefix);
        cursor.setPosition(shown.size() - suffix, QTextCursor::KeepAnchor);
        cursor.insertText(wanted.mid(prefix, wanted.size() - prefix - suffix));
    }
    const int length = wanted.size();
    const auto [start, end] = sim::wordSelection(doc);
    QTextCursor selection(editor->document());
    selection.setPosition(std::min(start, length));
    selection.setPosition(std::min(end, length), QTextCursor::KeepAnchor);
    if (selection.anchor() != editor->textCursor().anchor() || selection.position() != editor->textCursor().position())
        editor->setTextCursor(selection);
    QList<QTextEdit::ExtraSelection> marks;
    for (const sim::UnderlineRun& run : sim::wordUnderlineRuns(doc)) {
        if (run.underline.style == word::wdUnderlineNone || run.start >= length)
            continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(editor->document());
        mark.cursor.setPosition(run.start);
        mark.cursor.setPosition(std::min(run.end, length), QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(run.underline.style == word::wdUnderlineWavyHeavy ? QTextCharFormat::WaveUnderline
                                                                                        : QTextCharFormat::SingleUnderline);
        mark.format.setUnderlineColor(colorOf(run.underline.color));
        marks.append(mark);
    }
    editor->setExtraSelections(marks);
    applying = false;
}

void EditorBinding::takeEdits()
{
    if (applying || !sim::wordDocumentOpen(doc))
        return;
    applying = true;
    const std::u16string before = sim::wordText(doc);
    const std::u16string now = documentText(editor->toPlainText());
    if (before != now) {
        size_t prefix = 0;
        while (prefix < before.size() && prefix < now.size() && before[prefix] == now[prefix])
            ++prefix;
        size_t suffix = 0;
        while (suffix < before.size() - prefix && suffix < now.size() - prefix
               && before[before.size() - 1 - suffix] == now[now.size() - 1 - suffix])
            ++suffix;
        sim::replaceWordText(doc, static_cast<int>(prefix), static_cast<int>(before.size() - suffix),
                             now.substr(prefix, now.size() - prefix - suffix));
    }
    // Typing moves the caret even where the edit already carried the selection along.
    const QTextCursor cursor = editor->textCursor();
    const std::pair<int, int> selection{cursor.selectionStart(), cursor.selectionEnd()};
    if (before != now || selection != sim::wordSelection(doc))
        sim::setWordSelection(doc, selection.first, selection.second);
    applying = false;
    // Typing may have moved underlined text: draw the marks where they are now.
    if (before != now)
        showDocument();
}

bool EditorBinding::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == editor)
            takeFocus();
        break;
    case QEvent::WindowActivate:
        if (editor->hasFocus())
            takeFocus();
        break;
    case QEvent::WindowDeactivate:
        // On a real desktop the trackers see the word processor lose the focus to any other window;
        // here that window may be one the simulated desktop knows nothing of.
        if (watched == editor->window())
            leaveFocus();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
        syncRects();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void EditorBinding::takeFocus()
{
    if (!sim::wordDocumentOpen(doc))
        return;
    if (GetForegroundWindow() != sim::wordFrame(doc))
        sim::setForeground(sim::wordFrame(doc));
    if (GetFocus() != sim::wordPane(doc))
        sim::setFocus(sim::wordPane(doc));
}

void EditorBinding::leaveFocus()
{
    if (GetFocus() != sim::wordPane(doc) && GetForegroundWindow() != sim::wordFrame(doc))
        return;
    const DialogFloat* button = existingDialogFloat();
    QWidget* now = QApplication::activeWindow();
    if (button && now && button->servesEditor(now))
        return;
    // A window that never takes the keyboard (the check's progress) leaves it where it was.
    if (now && (now->windowFlags() & Qt::WindowDoesNotAcceptFocus))
        return;
    if (!elsewhere) {
        sim::WindowSpec window;
        window.className = u"Progman";
        window.title = u"Program Manager";
        window.rect = RECT{0, 0, 1, 1};
        window.processId = sim::createProcess({u"C:\\Windows\\explorer.exe"});
        elsewhere = sim::createWindow(window);
    }
    sim::setForeground(elsewhere);
    sim::setFocus(elsewhere);
}

void EditorBinding::syncRects()
{
    if (!sim::wordDocumentOpen(doc))
        return;
    QWidget* window = editor->window();
    const QRect frame = window->frameGeometry();
    const QRect pane(editor->viewport()->mapToGlobal(QPoint(0, 0)), editor->viewport()->size());
    RECT current;
    GetWindowRect(sim::wordFrame(doc), &current);
    if (QRect(current.left, current.top, current.right - current.left, current.bottom - current.top) != frame)
        sim::moveWindow(sim::wordFrame(doc), toRect(frame));
    GetWindowRect(sim::wordPane(doc), &current);
    if (QRect(current.left, current.top, current.right - current.left, current.bottom - current.top) != pane)
        sim::moveWindow(sim::wordPane(doc), toRect(pane));
}

RECT EditorBinding::rectOf(int start, int end) const
{
    const int length = editor->document()->characterCount() - 1;
    QTextCursor cursor(editor->document());
    cursor.setPosition(std::clamp(start, 0, length));
    const QRect first = editor->cursorRect(cursor);
    cursor.setPosition(std::clamp(end, 0, length));
    const QRect last = editor->cursorRect(cursor);
    QRect box = first.united(last);
    if (first.top() != last.top())
        box.setLeft(0);
    box.setRight(std::max(box.right(), box.left() + 1));
    box.moveTopLeft(editor->viewport()->mapToGlobal(box.topLeft()));
    return toRect(box);
}

void EditorBinding::activateFrom(HWND hwnd, bool focus)
{
    if (hwnd != sim::wordFrame(doc) && hwnd != sim::wordPane(doc))
        return;
    QWidget* window = editor->window();
    if (!window->isActiveWindow()) {
        window->raise();
        window->activateWindow();
    }
    if (focus && hwnd == sim::wordPane(doc) && !editor->hasFocus())
        editor->setFocus(Qt::OtherFocusReason);
}

void EditorBinding::winEventProc(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD)
{
    for (EditorBinding* binding : bindings()) {
        if (binding->hook == hook)
            binding->activateFrom(hwnd, event == EVENT_OBJECT_FOCUS);
    }
}
