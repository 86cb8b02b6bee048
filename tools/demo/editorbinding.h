#pragma once

#include <QObject>

#include "sim/word.h"

class QPlainTextEdit;

// Binds a plain editor to a simulated document, both ways: typing and caret moves change the
// document and raise its events; the document's text, selection and underlines (marks drawn as
// wavy underlines) show in the editor. The pane's and frame's rectangles follow the widgets,
// the document's geometry is the editor's own layout, and the editor's focus is the pane's.
// SetForegroundWindow and SetFocus on the frame or pane bring the editor forward.
class EditorBinding : public QObject
{
    Q_OBJECT
public:
    EditorBinding(QPlainTextEdit* editor, sim::WordDocId document, QObject* parent = nullptr);
    ~EditorBinding() override;

    sim::WordDocId document() const { return doc; }

    // Document text as the editor shows it: paragraphs as lines, without the last paragraph mark.
    static QString editorText(const std::u16string& documentText);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDocument();
    void takeEdits();
    void syncRects();
    void takeFocus();
    // The simulated desktop's focus leaves the document for a window of another program.
    void leaveFocus();
    RECT rectOf(int start, int end) const;
    void activateFrom(HWND hwnd, bool focus);

    static void winEventProc(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG objectId, LONG childId,
                             DWORD threadId, DWORD time);

    QPlainTextEdit* editor;
    sim::WordDocId doc;
    bool applying = false;
    HWINEVENTHOOK hook = nullptr;
    // Stands for whatever window took the focus from the word processor's.
    HWND elsewhere = nullptr;
};
