#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

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

// Runs events until done() holds or ms have passed; done()'s last answer.
template <typename Done>
bool waitFor(Done done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

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
        // A window not mapped yet refuses the focus; the next try comes after it is.
        if (!run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window}))
            continue;
        if (waitFor(done, 2000))
            return true;
    }
    return false;
}

} // namespace buscommands
