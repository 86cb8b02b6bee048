#pragma once

#include <QtGlobal>

class QNetworkReply;

// A bound on what one reply may bring: a reply that promises or delivers more is aborted as it
// arrives, before it is read whole, and stays marked as too large.
class ReplySizeLimit
{
public:
    static void watch(QNetworkReply* reply, qint64 maxBytes);
    // True for a reply watched and found over its bound, also when it was whole before the
    // abort could stop it.
    static bool exceeded(const QNetworkReply* reply);
};
