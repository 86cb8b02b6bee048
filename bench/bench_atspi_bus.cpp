// Other programs' editors over the accessibility bus, against zenity holding 100,000 characters:
// - the whole text read through the UI Automation text pattern, against one bare atspi_text_get_text
//   of the same object (handed to the bus thread, as every bus call from another thread is);
// - a focus change between two one-line zenity entries until the editor manager reports the editor,
//   against the bare bus event's arrival (the added time includes the manager's 100 ms gathering of
//   focus events; a 100,000-character view is not used here, as GTK then spends its own time laying
//   the text out and answers late).
// Needs a session bus and an X server of its own:
//   dbus-run-session -- xvfb-run -a build/bench/bench_atspi_bus

#include <atspi/atspi.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include "atspi/atspidesktop.h"
#include "busbench.h"
#include "buscommands.h"
#include "editormanager.h"
#include "msaaclienthelper.h"
#include "ratio.h"
#include "uiaclienthelper.h"

namespace {

using Clock = std::chrono::steady_clock;
using buscommands::run;

struct Fixture;
Fixture* fixture();

struct Fixture
{
    QTemporaryDir dir;
    QProcess launcher;
    // A long text view, then two one-line entries.
    QProcess editors[3];
    QString windows[3];
    EditorManager* manager = nullptr;
    UIAClientHelper* uia = nullptr;
    QSharedPointer<EditorParam> detected;
    QSharedPointer<EditorParam> textEditor;
    Clock::time_point detectedAt;
    Clock::time_point hookedAt;
    Clock::time_point arrivedAt;
    bool ready = false;

    static void arrived(AtspiEvent* event, void* data)
    {
        auto* f = static_cast<Fixture*>(data);
        if (event->detail1 && f->arrivedAt == Clock::time_point())
            f->arrivedAt = Clock::now();
        g_boxed_free(ATSPI_TYPE_EVENT, event);
    }

    bool focus(int which)
    {
        detected.reset();
        arrivedAt = hookedAt = Clock::time_point();
        // Started, not waited for: the GUI thread keeps delivering events meanwhile.
        QProcess::startDetached(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), windows[which]});
        pumpUntil([this] { return static_cast<bool>(detected); }, 5000);
        return static_cast<bool>(detected);
    }

    bool start()
    {
        if (!startBenchBus(launcher, arrived, this))
            return false;
        const QString sentence = QStringLiteral("这是一段用来测量读取速度的中文文字😀其中有个错字。\n");
        QString text;
        while (text.size() < 100000)
            text += sentence;
        if (!startBenchEditors(dir.filePath(QStringLiteral("long.txt")), text.left(100000),
                               QStringLiteral("Bench editor %1"), editors, windows, 3))
            return false;
        pumpUntil([] { return false; }, 1000);
        manager = new EditorManager;
        uia = new UIAClientHelper;
        manager->addClientHelper(uia);
        QObject::connect(manager, &EditorManager::editorDetected, manager,
                         [this](ClientHelper*, QString, QSharedPointer<EditorParam> param) {
                             detectedAt = Clock::now();
                             detected = param;
                         });
        if (!focus(0)) {
            std::fprintf(stderr, "the long text view was not followed\n");
            return false;
        }
        textEditor = detected;
        return SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, hooked, 0, 0, WINEVENT_SKIPOWNPROCESS);
    }

    static void hooked(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
};

void Fixture::hooked(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    if (fixture()->hookedAt == Clock::time_point())
        fixture()->hookedAt = Clock::now();
}

Fixture* fixture()
{
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->ready = made->start();
        return made;
    }();
    return f;
}

void BM_ReadThroughTextPattern(benchmark::State& state)
{
    Fixture* f = fixture();
    if (!f->ready) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    qsizetype length = 0;
    for (auto _ : state)
        length = f->uia->getCurrentPageText(f->textEditor, false).size();
    state.counters["utf16_units"] = static_cast<double>(length);
}
BENCHMARK(BM_ReadThroughTextPattern)->Unit(benchmark::kMillisecond);

void BM_BareGetText(benchmark::State& state)
{
    Fixture* f = fixture();
    if (!f->ready) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    runBareGetText(state, f->textEditor->hwnd);
}
BENCHMARK(BM_BareGetText)->Unit(benchmark::kMillisecond);

// Manual time: from the bare event's arrival to editorDetected.
void BM_FocusToEditorDetected(benchmark::State& state)
{
    Fixture* f = fixture();
    if (!f->ready) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    int which = 1;
    double toHook = 0;
    for (auto _ : state) {
        which = which == 1 ? 2 : 1;
        if (!f->focus(which)) {
            state.SkipWithError("the focus change was not followed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(f->detectedAt - f->arrivedAt).count());
        toHook += std::chrono::duration<double, std::milli>(f->hookedAt - f->arrivedAt).count();
    }
    // How much of it is the way to a hook on the GUI thread, before the manager's gathering delay.
    state.counters["to_hook_ms"] = toHook / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FocusToEditorDetected)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

// The UI Automation tracker's examination of an already focused one-line entry, alone.
void BM_ExamineFocusedEditor(benchmark::State& state)
{
    Fixture* f = fixture();
    if (!f->ready || !(f->focus(2) || f->focus(1))) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = f->detected->hwnd;
    param->setAcc(f->detected->getAcc());
    for (auto _ : state)
        benchmark::DoNotOptimize(f->uia->focusChanged(param));
}
BENCHMARK(BM_ExamineFocusedEditor)->Unit(benchmark::kMillisecond);

KORRELO_BENCH_RATIO(read_100k_text_pattern_vs_bare_get_text, "BM_ReadThroughTextPattern", "BM_BareGetText");

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KORRELO_DESKTOP", "atspi");
    QApplication app(argc, argv);
    const int result = korrelo_bench::runWithRatios(argc, argv);
    // The editors and the bus go with the run.
    if (Fixture* f = fixture(); f) {
        delete f->manager;
        delete f->uia;
        f->detected.reset();
        f->textEditor.reset();
        stopBenchEditors(f->editors, 3, f->launcher);
    }
    return result;
}
