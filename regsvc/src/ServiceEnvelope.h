#pragma once

#include <optional>
#include <string>

#include "Ssl.h"

// The service's side of the request envelope. Requests: each value base64 of one RSA
// PKCS#1 v1.5 block under the service public key, or of AES-128-CBC under the session key.
// Answers: private-key type-1 blocks of 245-byte pieces, or AES, then base64.
class ServiceEnvelope {
  public:
    static std::optional<ServiceEnvelope> load(const std::string& privateKeyPath);

    std::optional<std::string> openPublic(const std::string& b64) const;
    std::optional<std::string> sealPublic(const std::string& plain) const;
    static std::optional<std::string> openSession(const std::string& sessionKey,
                                                  const std::string& b64);
    static std::optional<std::string> sealSession(const std::string& sessionKey,
                                                  const std::string& plain);

  private:
    explicit ServiceEnvelope(ssl::Pkey key) : key_(std::move(key)) {}
    ssl::Pkey key_;
};
