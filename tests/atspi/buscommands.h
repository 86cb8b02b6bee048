#pragma once

#include <QProcess>
#include <QStringList>

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

} // namespace buscommands
