#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/CertificateInput.h"
#include "crypto/PfxFailure.h"
#include "crypto/PfxProtection.h"
#include "crypto/ossl.h"
#include "util/CommonUtility.h"
#include "util/Types.h"

// The certificate cryptography of the client: key pairs and requests with the private key
// cache, PFX (PKCS#12) files and the certificate information read from them, PKCS#7 signing,
// subject comparison, and the request envelope of the registration service. Results are the
// codes of crypto/CryptoResult.h.
class RSAUtility {
  public:
    // `servicePublicKeyPem`: the service's "PUBLIC KEY" PEM block (only the envelope needs
    // it); `util` carries files, the desktop and the HTTP exchange with its TLS trust.
    explicit RSAUtility(const CommonUtility& util, const std::string& servicePublicKeyPem = {});
    // The service's key as readServiceKey gave it: read once, shared by every call.
    RSAUtility(const CommonUtility& util, std::shared_ptr<EVP_PKEY> serviceKey);
    // Null when the text holds no public key.
    static std::shared_ptr<EVP_PKEY> readServiceKey(const std::string& servicePublicKeyPem);

    // --- Key pair, request and private key cache ---

    // A new RSA key pair and a SHA-256 signed request for the one CN; the PKCS#8 PEM key is
    // also kept in the private key cache under a fresh 17-digit time stamp name. 52713 when
    // it cannot be kept there: the request must then not be sent.
    int createCSR(const std::string& cn, int keyLength, std::string& csr,
                  std::string& privateKey) const;

    // --- PFX writers; without a key the private key cache is searched ---
    // Every written file is read back by NSS before it replaces the previous one: 52115 when
    // that reading fails, and the previous file stays as it was.

    int exportP12ToFile(const std::string& b64Cert, const std::optional<std::string>& b64PrivateKey,
                        const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        std::string& errMsg) const;
    int savePfxFile(const std::string& b64Cert, const std::string& b64PrivateKey,
                    const std::string& pfxFilePath, const std::string& pfxFilePwd) const;
    int savePfxFile(const std::string& b64Cert, const std::string& pfxFilePath,
                    const std::string& pfxFilePwd) const;
    // `userCert`: the certificate the file must hold with its key.
    int savePfxFile(PKCS12* pkcs12, const std::string& pfxFilePath, const std::string& pfxFilePwd,
                    X509* userCert) const;
    // The backup copy: the file's own bytes, once it opens with the password, read back at
    // the target like every other write.
    int copyPfxFile(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                    const std::string& targetPath) const;
    // Writes with other algorithms than the customary ones; for tests only.
    void setPfxProtection(const PfxProtection& protection) { protection_ = protection; }

    // --- PFX readers ---

    int loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd, ossl::Pkcs12& pkcs12,
                StringMap& certInfo) const;
    int loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                StringMap& certInfo) const;
    // Also the certificate (base64 DER) and the file re-protected for a browser import under
    // the certificate's user ID (base64 DER PKCS#12).
    int loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                std::string& b64X509Cert, std::string& b64P12Cert, StringMap& certInfo) const;
    // Issuer and serial take no part: the caller compares them with what the load gave.
    int checkPfxFile(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                     const std::string& certIssuer, const std::string& certHexSerial) const;
    // Why the file does not open with the password (None when it does); run after a reader
    // failed, to tell the customer the cause.
    PfxFailure diagnosePfx(const std::string& pfxFilePath, const std::string& pfxFilePwd) const;
    // Re-protects the file in place and records path and new password in the properties store;
    // 52113 when the file changed but the store could not be written.
    int changePwd(const std::string& pfxFilePath, const std::string& pfxFileOldPwd,
                  const std::string& pfxFileNewPwd) const;

    // --- Certificate fields ---

    StringMap getCertInfo(X509* cert) const;
    std::string getX509NamePart(const X509_NAME* name, int nid) const;
    std::string getCertUserIdFromCn(const std::string& cn) const;
    std::optional<std::string> asn1TimeToLocalTimeStr(const ASN1_TIME* time) const;

    // --- PKCS#7 signing (SHA-1, no signed attributes, content embedded) and subjects ---

    int signPKCS7(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                  const Bytes& plainText, Bytes& sign) const;
    int signPKCS7(PKCS12* p12Cert, const std::string& p12CertPwd, const Bytes& plainText,
                  Bytes& sign) const;
    // Attribute name to value; nothing for an absent, empty or unreadable subject.
    std::optional<StringMap> parseSubject(const std::optional<std::string>& subject) const;
    bool cmpSubject(const std::string& subject1, const std::string& subject2) const;

    // --- Request envelope ---

    // Enveloped POSTs. The result is the transport's (0 whenever a request went out); a
    // failed exchange or decryption leaves dataOut unwritten. A session key under 16 bytes
    // sends nothing and gives 1.
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
    ossl::Pkcs12 buildPkcs12(const std::string& password, const std::string& friendlyName,
                             EVP_PKEY* key, X509* cert, STACK_OF(X509)* chain) const;
    // The PKCS#12 of the cached key that belongs to the certificate; `triedAny` tells
    // whether any cache file had text to try.
    ossl::Pkcs12 buildFromCache(const CertificateInput& input, const std::string& password,
                                const std::vector<std::string>& candidates, bool& triedAny) const;
    struct PfxContents;
    int openPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd, ossl::Pkcs12& pkcs12,
                PfxContents& contents) const;
    int writeReadBack(const std::string& pfxFilePath, const Bytes& der,
                      const std::string& pfxFilePwd, X509* userCert) const;
    std::optional<CertificateInput> decodeCertificate(const std::string& b64Cert) const;
    std::vector<std::string> cacheCandidates() const;
    bool storeInCache(const std::string& privateKey) const;

    template <typename Encrypt, typename Decrypt>
    int envelopedPost(const std::string& url, const StringMap& postParams,
                      std::optional<std::string>& dataOut, Encrypt encrypt, Decrypt decrypt) const;

    const CommonUtility& util_;
    std::shared_ptr<EVP_PKEY> serviceKey_;  // never changed once read
    PfxProtection protection_ = PfxProtection::customary();
};
