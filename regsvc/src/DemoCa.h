#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "Ssl.h"

// A two-level demo CA: a root and an issuing CA that signs customers' certificates.
class DemoCa {
  public:
    static std::optional<DemoCa> load(const std::string& rootCert, const std::string& issuingCert,
                                      const std::string& issuingKey);

    // A request as the client sends it: the PEM body, line breaks allowed. Nothing unless it
    // decodes and its signature verifies with its own key; `cn` gets its subject when the
    // subject is exactly one CN.
    static ssl::X509Req parseRequest(const std::string& body, std::optional<std::string>& cn);

    ssl::X509Cert issue(X509_REQ* request, const std::string& cn, uint64_t serial,
                        std::time_t notBefore, std::time_t notAfter) const;

    // True when `signature` (DER PKCS#7) embeds exactly `content`, verifies, chains to the
    // demo CA and is signed by `signer`.
    bool verifyRenewal(const std::string& signature, const std::string& content,
                       X509* signer) const;

    // Base64 DER of the certificate alone, or of a PKCS#7 bundle with the chain.
    std::string certificateText(X509* cert, bool withChain) const;

    // The issuing CA's name as the service writes it: its own order, not the certificate's.
    std::string issuerText() const;

    static std::string der(X509* cert);
    static ssl::X509Cert fromDer(const std::string& der);

  private:
    ssl::X509Cert root_;
    ssl::X509Cert issuing_;
    ssl::Pkey issuingKey_;
};
