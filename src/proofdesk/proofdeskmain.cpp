#include "proofdeskmain.h"

#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "actions.h"
#include "checkerclient.h"
#include "comapi.h"
#include "config.h"
#include "crashreporter.h"
#include "dialogfloat.h"
#include "dialogtip.h"
#include "editormanager.h"
#include "initui.h"
#include "msaaclienthelper.h"
#include "settingkeys.h"
#include "signalquit.h"
#include "systemtrayicon.h"
#include "uiaclienthelper.h"
#include "wordclienthelper.h"

int proofdeskMain(int argc, char** argv)
{
    CoInitialize(nullptr);
    InstallCrashReporter(u"Korrelo");
    // Scaling only takes effect when chosen before the application exists.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);

    int exitCode = 0;
    {
        QApplication app(argc, argv);
        // First of all, so a session ending while the program starts still ends it normally.
        SignalQuit signalQuit;
        initUI();
        if (QCoreApplication::instance()) {
            auto* translator = new QTranslator(&app);
            if (translator->load(QStringLiteral(":/translations/proofdesk_zh_CN.qm")))
                QCoreApplication::installTranslator(translator);
        }
        QGuiApplication::setQuitOnLastWindowClosed(false);
        if (CheckerClient* client = getCheckerClient())
            client->setClient(QStringLiteral("client"), QStringLiteral("3.5"));

        // The manager offers a focused editor to its helpers in the order added and stops at the first
        // taker. The word processor's helper can mark errors in the page, so it goes first; MSAA only
        // reads plain text, so it is the last resort.
        auto* wordHelper = new WordClientHelper;
        auto* uiaHelper = new UIAClientHelper;
        auto* msaaHelper = new MSAAClientHelper;
        if (EditorManager* manager = getEditorManager()) {
            manager->addClientHelper(wordHelper);
            manager->addClientHelper(uiaHelper);
            manager->addClientHelper(msaaHelper);
        }
        SystemTrayIcon trayIcon;
        trayIcon.show();
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            std::fprintf(stderr, "No system tray yet: the icon appears when a tray starts.\n");
        // The button's native window must exist before the first placement, so show it once now.
        if (DialogFloat* button = getDialogFloat()) {
            button->show();
            button->hide();
        }
        // The tips until the user ticks them off; closing the window keeps it for the rest of the run.
        std::unique_ptr<DialogTip> tip;
        Config* config = GetConfig();
        if (config && config->getValueBool(QLatin1String(SettingKeys::ShowTip), true)) {
            tip = std::make_unique<DialogTip>(nullptr);
            tip->show();
        }
        exitCode = QApplication::exec();

        delete getEditorManager();
        delete wordHelper;
        delete uiaHelper;
        delete msaaHelper;
        releaseActions();
        UninstallCrashReporter();
        CoUninitialize();
    }
    return exitCode;
}
