#include "replysizelimit.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// Set on a reply found too large, so its abort is not taken for a cancel.
const char* const kTooLarge = "korreloTooLarge";

} // namespace

void ReplySizeLimit::watch(QNetworkReply* reply, qint64 maxBytes)
{
    // The promised length is known with the headers, so most runaway replies go before any body.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64 total) {
        if (received <= maxBytes && total <= maxBytes)
            return;
        reply->setProperty(kTooLarge, true);
        reply->abort();
    });
}

bool ReplySizeLimit::exceeded(const QNetworkReply* reply)
{
    return reply->property(kTooLarge).toBool();
}

bool ReplySizeLimit::cut(const QNetworkReply* reply)
{
    // Qt 5 may finish a reply whose connection closed halfway as if it were whole, when it sees
    // the close before the missing bytes. A compressed reply's length counts the compressed
    // bytes, so only plain replies can be judged.
    if (reply->error() != QNetworkReply::NoError || reply->hasRawHeader("Content-Encoding"))
        return false;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && length.toLongLong() != reply->bytesAvailable();
}
