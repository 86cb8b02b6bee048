#include "systemtrayicon.h"

#include <QWidgetAction>

#include "actions.h"
#include "checkerclient.h"
#include "menuex.h"

SystemTrayIcon::SystemTrayIcon(QObject* parent) : QSystemTrayIcon(parent)
{
    setIcon(QIcon(QPixmap(QStringLiteral(":/images/icon128.png"))));
    QString tip = tr("Korrelo");
    if (CheckerClient* client = getCheckerClient())
        tip += QLatin1Char(' ') + client->getClientVer();
    setToolTip(tip);
    createTrayMenu();
    connect(this, &QSystemTrayIcon::activated, this, &SystemTrayIcon::iconActivated);
    QMetaObject::connectSlotsByName(this);
}

SystemTrayIcon::~SystemTrayIcon()
{
    delete menu;
}

void SystemTrayIcon::createTrayMenu()
{
    Actions* actions = getActions();
    if (!actions)
        return;
    menu = new MenuEx;
    menu->setToolTipsVisible(true);
    menu->setDefaultAction(actions->actionShowWriter);
    menu->addAction(actions->actionMode);
    menu->addAction(actions->actionEnableThisEditor);
    menu->addSeparator();
    menu->addAction(actions->actionShowWriter);
    menu->addSeparator();
    menu->addAction(actions->actionApplyByDoubleClick);
    menu->addAction(actions->actionShowErrorTip);
    menu->addAction(actions->actionShowDictTip);
    menu->addSeparator();
    actions->addOptionMenus(menu);
    menu->addAction(actions->actionSetting);
    menu->addSeparator();
    menu->addAction(actions->actionUser);
    menu->addAction(actions->actionLogin);
    menu->addSeparator();
    menu->addAction(actions->actionContact);
    menu->addAction(actions->actionUpdate);
    menu->addAction(actions->actionWeb);
    menu->addAction(actions->actionAbout);
    menu->addSeparator();
    menu->addAction(actions->actionExit);
    connect(menu, &QMenu::aboutToShow, this, &SystemTrayIcon::trayIconMenuAboutToShow);
    setContextMenu(menu);
}

void SystemTrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A single click arrives first for a double click too; only the double click opens the writer.
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    if (Actions* actions = getActions())
        actions->on_actionShowWriter_triggered();
}

void SystemTrayIcon::trayIconMenuAboutToShow()
{
    if (Actions* actions = getActions())
        actions->updateActions(nullptr);
}
