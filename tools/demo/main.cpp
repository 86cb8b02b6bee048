// proofdesk-demo: the tray program as it is, plus a simulated word processor in a real window.
#include <QApplication>
#include <QTimer>

#include "demoscene.h"
#include "proofdeskmain.h"

namespace {
void startScene()
{
    // Once the program's event loop runs, after its own start-up.
    QTimer::singleShot(0, qApp, [] {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            new DemoScene(qApp);
    });
}
}
Q_COREAPP_STARTUP_FUNCTION(startScene)

int main(int argc, char** argv)
{
    return proofdeskMain(argc, argv);
}
