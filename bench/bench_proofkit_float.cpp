// Placing the floating button for a location event of the active editor (moved by one pixel each
// time), against moving a frameless widget of the same size to the same points.

#include <QApplication>
#include <QWidget>

#include <cstdio>

#include "clienthelper.h"
#include "dialogfloat.h"
#include "editormanager.h"
#include "sim/desktop.h"
#include "widgetbench.h"

namespace {

constexpr int kScrollBar = 17;
constexpr int kGap = 10;
const QRect kEditor(200, 150, 600, 400);

// Reports the editor rectangle the benchmark moves.
class MovingTracker : public ClientHelper
{
public:
    QRect rect = kEditor;
    QRect getEditRect(QSharedPointer<EditorParam>) override { return rect; }
};

struct Scene
{
    MovingTracker tracker;
    HWND editor = nullptr;
    IAccessiblePtr object;

    Scene()
    {
        sim::WindowSpec window;
        window.rect = RECT{0, 0, 1200, 900};
        window.processId = sim::createProcess({u"C:\\Apps\\note.exe"});
        editor = sim::createWindow(window);
        sim::AccessibleSpec desc;
        desc.role = ROLE_SYSTEM_CLIENT;
        object = sim::accessiblePtr(sim::attachAccessible(editor, OBJID_CLIENT, desc));
        auto param = QSharedPointer<EditorParam>::create();
        param->hwnd = editor;
        getEditorManager()->onEditorDetected(&tracker, QStringLiteral("Note"), param);
    }
};

Scene& scene()
{
    static Scene instance;
    return instance;
}

void BM_PlaceOnLocationEvent(benchmark::State& state)
{
    Scene& s = scene();
    DialogFloat* button = getDialogFloat();
    int shift = 0;
    for (auto _ : state) {
        shift ^= 1;
        s.tracker.rect = kEditor.translated(shift, 0);
        button->winEventProc(s.object.GetInterfacePtr(), nullptr, EVENT_OBJECT_LOCATIONCHANGE, s.editor,
                             OBJID_CLIENT, 0, 0, 0, false);
    }
}
BENCHMARK(BM_PlaceOnLocationEvent);

void BM_MoveFramelessWidget(benchmark::State& state)
{
    const QSize size = getDialogFloat()->size();
    QWidget widget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    widget.resize(size);
    widget.show();
    const QPoint corner(kEditor.x() + kEditor.width() - kScrollBar - size.width() - kGap,
                        kEditor.y() + kEditor.height() - kScrollBar - size.height() - kGap);
    int shift = 0;
    for (auto _ : state) {
        shift ^= 1;
        widget.move(corner + QPoint(shift, 0));
    }
}
BENCHMARK(BM_MoveFramelessWidget);

KORRELO_BENCH_RATIO(float_placement_per_location_event, "BM_PlaceOnLocationEvent", "BM_MoveFramelessWidget");

} // namespace

int main(int argc, char** argv)
{
    return korrelo_bench::runWidgetBenchmarks(argc, argv, [] {
        scene();
        getDialogFloat()->show();
    });
}
