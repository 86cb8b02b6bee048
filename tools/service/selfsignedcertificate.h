#pragma once

#include <string>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

namespace korrelo_service {

// A throw-away key and certificate for 127.0.0.1 and localhost, made at start-up, so HTTPS can be
// served without any files; clients have to accept it as untrusted.
class SelfSignedCertificate
{
public:
    SelfSignedCertificate();
    ~SelfSignedCertificate();
    SelfSignedCertificate(const SelfSignedCertificate&) = delete;
    SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

    bool isValid() const { return cert && key; }
    X509* certificate() const { return cert; }
    EVP_PKEY* privateKey() const { return key; }
    std::string pem() const;

private:
    X509* cert = nullptr;
    EVP_PKEY* key = nullptr;
};

} // namespace korrelo_service
