// The tray program's two answers to the user with its own windows on the accessibility bus (xcb, the
// desktop's accessibility on), against the bare bus calls each needs, all in one run:
// - focus moved between two zenity editors until the editor manager reports the editor, against the
//   same focus change until a bare listener has asked the focused object what the trackers ask
//   (interfaces, states, role, attributes, the way up to its frame); the added time holds
//   the manager's 100 ms gathering of focus events;
// - "Show Writer" until the writing window is shown holding the editor's text (the window is ours,
//   so each opening sends our own focus events over the bus), against one bare read of that text.
// Needs a session bus and an X server of its own:
//   dbus-run-session -- xvfb-run -a build/bench/bench_atspi_ownwindows

#include <atspi/atspi.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

#include "actions.h"
#include "atspi/atspidesktop.h"
#include "busbench.h"
#include "buscommands.h"
#include "dialogwriter.h"
#include "editormanager.h"
#include "ratio.h"
#include "testservice.h"
#include "uiaclienthelper.h"

namespace {

using Clock = std::chrono::steady_clock;
using buscommands::run;

struct Fixture
{
    TestService service;
    QTemporaryDir dir;
    QProcess launcher;
    // A text view, then a one-line entry.
    QProcess editors[2];
    QString windows[2];
    QString text;
    EditorManager* manager = nullptr;
    UIAClientHelper* uia = nullptr;
    QSharedPointer<EditorParam> detected;
    Clock::time_point detectedAt;
    // Set on the bus thread once the bare calls on a focused editor are done.
    std::atomic<Clock::rep> bareDoneAt{0};
    // Focus events of our own windows the bus brought.
    std::atomic<int> ownFocusEvents{0};
    bool ready = false;

    // The trackers' questions, asked bare of the focused object.
    static void bareFocus(AtspiEvent* event, void* data)
    {
        auto* f = static_cast<Fixture*>(data);
        AtspiAccessible* source = event->source;
        // Our own objects are left alone here too: a call into them would wait for our GUI thread.
        auto* bus = atspi_detail::AtspiDesktop::instance();
        if (event->detail1 && source && bus->isOwn(source))
            ++f->ownFocusEvents;
        else if (event->detail1 && source) {
            if (AtspiText* textIface = atspi_accessible_get_text_iface(source))
                g_object_unref(textIface);
            if (AtspiStateSet* states = atspi_accessible_get_state_set(source))
                g_object_unref(states);
            atspi_accessible_get_role(source, nullptr);
            if (GHashTable* attributes = atspi_accessible_get_attributes(source, nullptr))
                g_hash_table_unref(attributes);
            AtspiAccessible* up = atspi_accessible_get_parent(source, nullptr);
            for (int depth = 0; up && depth < 64; ++depth) {
                const AtspiRole role = atspi_accessible_get_role(up, nullptr);
                if (role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_APPLICATION || role == ATSPI_ROLE_INVALID)
                    break;
                AtspiAccessible* next = atspi_accessible_get_parent(up, nullptr);
                g_object_unref(up);
                up = next;
            }
            if (up)
                g_object_unref(up);
            f->bareDoneAt = Clock::now().time_since_epoch().count();
        }
        g_boxed_free(ATSPI_TYPE_EVENT, event);
    }

    // Asks for the focus on one editor; the time asked.
    Clock::time_point focus(int which)
    {
        detected.reset();
        bareDoneAt = 0;
        const Clock::time_point asked = Clock::now();
        // Started, not waited for: the GUI thread keeps delivering events meanwhile.
        QProcess::startDetached(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), windows[which]});
        return asked;
    }

    bool start()
    {
        if (!service.start())
            return false;
        qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
        if (!startBenchBus(launcher, bareFocus, this))
            return false;
        text = QStringLiteral("他门在会议上讨论了计划，第二句也有错字。\n下一行写着今天的安排。");
        if (!startBenchEditors(dir.filePath(QStringLiteral("page.txt")), text, QStringLiteral("Bench own windows %1"),
                               editors, windows, 2))
            return false;
        manager = getEditorManager();
        uia = new UIAClientHelper;
        manager->addClientHelper(uia);
        QObject::connect(manager, &EditorManager::editorDetected, manager,
                         [this](ClientHelper*, QString, QSharedPointer<EditorParam> param) {
                             detectedAt = Clock::now();
                             detected = param;
                         });
        // A program joins the bus some time after its window shows: asked until it answers.
        for (int tries = 0; tries < 20 && !detected; ++tries) {
            focus(tries % 2);
            pumpUntil([this] { return static_cast<bool>(detected); }, 1500);
        }
        return static_cast<bool>(detected);
    }
};

Fixture* fixture()
{
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->ready = made->start();
        return made;
    }();
    return f;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Moves the focus between the two editors; each iteration's manual time runs from asking for the
// focus to what finished() answers, once it answers.
void timeFocusChanges(benchmark::State& state, const std::function<std::optional<Clock::time_point>()>& finished)
{
    Fixture* f = fixture();
    if (!f->ready) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    int which = 0;
    for (auto _ : state) {
        which = 1 - which;
        const Clock::time_point asked = f->focus(which);
        std::optional<Clock::time_point> done;
        // Both ends are awaited, so the next change starts from a settled manager.
        pumpUntil([&] { return f->detected && (done = finished()); }, 5000);
        if (!done) {
            state.SkipWithError("the focus change was not followed");
            return;
        }
        state.SetIterationTime(seconds(*done - asked));
    }
}

void BM_FocusToEditorDetected(benchmark::State& state)
{
    timeFocusChanges(state, [] { return std::optional<Clock::time_point>(fixture()->detectedAt); });
}
BENCHMARK(BM_FocusToEditorDetected)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_FocusToBareCalls(benchmark::State& state)
{
    timeFocusChanges(state, []() -> std::optional<Clock::time_point> {
        const Clock::rep at = fixture()->bareDoneAt;
        return at ? std::optional<Clock::time_point>(Clock::time_point(Clock::duration(at))) : std::nullopt;
    });
}
BENCHMARK(BM_FocusToBareCalls)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Manual time: the command until its window is shown with the text; the window is closed untimed.
void BM_ShowWriter(benchmark::State& state)
{
    Fixture* f = fixture();
    // The text view followed, whichever editor had the focus before.
    for (int which : {1, 0}) {
        f->focus(which);
        pumpUntil([f] { return static_cast<bool>(f->detected); }, 5000);
    }
    if (!f->ready || !f->detected || f->uia->getCurrentPageText(f->detected, false) != f->text) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    QAction* action = getActions()->actionShowWriter;
    const int ownBefore = f->ownFocusEvents;
    for (auto _ : state) {
        const Clock::time_point asked = Clock::now();
        action->trigger();
        DialogWriter* writer = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<DialogWriter*>(widget); candidate && candidate->isVisible())
                writer = candidate;
        }
        const Clock::time_point shown = Clock::now();
        if (!writer) {
            state.SkipWithError("no writing window");
            return;
        }
        state.SetIterationTime(seconds(shown - asked));
        // Our own window takes the focus, as for a user, before it goes again.
        pumpUntil([writer] { return writer->isActiveWindow(); }, 300);
        writer->close();
        pumpUntil([] { return false; }, 50);
    }
    state.counters["own_focus_events"] = f->ownFocusEvents - ownBefore;
}
BENCHMARK(BM_ShowWriter)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// One bare read of the followed editor's whole text, handed to the bus thread.
void BM_BareGetText(benchmark::State& state)
{
    Fixture* f = fixture();
    const QSharedPointer<EditorParam> followed = f->ready ? f->manager->getActiveEditorParam() : nullptr;
    if (!followed) {
        state.SkipWithError("no accessibility bus or editor");
        return;
    }
    runBareGetText(state, followed->hwnd);
}
BENCHMARK(BM_BareGetText)->Unit(benchmark::kMillisecond);

} // namespace

KORRELO_BENCH_RATIO(focus_to_editor_detected_vs_bare_calls, "BM_FocusToEditorDetected/iterations:20/manual_time",
                    "BM_FocusToBareCalls/iterations:20/manual_time");
KORRELO_BENCH_RATIO(show_writer_vs_bare_get_text, "BM_ShowWriter/iterations:20/manual_time", "BM_BareGetText");

int main(int argc, char** argv)
{
    // Our own windows join the bus only on a real display with accessibility on.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    qputenv("KORRELO_DESKTOP", "atspi");
    QApplication app(argc, argv);
    const int result = korrelo_bench::runWithRatios(argc, argv);
    if (Fixture* f = fixture(); f) {
        delete f->manager;
        delete f->uia;
        releaseActions();
        f->detected.reset();
        stopBenchEditors(f->editors, 2, f->launcher);
    }
    return result;
}
