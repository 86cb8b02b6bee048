#include "selfsignedcertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace korrelo_service {

SelfSignedCertificate::SelfSignedCertificate()
{
    key = EVP_RSA_gen(2048);
    cert = X509_new();
    bool ok = key && cert;
    ok = ok && X509_set_version(cert, 2);
    ok = ok && ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    ok = ok && X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    ok = ok && X509_gmtime_adj(X509_getm_notAfter(cert), 30L * 24 * 3600);
    ok = ok && X509_set_pubkey(cert, key);
    if (ok) {
        X509_NAME* name = X509_get_subject_name(cert);
        ok = X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                        reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0)
             && X509_set_issuer_name(cert, name);
    }
    if (ok) {
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
        X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name,
                                                    "IP:127.0.0.1,DNS:localhost");
        ok = names && X509_add_ext(cert, names, -1);
        X509_EXTENSION_free(names);
    }
    ok = ok && X509_sign(cert, key, EVP_sha256()) > 0;
    if (!ok) {
        X509_free(cert);
        EVP_PKEY_free(key);
        cert = nullptr;
        key = nullptr;
    }
}

SelfSignedCertificate::~SelfSignedCertificate()
{
    X509_free(cert);
    EVP_PKEY_free(key);
}

std::string SelfSignedCertificate::pem() const
{
    if (!cert)
        return std::string();
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<size_t>(size));
    BIO_free(bio);
    return text;
}

} // namespace korrelo_service
