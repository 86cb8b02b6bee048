#include "myqwebenginepage.h"

#include <QDesktopServices>
#include <QMetaObject>
#include <QUrlQuery>

#include "checkerclient.h"
#include "dialogweb.h"

MyQWebEnginePage::MyQWebEnginePage(DialogWeb* owner)
    : QWebEnginePage(static_cast<QObject*>(nullptr))
    , dialog(owner)
{
}

bool MyQWebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    Q_UNUSED(isMainFrame);
    if (type != NavigationTypeLinkClicked)
        return true;
    if (QUrlQuery(url).hasQueryItem(QStringLiteral("NEW_WIN"))) {
        // A page must not make us launch anything but a web address.
        const QString scheme = url.scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
            QDesktopServices::openUrl(url);
        return false;
    }
    if (url.path(QUrl::FullyDecoded).contains(QLatin1String("/login/"))) {
        // Modal login and reload run after this callback has returned to the engine.
        if (dialog && getCheckerClient())
            QMetaObject::invokeMethod(dialog.data(), &DialogWeb::loginAndReload, Qt::QueuedConnection);
        return false;
    }
    return true;
}
