#pragma once

#include <QSystemTrayIcon>

#include "proofkit_export.h"

class MenuEx;

// Tray icon of Proofdesk. Its menu comes from Actions, so it always matches the other menus;
// double-clicking it brings up a writing window.
class PROOFKIT_EXPORT SystemTrayIcon : public QSystemTrayIcon
{
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    MenuEx* trayMenu() const { return menu; }

public slots:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void trayIconMenuAboutToShow();

private:
    void createTrayMenu();

    MenuEx* menu = nullptr;
};
