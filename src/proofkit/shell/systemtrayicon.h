#pragma once

#include <QSystemTrayIcon>

#include "proofkit_export.h"

class MenuEx;

// The tray program's notification-area icon. Its menu is the system's main menu, built from the
// command set; a double click opens the writing window.
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
