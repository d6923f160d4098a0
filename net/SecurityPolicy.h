#pragma once

#include <memory>
#include <string>
#include <vector>

namespace busdesk {

enum class SSLPinning { None = 0, PublicKey = 1, Certificate = 2 };

// How a TLS server is trusted. The checks are made by the transport during the handshake:
// chain and host name verification, pinning of the server's public key (against the keys of
// the pinned certificates) or of the certificate itself (the pinned certificates become the only
// trust anchors).
class SecurityPolicy {
  public:
    static std::shared_ptr<SecurityPolicy> defaultPolicy();
    static std::shared_ptr<SecurityPolicy> policyWithPinningMode(SSLPinning mode);

    SSLPinning SSLPinningMode = SSLPinning::None;
    bool validatesCertificateChain = true;
    bool validatesDomainName = true;
    bool allowInvalidCertificates = false;
    // DER-encoded certificates.
    std::vector<std::string> pinnedCertificates;

    // Applies the policy to a libcurl easy handle; false when a pinned certificate cannot be read.
    bool configureTransfer(void* curlEasyHandle) const;
};

}  // namespace busdesk
