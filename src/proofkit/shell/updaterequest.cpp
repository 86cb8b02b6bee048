#include "updaterequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>

#include "checkerclient.h"

QNetworkReply* getForUpdate(QNetworkAccessManager& manager, QNetworkRequest request, const QString& agent)
{
    if (!agent.isEmpty())
        request.setRawHeader("User-Agent", agent.toUtf8());
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setProtocol(QSsl::SecureProtocols);
    request.setSslConfiguration(ssl);
    QNetworkReply* reply = manager.get(request);
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError>&) {
        CheckerClient* client = getCheckerClient();
        if (client && client->isLocalServer(reply->url()))
            reply->ignoreSslErrors();
    });
    return reply;
}
