#include "replysizelimit.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// Set on a reply found too large, so its abort is not taken for a cancel.
const char* const kTooLarge = "korreloTooLarge";

} // namespace

void ReplySizeLimit::watch(QNetworkReply* reply, qint64 maxBytes)
{
    const auto refuse = [reply] {
        reply->setProperty(kTooLarge, true);
        reply->abort();
    };
    // The promised length is known with the headers, so most runaway replies go before any body.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [maxBytes, refuse](qint64 received, qint64 total) {
        if (received > maxBytes || total > maxBytes)
            refuse();
    });
    // The network library spaces its progress reports out, and a fast sender can pile up a lot
    // between two of them; new data is announced here as soon as it is handed over. Our callers
    // read a reply only once it is whole, so what waits unread is all that came.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, maxBytes, refuse] {
        if (reply->bytesAvailable() > maxBytes)
            refuse();
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
