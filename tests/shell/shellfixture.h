#pragma once

#include <QStringList>

#include "clienthelper.h"
#include "editormanager.h"
#include "sim/desktop.h"

// A tracker whose answers the test sets and whose calls land in one log, so a row of a table can
// name everything a command did.
class RecordingTracker : public ClientHelper
{
public:
    bool marks = true;         // canShowErrors
    bool lists = true;         // canShowErrorList
    QString pageText = QStringLiteral("他们在那里等待。");
    QRect editRect;            // null: the window's rectangle is used
    QStringList* log = nullptr;
    bool takes = false;        // focusChanged takes every editor offered

    bool focusChanged(QSharedPointer<EditorParam> param) override
    {
        if (!takes)
            return false;
        curDocument = param;
        emit editorDetected(this, QStringLiteral("Note"), param);
        return true;
    }

    QString getCurrentPageText(QSharedPointer<EditorParam>, bool viaClipboard) override
    {
        record(QStringLiteral("current page%1").arg(viaClipboard ? " via clipboard" : ""));
        return pageText;
    }
    QString getNextPageText(QSharedPointer<EditorParam>, bool, int count) override
    {
        record(QStringLiteral("next %1 pages").arg(count));
        return pageText;
    }
    bool canShowErrors(QSharedPointer<EditorParam>) override { return marks; }
    bool canShowErrorList(QSharedPointer<EditorParam>) override { return lists; }
    void showErrors(const std::vector<std::shared_ptr<CheckData>>& datas, QSharedPointer<EditorParam> param,
                    const QVector<int>&) override
    {
        record(QStringLiteral("show %1 errors in %2").arg(datas.size()).arg(param ? "editor" : "nothing"));
    }
    bool showErrorList(QSharedPointer<EditorParam>) override
    {
        record(QStringLiteral("error list"));
        return true;
    }
    void clearErrors(QSharedPointer<EditorParam>) override { record(QStringLiteral("clear errors")); }
    void enableErrorTip(bool enable) override { record(QStringLiteral("error tip %1").arg(enable)); }
    QRect getEditRect(QSharedPointer<EditorParam>) override { return editRect; }

private:
    void record(const QString& line)
    {
        if (log)
            log->append(line);
    }
};

// An edit window (child of a top-level frame) of a program of its own on the simulated desktop.
inline HWND createEditor(const QRect& rect, const std::u16string& image = u"C:\\Apps\\note.exe")
{
    sim::WindowSpec top;
    top.title = u"Note";
    top.rect = RECT{rect.x() - 10, rect.y() - 40, rect.x() + rect.width() + 10, rect.y() + rect.height() + 10};
    top.processId = sim::createProcess({image});
    HWND frame = sim::createWindow(top);
    sim::WindowSpec edit;
    edit.className = u"Edit";
    edit.parent = frame;
    edit.rect = RECT{rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    HWND hwnd = sim::createWindow(edit);
    sim::AccessibleSpec desc;
    desc.role = ROLE_SYSTEM_TEXT;
    sim::attachAccessible(hwnd, OBJID_CLIENT, desc);
    return hwnd;
}

// Makes the window the active editor, as if the tracker had taken it.
inline QSharedPointer<EditorParam> activateEditor(ClientHelper* tracker, HWND hwnd)
{
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = hwnd;
    getEditorManager()->onEditorDetected(tracker, QStringLiteral("Note"), param);
    return param;
}
