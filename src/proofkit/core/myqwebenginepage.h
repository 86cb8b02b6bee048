#pragma once

#include <QPointer>
#include <QWebEnginePage>

#include "proofkit_export.h"

class DialogWeb;

// The page of DialogWeb: links meant for a new window go to the system browser, links to the
// service's login page open the client's own login dialog.
class PROOFKIT_EXPORT MyQWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit MyQWebEnginePage(DialogWeb* dialog);

    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    QPointer<DialogWeb> dialog;
};
