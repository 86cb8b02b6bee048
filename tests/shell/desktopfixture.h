#pragma once

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

#include <memory>

#include "dialogsetting.h"
#include "dialogtip.h"
#include "dialogwriter.h"
#include "widgeterrorlist.h"

// What a program nobody here wrote answers: the window manager's view of the desktop.
inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        return QString();
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}

// Client windows bottom to top, as the window manager stacks them.
inline QList<WId> stacking()
{
    const QString line = run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
    QList<WId> ids;
    for (const QString& part : line.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids << part.trimmed().toULong(nullptr, 16);
    return ids;
}

inline WId focusedWindow()
{
    return run(QStringLiteral("xdotool"), {"getwindowfocus"}).toULong();
}

// The window manager has taken the window in: it stacks it.
inline bool managed(QWidget* window)
{
    return window->isVisible() && stacking().contains(window->winId());
}

// Qt knows the frame the window manager put around the window.
inline bool framed(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    return window->isVisible() && frame != window->geometry() && frame.contains(window->geometry());
}

// Where the X server has the window's top-left corner: a move through the window manager lands
// there some time after Qt already reports it.
inline QPoint placedAt(QWidget* window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window->winId())});
    const QRegularExpression x(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)"));
    const QRegularExpression y(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)"));
    return QPoint(x.match(info).captured(1).toInt(), y.match(info).captured(1).toInt());
}

inline QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

inline std::unique_ptr<QWidget> makeWindow(const QString& kind)
{
    if (kind == QLatin1String("tips window"))
        return std::make_unique<DialogTip>();
    if (kind == QLatin1String("writing window"))
        return std::make_unique<DialogWriter>();
    if (kind == QLatin1String("settings"))
        return std::make_unique<DialogSetting>();
    if (kind == QLatin1String("error list")) {
        auto list = std::make_unique<WidgetErrorList>();
        list->showAsDialog();
        return list;
    }
    return nullptr;
}

// openbox on the test's own X server, for as long as the object lives.
class Openbox
{
public:
    bool start()
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!process.waitForStarted())
            return false;
        QElapsedTimer waited;
        waited.start();
        while (run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).isEmpty()) {
            if (waited.elapsed() > 20000)
                return false;
            QTest::qWait(50);
        }
        return true;
    }
    ~Openbox()
    {
        process.terminate();
        process.waitForFinished(20000);
    }

private:
    QProcess process;
};
