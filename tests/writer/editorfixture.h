#pragma once

// Helpers for driving the writing window's editor in tests: results built in the test, the marks
// read back from the document, and answers for the editor's file dialogs and message boxes.

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>
#include <vector>

#include "checkdata.h"
#include "dataitem.h"
#include "syntaxhighlighter.h"
#include "texteditex.h"

namespace fixture {

// One result as the service would give it: flagged words, suggestions, first position, types.
inline std::shared_ptr<CheckData> makeResult(const QString& words, const QStringList& suggestions = {},
                                             int begin = -1, std::vector<int> types = {})
{
    auto data = std::make_shared<CheckData>();
    data->words = words.toStdString();
    if (!suggestions.isEmpty()) {
        data->dataItem = std::make_shared<DataItem>();
        for (const QString& suggestion : suggestions)
            data->dataItem->addValue(suggestion.toStdString(), 1);
    }
    if (begin >= 0) {
        _CHECK_DATA_POS_ range;
        range.begin = unsigned(begin);
        range.end = unsigned(begin + words.size() - 1);
        data->pos.push_back(range);
    }
    data->errorTypes = types;
    return data;
}

// A result the service flagged at each of begins (positions in the checked text).
inline std::shared_ptr<CheckData> makeFlagged(const QString& words, const QList<int>& begins,
                                              const QStringList& suggestions = {})
{
    auto data = makeResult(words, suggestions);
    for (int begin : begins) {
        _CHECK_DATA_POS_ range;
        range.begin = unsigned(begin);
        range.end = unsigned(begin + words.size() - 1);
        data->pos.push_back(range);
    }
    return data;
}

inline CHECK_DATAS makeResults(const QStringList& words)
{
    CHECK_DATAS results;
    for (const QString& word : words)
        results.push_back(makeResult(word));
    return results;
}

// The error marks of a document as "block:start+length" with a trailing "*" for the one under the
// cursor, in block and range order.
inline QStringList marks(QTextDocument* document, const SyntaxHighlighter* highlighter)
{
    QStringList out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (!highlighter->isErrorFormat(range.format))
                continue;
            const bool current = range.format.background().style() != Qt::NoBrush;
            out << QStringLiteral("%1:%2+%3%4")
                       .arg(block.blockNumber())
                       .arg(range.start)
                       .arg(range.length)
                       .arg(current ? QStringLiteral("*") : QString());
        }
    }
    return out;
}

// Runs the re-highlight the editor's 100 ms timer would run.
inline void settle(TextEditEx& editor)
{
    editor.highlighter()->rehighlight();
}

inline void placeCursor(TextEditEx& editor, int position, int anchor = -1)
{
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(anchor >= 0 ? anchor : position);
    if (anchor >= 0)
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
}

// Stands in for the editor's message boxes and file dialogs: records each and answers at once.
struct EditorDialogs
{
    struct Box
    {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QStringList captions;
    QString chosenPath;   // empty: the dialog is cancelled

    void install(TextEditEx& editor)
    {
        editor.setMessageBoxHandler([this](QMessageBox::Icon icon, const QString&, const QString& text,
                                           QMessageBox::StandardButtons buttons) {
            boxes.append({icon, text, buttons});
            return answer;
        });
        editor.setFileDialogHandler([this](const QString& caption, QFileDialog::AcceptMode, const QStringList&) {
            captions << caption;
            return chosenPath;
        });
    }
};

// Shows the editor in an active window with the keyboard focus, as a user would type into it.
inline bool focusEditor(TextEditEx& editor)
{
    editor.show();
    QApplication::setActiveWindow(&editor);
    editor.setFocus();
    return QTest::qWaitForWindowActive(&editor) && editor.hasFocus();
}

} // namespace fixture
