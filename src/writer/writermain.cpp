#include "writermain.h"

#include <QApplication>

#include "actions.h"
#include "checkerclient.h"
#include "dialogwriter.h"
#include "initui.h"
#include "signalquit.h"

int writerMain(int argc, char** argv)
{
    // Scaling only takes effect when chosen before the application exists.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(WRITER_VERSION));
    initUI();
    // The desktop-wide hot keys belong to the tray program: grabbed here, a tray program started
    // later could not have them, and without a tracked editor they would do nothing here.
    setDesktopHotkeysHeld(false);
    if (CheckerClient* client = getCheckerClient())
        client->setClient(QStringLiteral("client"), QStringLiteral("3.5"));

    int exitCode = 0;
    {
        DialogWriter writer(nullptr);
        // A terminal's Ctrl+C or a closing session closes the window as the user would, asking
        // about unsaved work first.
        SignalQuit signalQuit([&writer] { writer.close(); });
        writer.show();
        exitCode = QApplication::exec();
    }
    releaseActions();
    return exitCode;
}
