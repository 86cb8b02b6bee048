// proofdesk-demo: the tray program as it is, plus a simulated word processor in a real window.
#include <QApplication>
#include <QTimer>

#include <memory>

#include "demoscene.h"
#include "proofdeskmain.h"

namespace {
// Outlives the program's own shut-down, so the tracker ends against a running word processor.
std::unique_ptr<DemoScene> scene;

void startScene()
{
    // Once the program's event loop runs, after its own start-up.
    QTimer::singleShot(0, qApp, [] {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return;
        scene = std::make_unique<DemoScene>();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { scene->closeWindows(); });
        qInfo("proofdesk-demo: the simulated word processor is open");
    });
}
}
Q_COREAPP_STARTUP_FUNCTION(startScene)

int main(int argc, char** argv)
{
    return proofdeskMain(argc, argv);
}
