#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "util/CommonUtility.h"
#include "util/Types.h"

// The request envelope of the registration service: values RSA-encrypted under the service
// public key before login, AES-128-CBC under the session key after; answers are base64 of
// RSA type-1 blocks or of one AES ciphertext, holding Big5 XML.
class RSAUtility {
  public:
    // `servicePublicKeyPem`: the service's "PUBLIC KEY" PEM block; `util` carries the HTTP
    // exchange (and with it the TLS trust settings) the envelope posts through.
    RSAUtility(const CommonUtility& util, std::string servicePublicKeyPem);

    // Enveloped POSTs. The result is the transport's (0 whenever a request went out); a
    // failed exchange or decryption leaves dataOut unwritten.
    int httpPubKeyEncPost(const std::string& url, const StringMap& postParams,
                          std::optional<std::string>& dataOut) const;
    int httpAesEncPost(const std::string& url, const Bytes& aesKey, const StringMap& postParams,
                       std::optional<std::string>& dataOut) const;

    // One value in the public-key envelope: base64 of one 256-byte block, "" when the value
    // is empty or cannot be encrypted (over 245 bytes, unusable key).
    std::string encryptAndB64WithPublicKey(std::string_view text) const;
    [[nodiscard]] int encryptWithPublicKey(const Bytes& dataIn, Bytes& dataOut) const;
    // Answers: 256-byte blocks with type-1 padding; blocks that fail are skipped.
    std::optional<Bytes> decryptWithPublicKey(const Bytes& dataIn) const;
    [[nodiscard]] int decryptWithPublicKey(const Bytes& dataIn, Bytes& dataOut) const;

    // The session envelope: AES-128-CBC, key = first 16 key bytes, fixed IV.
    std::string encryptAndB64WithAes(const Bytes& aesKey, std::string_view text) const;
    [[nodiscard]] int encryptWithAes(const Bytes& aesKey, const Bytes& dataIn,
                                     Bytes& dataOut) const;
    std::optional<Bytes> decryptWithAes(const Bytes& aesKey, const Bytes& dataIn) const;
    [[nodiscard]] int decryptWithAes(const Bytes& aesKey, const Bytes& dataIn,
                                     Bytes& dataOut) const;

  private:
    template <typename Encrypt, typename Decrypt>
    int envelopedPost(const std::string& url, const StringMap& postParams,
                      std::optional<std::string>& dataOut, Encrypt encrypt, Decrypt decrypt) const;

    const CommonUtility& util_;
    std::string servicePublicKeyPem_;
};
