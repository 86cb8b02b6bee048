#include "sha256.h"

#include <openssl/evp.h>

Sha256::Sha256()
    : context(EVP_MD_CTX_new())
{
    reset();
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(context);
}

void Sha256::reset()
{
    EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
}

void Sha256::addData(const char* data, qint64 length)
{
    if (length > 0)
        EVP_DigestUpdate(context, data, static_cast<size_t>(length));
}

QByteArray Sha256::hexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context, digest, &length);
    reset();
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<int>(length)).toHex();
}
