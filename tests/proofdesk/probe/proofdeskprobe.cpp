// A child process for the tray program's tests: it runs the program's main routine while a scenario
// watches from inside and then ends it, and prints what it saw for the test to read.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "actions.h"
#include "checkdata.h"
#include "config.h"
#include "editormanager.h"
#include "proofdeskmain.h"
#include "sim/desktop.h"
#include "sim/word.h"

namespace {
const char* scenario = "";
sim::WordDocId wordDocument = 0;

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int visibleWindows()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += w->isVisible() ? 1 : 0;
    return count;
}

// A window of another program whose focused object is MSAA text; with a text element when asked.
HWND editor(bool withTextElement)
{
    sim::WindowSpec desc;
    desc.title = withTextElement ? u"Rich editor" : u"Plain editor";
    desc.processId = sim::createProcess({u"C:\\editor.exe"});
    HWND hwnd = sim::createWindow(desc);
    sim::AccessibleSpec acc;
    acc.role = ROLE_SYSTEM_TEXT;
    const sim::AccessibleId object = sim::attachAccessible(hwnd, OBJID_CLIENT, acc);
    if (withTextElement) {
        sim::ElementSpec element;
        element.textPattern = true;
        sim::linkElement(object, sim::createElement(hwnd, 0, element));
    }
    return hwnd;
}

// A word-processor document whose pane also offers a text element, so every tracker could take it.
HWND wordPane()
{
    sim::WordDocSpec setup;
    setup.text = u"他门来了。";
    wordDocument = sim::openWordDocument(sim::createWordApp(), setup);
    HWND pane = sim::wordPane(wordDocument);
    sim::ElementSpec element;
    element.textPattern = true;
    sim::createElement(pane, 0, element);
    return pane;
}

int markRuns()
{
    return int(sim::wordUnderlineRuns(wordDocument).size());
}

void reportTakerOf(HWND hwnd, std::function<void()> next)
{
    sim::setFocus(hwnd);
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, hwnd, next] {
        EditorManager* manager = getEditorManager();
        QSharedPointer<EditorParam> active = manager ? manager->getActiveEditorParam() : nullptr;
        if (!active || active->hwnd != hwnd)
            return;
        poll->deleteLater();
        say(QStringLiteral("taken by %1").arg(manager->getActiveHelper()->metaObject()->className()));
        next();
    });
    poll->start(20);
}

// A focus change before the hook thread has installed its hooks is lost, as it would be on a real
// desktop; so focus scenarios start once both hooks are in.
void whenHooked(std::function<void()> start)
{
    auto* ready = new QTimer(qApp);
    QObject::connect(ready, &QTimer::timeout, [ready, start] {
        if (sim::installedHooks() < 2)
            return;
        ready->deleteLater();
        start();
    });
    ready->start(20);
}

void startScenario()
{
    if (!std::strcmp(scenario, "exit")) {
        QTimer::singleShot(200, [] { QCoreApplication::exit(7); });
    } else if (!std::strcmp(scenario, "windows")) {
        // Still inside the application's constructor: only a choice made before it can show here.
        say(QStringLiteral("scaling %1").arg(QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling)));
        GetConfig()->setValueBool(QStringLiteral("ShowTip"), false);
        QTimer::singleShot(100, [] {
            say(QStringLiteral("visible %1").arg(visibleWindows()));
            auto* window = new QWidget;
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->show();
            window->close();
            QTimer::singleShot(200, [] {
                say(QStringLiteral("alive"));
                QCoreApplication::exit(3);
            });
        });
    } else if (!std::strcmp(scenario, "tips") || !std::strcmp(scenario, "no tips")) {
        // The tips window shows at start unless the user ticked it off.
        GetConfig()->setValueBool(QStringLiteral("ShowTip"), !std::strcmp(scenario, "tips"));
        QTimer::singleShot(100, [] {
            QStringList shown;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible())
                    shown << w->metaObject()->className();
            }
            say(QStringLiteral("shown: %1").arg(shown.join(QLatin1Char(' '))));
            QCoreApplication::exit(0);
        });
    } else if (!std::strcmp(scenario, "trackers")) {
        whenHooked([] {
            reportTakerOf(wordPane(), [] {
                reportTakerOf(editor(true), [] {
                    reportTakerOf(editor(false), [] { QCoreApplication::exit(0); });
                });
            });
        });
    } else if (!std::strcmp(scenario, "word-marks")) {
        whenHooked([] {
            reportTakerOf(wordPane(), [] {
                EditorManager* manager = getEditorManager();
                auto found = std::make_shared<CheckData>();
                found->words = "他门";
                manager->getActiveHelper()->showErrors({found}, manager->getActiveEditorParam(), {});
                say(QStringLiteral("marks before exit: %1").arg(markRuns()));
                QCoreApplication::exit(0);
            });
        });
    }
}
}

// Runs inside the QApplication constructor, so the scenario is in place before start-up goes on.
Q_COREAPP_STARTUP_FUNCTION(startScenario)

int main(int argc, char** argv)
{
    if (argc > 1)
        scenario = argv[1];
    const int code = proofdeskMain(argc, argv);
    say(QStringLiteral("manager after exit: %1").arg(getEditorManager() ? "present" : "none"));
    if (wordDocument)
        say(QStringLiteral("marks after exit: %1").arg(markRuns()));
    say(QStringLiteral("command set after exit: %1").arg(getActions() ? "present" : "none"));
    return code;
}
