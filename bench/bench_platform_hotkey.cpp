// The hot-key filter on an X event that is no key press (it sees every event of the program),
// against a filter that returns at once: the floor of any native filter call.

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <cstdio>
#include <xcb/xcb.h>

#include "hotkey.h"
#include "ratio.h"

namespace {

class EmptyFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray&, void*, long*) override { return false; }
};

xcb_motion_notify_event_t motionEvent()
{
    xcb_motion_notify_event_t event = {};
    event.response_type = XCB_MOTION_NOTIFY;
    event.event_x = 10;
    event.event_y = 20;
    return event;
}

void runFilter(benchmark::State& state, QAbstractNativeEventFilter* filter)
{
    const QByteArray type = QByteArrayLiteral("xcb_generic_event_t");
    xcb_motion_notify_event_t event = motionEvent();
    long result = 0;
    // Called through the base as Qt does: the compiler must not see which filter it is.
    benchmark::DoNotOptimize(filter);
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter->nativeEventFilter(type, &event, &result));
        benchmark::ClobberMemory();
    }
}

void BM_HotKeyFilter(benchmark::State& state)
{
    runFilter(state, hotKeyEventFilter());
}
BENCHMARK(BM_HotKeyFilter);

void BM_EmptyFilter(benchmark::State& state)
{
    EmptyFilter empty;
    runFilter(state, &empty);
}
BENCHMARK(BM_EmptyFilter);

KORRELO_BENCH_RATIO(hotkey_filter_per_x_event, "BM_HotKeyFilter", "BM_EmptyFilter");

} // namespace

int main(int argc, char** argv)
{
    // With an X display the filter works against a live grab table, as in the running program.
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    qputenv("QT_QPA_PLATFORM", x11 ? "xcb" : "offscreen");
    QGuiApplication app(argc, argv);
    const bool held = RegisterHotKey(nullptr, 0x7657, MOD_CONTROL | MOD_SHIFT, 'W')
        && RegisterHotKey(nullptr, 0x7643, MOD_CONTROL | MOD_SHIFT, 'C');
    std::printf("hot keys held: %s\n", held ? "2" : "none (no X11 display)");
    const int status = korrelo_bench::runWithRatios(argc, argv);
    UnregisterHotKey(nullptr, 0x7657);
    UnregisterHotKey(nullptr, 0x7643);
    return status;
}
