#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

using Fields = QVector<QPair<QString, QString>>;

// A korrelo-service of its own for one test program, on a free loopback port, driven through
// its control interface.
class TestService
{
public:
    ~TestService()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    // With "--tls" it serves HTTPS under a self-signed certificate.
    bool start(const QStringList& extraArgs = {})
    {
        process.setProgram(QStringLiteral(KORRELO_SERVICE_PATH));
        process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + extraArgs);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (!process.waitForStarted(10000))
            return false;
        QByteArray firstLine;
        QElapsedTimer clock;
        clock.start();
        while (!firstLine.contains('\n') && clock.elapsed() < 10000) {
            process.waitForReadyRead(200);
            firstLine += process.readAllStandardOutput();
        }
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("listening on ([^:\\s]+):(\\d+)")).match(QString::fromUtf8(firstLine));
        base = QStringLiteral("%1://%2:%3/").arg(extraArgs.contains(QStringLiteral("--tls")) ? "https" : "http",
                                                 match.captured(1), match.captured(2));
        return match.hasMatch();
    }

    QString root() const { return base; }
    QString site(int index) const { return base + QStringLiteral("site%1/").arg(index); }
    QString sites() const { return QStringList{site(0), site(1), site(2), site(3)}.join(QLatin1Char(',')); }

    // Posts to the control interface; true on a 2xx answer.
    bool control(const QString& path, const Fields& fields = {})
    {
        QByteArray body;
        for (const auto& field : fields)
            body += (body.isEmpty() ? "" : "&") + QUrl::toPercentEncoding(field.first) + '='
                + QUrl::toPercentEncoding(field.second);
        QNetworkRequest request(QUrl(base + QStringLiteral("control/") + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        QByteArray answer;
        return send(nam.post(request, body), answer);
    }

    bool misbehave(const Fields& rule) { return control(QStringLiteral("misbehave"), rule); }

    // The service requests of one kind so far (control requests are not logged).
    QJsonArray requestsOf(const QString& kind = QString())
    {
        QByteArray answer;
        QJsonArray result;
        send(nam.get(QNetworkRequest(QUrl(base + QStringLiteral("control/requests")))), answer);
        for (const QJsonValue& entry : QJsonDocument::fromJson(answer).array()) {
            if (kind.isEmpty() || entry.toObject().value(QStringLiteral("kind")).toString() == kind)
                result.append(entry);
        }
        return result;
    }

    QJsonObject lastOf(const QString& kind)
    {
        const QJsonArray all = requestsOf(kind);
        return all.isEmpty() ? QJsonObject() : all.last().toObject();
    }

    static QStringList fieldNames(const QJsonObject& entry)
    {
        QStringList names;
        for (const QJsonValue& pair : entry.value(QStringLiteral("fields")).toArray())
            names << pair.toArray().at(0).toString();
        return names;
    }

    static QString field(const QJsonObject& entry, const QString& name)
    {
        for (const QJsonValue& pair : entry.value(QStringLiteral("fields")).toArray()) {
            if (pair.toArray().at(0).toString() == name)
                return pair.toArray().at(1).toString();
        }
        return QStringLiteral("<absent>");
    }

private:
    bool send(QNetworkReply* reply, QByteArray& answer)
    {
        reply->ignoreSslErrors();   // the test's own control requests only
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
        answer = reply->readAll();
        reply->deleteLater();
        return ok;
    }

    QProcess process;
    QNetworkAccessManager nam;
    QString base;
};
