#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include "waitfor.h"

// Commands the bus tests and benchmark run beside the programs they follow.
namespace buscommands {

// Runs a command to its end; true when it ended normally with status 0. Its output in *out.
inline bool run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(15000))
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The desktop's accessibility setting, which toolkits read to decide whether to join the bus.
inline bool setAccessibility(bool on)
{
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"),
                QStringLiteral("/org/a11y/bus"), QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
                QStringLiteral("variant:boolean:") + (on ? QStringLiteral("true") : QStringLiteral("false"))});
}

using ::waitFor;

// Whether a name on the session bus has an owner; asking does not start the name's service.
inline bool nameOwned(const QString& name)
{
    QByteArray out;
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.freedesktop.DBus"),
                QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                QStringLiteral("string:") + name},
               &out)
        && out.contains("boolean true");
}

// Starts the accessibility bus launcher and waits until it owns its name. A call to that name
// before then has the session bus start a second launcher, and a program may then join the other
// launcher's accessibility bus, where the test never sees it.
inline bool startBusLauncher(QProcess& launcher)
{
    launcher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
    return launcher.waitForStarted() && waitFor([] { return nameOwned(QStringLiteral("org.a11y.Bus")); }, 20000);
}

// Gives an X window the focus until done() holds, for at most a minute. A program joins the bus
// some time after its window shows, and one that joins after its window got the focus never
// reports that focus. So between tries the focus is taken away (to no window) long enough for
// the toolkit to let the window go inactive: Qt waits 400 ms for the focus to come back.
template <typename Done>
bool focusUntil(const QString& window, Done done)
{
    const QDeadlineTimer deadline(60000);
    for (int tries = 0; !deadline.hasExpired(); ++tries) {
        if (tries > 0) {
            if (!run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("0")}))
                return false;
            waitFor([] { return false; }, 500 * tries);
        }
        // A window not mapped yet (a long list maps late under load) refuses the focus: tried again.
        if (run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window}) && waitFor(done, 2000))
            return true;
    }
    return false;
}

// Starts zenity with the title and the arguments of one of its dialogs; its X window, empty when none
// appeared.
inline QString startZenity(QProcess& program, const QString& title, const QStringList& dialog)
{
    program.start(QStringLiteral("zenity"), QStringList{QStringLiteral("--title=") + title} + dialog);
    if (!program.waitForStarted())
        return QString();
    QByteArray out;
    waitFor([&] {
        return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')}, &out)
               && !out.trimmed().isEmpty();
    }, 10000);
    return QString::fromUtf8(out.trimmed().split('\n').first());
}

// Starts zenity editing the text, kept in the file at path; its X window, empty when none appeared.
inline QString startTextEditor(QProcess& editor, const QString& path, const QString& title, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text.toUtf8());
    file.close();
    return startZenity(editor, title,
                       {QStringLiteral("--text-info"), QStringLiteral("--editable"), QStringLiteral("--filename=") + path});
}

} // namespace buscommands
