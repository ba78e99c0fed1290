#pragma once

#include <string>
#include <vector>

#include "support/TempDir.h"

// A root CA and an issuing CA made by the openssl tool, issuing certificates for requests.
// Every file it makes lives in its own temporary folder; paths are returned.
class TestPki {
  public:
    // CAs named "<prefix> Root CA" and "<prefix> Issuing CA".
    explicit TestPki(const std::string& prefix = "Test");

    const std::string& rootCert() const { return rootCert_; }
    const std::string& issuingCert() const { return issuingCert_; }
    std::string file(const std::string& name) const { return dir_.file(name); }

    // A new key (PKCS#8 PEM file) and request for the subject ("/CN=..."); returns the
    // request's path and puts the key's path in `keyPath`.
    std::string newRequest(const std::string& subject, std::string& keyPath);
    // Signs the request with the issuing CA. `extensions` is an extfile text ("" for none).
    std::string issue(const std::string& requestPath, const std::string& serial,
                      const std::string& extensions = "basicConstraints=CA:FALSE\n");
    // The same, valid from `notBefore` ("20250101000000Z") instead of from now.
    std::string issueStartingAt(const std::string& requestPath, const std::string& serial,
                                const std::string& notBefore);

    // Base64 (one line) of a certificate's DER, and of a PKCS#7 bundle of certificates.
    std::string certBase64(const std::string& certPath);
    std::string bundleBase64(const std::vector<std::string>& certPaths);
    // Concatenated PEM files, for -CAfile and -certfile.
    std::string concat(const std::vector<std::string>& paths);
    // A PKCS#12 file the openssl tool makes of the certificate, its key (none when `keyPath`
    // is empty) and both CA certificates; `options` such as "-legacy".
    std::string pkcs12(const std::string& certPath, const std::string& keyPath,
                       const std::string& password, const std::vector<std::string>& options = {});

  private:
    std::string next(const std::string& suffix);

    TempDir dir_;
    std::string rootKey_, rootCert_, issuingKey_, issuingCert_;
    int counter_ = 0;
};
