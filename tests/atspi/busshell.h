#pragma once

#include <QProcess>

#include "atspi/atspidesktop.h"
#include "buscommands.h"
#include "clientfixture.h"
#include "editormanager.h"
#include "msaaclienthelper.h"
#include "uiaclienthelper.h"

// The tray program's trackers on an accessibility bus of the test's own: the bus launcher, the
// fixture's checking client, the editor manager and the UI Automation and MSAA trackers.
struct BusShell
{
    QProcess busLauncher;
    UIAClientHelper* uia = nullptr;
    MSAAClientHelper* msaa = nullptr;

    // False when the bus or the client did not start.
    bool start(ClientFixture& fixture)
    {
        if (!buscommands::startBusLauncher(busLauncher)
            || !buscommands::waitFor([] { return buscommands::setAccessibility(true); }, 10000)
            || !atspi_detail::AtspiDesktop::instance() || !fixture.startClient())
            return false;
        // Made once the manager has set up COM on this thread, as the tray program does.
        EditorManager* manager = getEditorManager();
        uia = new UIAClientHelper;
        msaa = new MSAAClientHelper;
        manager->addClientHelper(uia);
        manager->addClientHelper(msaa);
        return true;
    }

    // False when the bus launcher did not end.
    bool stop(ClientFixture& fixture)
    {
        delete getEditorManager();
        delete uia;
        delete msaa;
        fixture.stopClient();
        // The launcher ends the bus it started.
        busLauncher.terminate();
        return busLauncher.waitForFinished();
    }
};
