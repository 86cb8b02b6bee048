#pragma once

#include <QNetworkRequest>

class QNetworkAccessManager;
class QNetworkReply;

// A GET for the update feed or file: the given User-Agent (when not empty), peers verified over
// secure protocols, and only the configured local checking server let through with a certificate
// nobody vouches for.
QNetworkReply* getForUpdate(QNetworkAccessManager& manager, QNetworkRequest request, const QString& agent);
