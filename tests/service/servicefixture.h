#pragma once

#include "serviceserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

using namespace korrelo_service;

struct HttpResult
{
    bool finished = false;
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray location;
    qint64 elapsedMs = 0;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString errorId() const { return json().value("error_id").toString(); }
};

// A service on a free loopback port, spoken to over real sockets.
class ServiceFixture
{
public:
    explicit ServiceFixture(ServiceOptions options = ServiceOptions())
    {
        options.port = 0;
        server = std::make_unique<ServiceServer>(options);
        std::string error;
        started = server->start(error);
    }

    ~ServiceFixture()
    {
        // Idle keep-alive connections would hold the server's workers until they time out.
        manager.clearConnectionCache();
        server->stop();
    }

    bool started = false;
    std::unique_ptr<ServiceServer> server;
    QNetworkAccessManager manager;

    QString root() const { return QString::fromStdString(server->rootUrl()); }

    // Every value percent-encoded, '+' included, as a careful client sends them.
    static QByteArray form(const QList<QPair<QString, QString>>& fields)
    {
        QByteArray body;
        for (const auto& field : fields) {
            if (!body.isEmpty())
                body += '&';
            body += QUrl::toPercentEncoding(field.first) + '=' + QUrl::toPercentEncoding(field.second);
        }
        return body;
    }

    // Posts a form body and leaves the reply running.
    QNetworkReply* start(const QString& path, const QByteArray& body,
                         const QByteArray& contentType = "application/x-www-form-urlencoded")
    {
        return manager.post(formRequest(QUrl(root() + path), contentType), body);
    }

    HttpResult post(const QString& path, const QByteArray& body, int timeoutMs = 10000, bool follow = false,
                    const QByteArray& contentType = "application/x-www-form-urlencoded")
    {
        return send(formRequest(QUrl(root() + path), contentType), &body, follow, timeoutMs);
    }

    // Redirects are followed here, hop by hop: Qt's own following can lose the final reply when
    // the first connection closes under it.
    HttpResult send(QNetworkRequest request, const QByteArray* postBody, bool follow, int timeoutMs)
    {
        for (int hop = 0;; ++hop) {
            HttpResult result = wait(postBody ? manager.post(request, *postBody) : manager.get(request), timeoutMs);
            if (!follow || result.status < 300 || result.status >= 400 || result.location.isEmpty())
                return result;
            if (hop == kMaxHops) {
                result.error = QNetworkReply::TooManyRedirectsError;
                return result;
            }
            request.setUrl(request.url().resolved(QUrl::fromEncoded(result.location)));
            if (result.status != 307 && result.status != 308)
                postBody = nullptr;
        }
    }

    HttpResult postForm(const QString& path, const QList<QPair<QString, QString>>& fields, int timeoutMs = 10000)
    {
        return post(path, form(fields), timeoutMs);
    }

    HttpResult get(const QString& path, int timeoutMs = 10000)
    {
        return wait(manager.get(QNetworkRequest(QUrl(root() + path))), timeoutMs);
    }

    QString login(const QString& user, const QString& password)
    {
        return postForm("api/v3/auth/login/", {{"user_name", user}, {"password", password}})
            .json().value("access_token").toString();
    }

    HttpResult check(const QString& token, const QString& text,
                     const QList<QPair<QString, QString>>& extra = {})
    {
        QList<QPair<QString, QString>> fields{{"text", text}, {"access_token", token}};
        fields += extra;
        return postForm("api/v3/check", fields);
    }

    HttpResult control(const QString& what, const QList<QPair<QString, QString>>& fields = {})
    {
        return postForm("control/" + what, fields);
    }

    static const int kMaxHops = 50;

    static QNetworkRequest formRequest(const QUrl& url, const QByteArray& contentType)
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        return request;
    }

    static HttpResult wait(QNetworkReply* reply, int timeoutMs)
    {
        HttpResult result;
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        if (!reply->isFinished())
            loop.exec();
        result.finished = reply->isFinished();
        if (!result.finished)
            reply->abort();
        result.elapsedMs = clock.elapsed();
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        result.error = reply->error();
        result.location = reply->rawHeader("Location");
        reply->deleteLater();
        return result;
    }
};
