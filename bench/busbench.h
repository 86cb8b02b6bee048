#pragma once

// What the accessibility-bus benchmarks share: the bus and its zenity editors, an event pump, and
// the floor of reading an editor's text.

#include <atspi/atspi.h>
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <functional>

#include "atspi/atspidesktop.h"
#include "buscommands.h"

// Runs events until done() holds or ms have passed. No sleep between rounds, unlike the tests'
// helper: the figures are in milliseconds.
inline void pumpUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Starts the bus with accessibility on and listens for focus changes on the bus thread.
inline bool startBenchBus(QProcess& launcher, AtspiEventListenerCB onFocus, void* data)
{
    if (!buscommands::startBusLauncher(launcher))
        return false;
    pumpUntil([] { return buscommands::setAccessibility(true); }, 10000);
    if (!atspi_detail::AtspiDesktop::instance()) {
        std::fprintf(stderr, "no accessibility bus\n");
        return false;
    }
    atspi_detail::AtspiDesktop::call(
        [onFocus, data] {
            AtspiEventListener* listener = atspi_event_listener_new(onFocus, data, nullptr);
            return atspi_event_listener_register(listener, "object:state-changed:focused", nullptr);
        },
        FALSE);
    return true;
}

// A text view holding text, then one-line entries; their windows in the same order.
inline bool startBenchEditors(const QString& textPath, const QString& text, const QString& title,
                              QProcess* editors, QString* windows, int count)
{
    QFile file(textPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    file.close();
    for (int i = 0; i < count; ++i) {
        const QStringList kind = i == 0 ? QStringList{QStringLiteral("--text-info"), QStringLiteral("--editable"),
                                                      QStringLiteral("--filename=") + textPath}
                                        : QStringList{QStringLiteral("--entry"), QStringLiteral("--entry-text=短文")};
        windows[i] = buscommands::startZenity(editors[i], title.arg(i), kind);
    }
    return true;
}

inline void stopBenchEditors(QProcess* editors, int count, QProcess& launcher)
{
    for (int i = 0; i < count; ++i) {
        editors[i].kill();
        editors[i].waitForFinished();
    }
    launcher.terminate();
    launcher.waitForFinished();
}

// The floor of reading an editor's text over the accessibility bus: one bare atspi_text_get_text of
// the whole text, handed to the bus thread as every bus call from another thread is.
inline void runBareGetText(benchmark::State& state, HWND hwnd)
{
    using atspi_detail::AtspiDesktop;
    AtspiDesktop* bus = AtspiDesktop::instance();
    AtspiText* text = bus ? AtspiDesktop::call(
                                [bus, hwnd]() -> AtspiText* {
                                    AtspiAccessible* accessible = bus->accessibleOf(hwnd);
                                    return accessible ? atspi_accessible_get_text_iface(accessible) : nullptr;
                                },
                                nullptr)
                          : nullptr;
    if (!text) {
        state.SkipWithError("the editor has no text");
        return;
    }
    for (auto _ : state) {
        AtspiDesktop::call(
            [text] {
                gchar* whole = atspi_text_get_text(text, 0, -1, nullptr);
                const bool read = whole != nullptr;
                g_free(whole);
                return read;
            },
            false);
    }
    AtspiDesktop::post([text] { g_object_unref(text); });
}
