#include "replysizelimit.h"

#include <QNetworkReply>

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
