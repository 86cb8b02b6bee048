#pragma once

#include <QtGlobal>

class QNetworkReply;

// A bound on what one reply may bring: a reply that promises or delivers more is aborted as it
// arrives, before it is read whole, and stays marked as too large.
class ReplySizeLimit
{
public:
    // Bounds by kind: an account or probe reply carries a few short fields, never pages.
    static constexpr qint64 kAccountReplyBytes = 8 * 1024;

    static void watch(QNetworkReply* reply, qint64 maxBytes);
    // True for a reply watched and found over its bound, also when it was whole before the
    // abort could stop it.
    static bool exceeded(const QNetworkReply* reply);
    // True for a reply that ended without error but with fewer bytes than its length promised.
    static bool cut(const QNetworkReply* reply);
};
