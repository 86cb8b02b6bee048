#include "redirecthop.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const char* const kHops = "korreloRedirectHops";

bool isWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

QUrl RedirectHop::target(const QNetworkReply* reply, bool* refused)
{
    *refused = false;
    const QUrl location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply->error() != QNetworkReply::NoError || location.isEmpty())
        return QUrl();
    const QUrl next = reply->url().resolved(location);
    const bool downgrade = reply->url().scheme().toLower() == QLatin1String("https")
        && next.scheme().toLower() != QLatin1String("https");
    // A target that is no valid web address (a bad host, say) cannot be requested at all.
    const bool unusable = !next.isValid() || next.host().isEmpty();
    if (reply->property(kHops).toInt() >= kMaxHops || downgrade || !isWebScheme(next) || unusable) {
        *refused = true;
        return QUrl();
    }
    return next;
}

QNetworkReply* RedirectHop::follow(QNetworkAccessManager* manager, const QNetworkReply* reply, const QUrl& next,
                                   const QByteArray& body)
{
    QNetworkRequest request = reply->request();
    request.setUrl(next);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QNetworkReply* again = nullptr;
    if (status == 307 || status == 308) {
        again = manager->post(request, body);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
        again = manager->get(request);
    }
    again->setProperty(kHops, reply->property(kHops).toInt() + 1);
    return again;
}
