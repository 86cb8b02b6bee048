#pragma once

#include <QByteArray>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// A redirect followed by our own code, one request per hop. Left to the network library, a
// redirected POST can fail although the new address answered: the first request stays on its
// connection, is sent again when that connection closes, and its upload count then clashes with
// the new request's on the same reply.
class RedirectHop
{
public:
    static const int kMaxHops = 5;

    // Where the reply sends its request next, or an empty address when it is final. A redirect
    // that is not followed (one hop too many, to another scheme than the web's, from https down
    // to http, or to an address without a valid host) sets *refused.
    static QUrl target(const QNetworkReply* reply, bool* refused);

    // The reply's request sent to next: the same POST with its body for 307 and 308, as the
    // status asks, a plain GET for the other redirects.
    static QNetworkReply* follow(QNetworkAccessManager* manager, const QNetworkReply* reply, const QUrl& next,
                                 const QByteArray& body);
};
