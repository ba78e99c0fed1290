#pragma once

#include <string>

#include "support/TempDir.h"

// A 2048-bit RSA key pair made by the openssl tool, standing in for the service's key.
class TestRsaKey {
  public:
    TestRsaKey();

    const std::string& privateKeyFile() const { return privateKeyFile_; }
    const std::string& publicKeyPem() const { return publicKeyPem_; }
    std::string scratch(const std::string& name) const { return dir_.file(name); }

    // The service side of the envelope, done by the openssl tool.
    std::string decryptRequestValue(const std::string& base64) const;  // "" when it fails
    std::string signAnswer(const std::string& plain) const;            // base64 of 245-byte pieces

  private:
    TempDir dir_;
    std::string privateKeyFile_;
    std::string publicKeyPem_;
};
