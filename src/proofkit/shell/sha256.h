#pragma once

#include <QByteArray>

struct evp_md_ctx_st;

// SHA-256 over data that arrives in pieces, through OpenSSL: several times faster than
// QCryptographicHash, which matters for a large download hashed as it arrives.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void reset();
    void addData(const char* data, qint64 length);
    // Lower-case hex of everything added since the last reset.
    QByteArray hexResult();

private:
    evp_md_ctx_st* context = nullptr;
};
