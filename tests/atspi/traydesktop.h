#pragma once

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include "busshell.h"
#include "dialogwriter.h"
#include "systemtrayicon.h"

// The writing windows shown.
inline QList<DialogWriter*> shownWriters()
{
    QList<DialogWriter*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* writer = qobject_cast<DialogWriter*>(widget); writer && writer->isVisible())
            shown.append(writer);
    }
    return shown;
}

// One of the writing windows shown, nullptr when none is.
inline DialogWriter* shownWriter()
{
    const QList<DialogWriter*> shown = shownWriters();
    return shown.isEmpty() ? nullptr : shown.first();
}

inline void closeWriters()
{
    while (DialogWriter* writer = shownWriter())
        writer->close();
}

// The tray program as a user has it: on xcb under openbox, the desktop's accessibility on, the
// trackers and the tray icon, and a GTK editor (zenity) beside it to follow.
struct TrayDesktop
{
    const qint64 windowManager;
    BusShell shell;
    SystemTrayIcon* tray = nullptr;
    QProcess editor;
    QTemporaryDir dir;
    QString editorWindow;

    // windowManager: what startWindowManager() gave.
    explicit TrayDesktop(qint64 windowManager) : windowManager(windowManager) {}

    // Starts openbox and waits until it manages the display; its process, 0 when it did not start.
    // Called before the program connects to the display, as on a desktop: what the window manager
    // supports is read once, at start.
    static qint64 startWindowManager()
    {
        qint64 pid = 0;
        if (!QProcess::startDetached(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, QString(), &pid))
            return 0;
        for (int tries = 0; tries < 100; ++tries) {
            QProcess check;
            check.start(QStringLiteral("wmctrl"), {QStringLiteral("-m")});
            if (check.waitForFinished() && check.exitCode() == 0)
                break;
            QThread::msleep(100);
        }
        return pid;
    }

    // What did not start; nullptr when all is there.
    const char* start(ClientFixture& fixture)
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return "the program is not on xcb";
        if (windowManager <= 0)
            return "openbox did not start";
        if (!shell.start(fixture))
            return "the accessibility bus or the checking client did not start";
        tray = new SystemTrayIcon;
        return nullptr;
    }

    // False when the bus launcher did not end.
    bool stop(ClientFixture& fixture)
    {
        delete tray;
        tray = nullptr;
        editor.kill();
        editor.waitForFinished();
        const bool stopped = shell.stop(fixture);
        ::kill(static_cast<pid_t>(windowManager), SIGTERM);
        return stopped;
    }

    // Starts the editor on a file holding the text; false when its window did not appear.
    bool startEditor(const QString& title, const QString& text)
    {
        editorWindow = buscommands::startTextEditor(editor, dir.filePath(QStringLiteral("page.txt")), title, text);
        return !editorWindow.isEmpty();
    }

    // Gives the editor the focus until the UI Automation tracker follows it.
    bool followEditor()
    {
        return buscommands::focusUntil(editorWindow, [this] { return getEditorManager()->getActiveHelper() == shell.uia; });
    }

    // Moves the editor's window, its top left corner to the point.
    bool moveEditor(const QPoint& to) const
    {
        return buscommands::run(QStringLiteral("xdotool"),
                                {QStringLiteral("windowmove"), QStringLiteral("--sync"), editorWindow,
                                 QString::number(to.x()), QString::number(to.y())});
    }

    // Makes the editor the active window, as a click on it would.
    bool activateEditor() const
    {
        return buscommands::run(QStringLiteral("xdotool"),
                                {QStringLiteral("windowactivate"), QStringLiteral("--sync"), editorWindow});
    }
};
