#include "net/SecurityPolicy.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include "net/HTTPRequestSerializer.h"

namespace busdesk {

std::shared_ptr<SecurityPolicy> SecurityPolicy::defaultPolicy() {
    return std::make_shared<SecurityPolicy>();
}

std::shared_ptr<SecurityPolicy> SecurityPolicy::policyWithPinningMode(SSLPinning mode) {
    auto policy = std::make_shared<SecurityPolicy>();
    policy->SSLPinningMode = mode;
    return policy;
}

namespace {

X509* parseDER(const std::string& der) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    return d2i_X509(nullptr, &p, static_cast<long>(der.size()));
}

std::string publicKeyPin(X509* cert) {
    EVP_PKEY* key = X509_get0_pubkey(cert);
    if (!key) return {};
    unsigned char* spki = nullptr;
    int len = i2d_PUBKEY(key, &spki);
    if (len <= 0) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLen = 0;
    EVP_Digest(spki, static_cast<size_t>(len), digest, &digestLen, EVP_sha256(), nullptr);
    OPENSSL_free(spki);
    return "sha256//" + base64Encode(std::string_view(reinterpret_cast<char*>(digest), digestLen));
}

std::string toPEM(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    long len = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<size_t>(len));
    BIO_free(bio);
    return pem;
}

}  // namespace

bool SecurityPolicy::configureTransfer(void* handle) const {
    CURL* easy = static_cast<CURL*>(handle);
    bool verifyPeer = validatesCertificateChain && !allowInvalidCertificates;
    bool verifyHost = validatesDomainName && !allowInvalidCertificates;
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, verifyPeer ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, verifyHost ? 2L : 0L);
    if (SSLPinningMode == SSLPinning::None) return true;

    std::string pins, anchors;
    for (const auto& der : pinnedCertificates) {
        X509* cert = parseDER(der);
        if (!cert) return false;
        if (SSLPinningMode == SSLPinning::PublicKey) {
            if (!pins.empty()) pins += ";";
            pins += publicKeyPin(cert);
        } else {
            anchors += toPEM(cert);
        }
        X509_free(cert);
    }
    if (pinnedCertificates.empty()) return false;  // nothing can match: refuse rather than trust all
    if (SSLPinningMode == SSLPinning::PublicKey) {
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, pins.c_str());
    } else {
        // Only the pinned certificates are trust anchors, so a chain verifies only when it
        // leads to one of them.
        struct curl_blob blob {};
        blob.data = anchors.data();
        blob.len = anchors.size();
        blob.flags = CURL_BLOB_COPY;
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    }
    return true;
}

}  // namespace busdesk
