#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <unistd.h>

#include <cstdint>

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "util/AtomicFile.h"

namespace {

std::string bioText(BIO* bio) {
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string{};
}

bool isAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// The next 17-digit name after a taken one; the width never changes.
std::string nextStamp(const std::string& stamp) {
    std::string next = stamp;
    for (auto it = next.rbegin(); it != next.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return next;
        }
        *it = '0';
    }
    return next;
}

}  // namespace

int RSAUtility::createCSR(const std::string& cn, int keyLength, std::string& csr,
                          std::string& privateKey) const {
    using namespace crypto_result;
    if (cn.empty()) return kCsrNoCommonName;
    ossl::PkeyCtx keygen(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    if (!keygen) return kCsrNoKeyContainer;
    ossl::X509Req request(X509_REQ_new());
    if (!request) return kCsrNoRequest;

    EVP_PKEY* raw = nullptr;
    ossl::Bignum exponent(BN_new());
    if (!exponent || BN_set_word(exponent.get(), RSA_F4) != 1 ||
        EVP_PKEY_keygen_init(keygen.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_keygen_bits(keygen.get(), keyLength) != 1 ||
        EVP_PKEY_CTX_set1_rsa_keygen_pubexp(keygen.get(), exponent.get()) != 1 ||
        EVP_PKEY_keygen(keygen.get(), &raw) != 1) {
        ERR_clear_error();
        return kCsrNoKeyPair;
    }
    ossl::Pkey key(raw);

    ossl::Bio keyPem(BIO_new(BIO_s_mem()));
    if (!keyPem || PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                            nullptr) != 1) {
        ERR_clear_error();
        return kCsrNoKeyPair;
    }
    std::string keyText = bioText(keyPem.get());
    if (keyText.empty()) return kCsrNoKeyPair;
    privateKey = keyText;

    // A name outside ASCII travels as UTF-8 rather than being refused or mangled.
    const int type = isAscii(cn) ? MBSTRING_ASC : MBSTRING_UTF8;
    X509_NAME* subject = X509_REQ_get_subject_name(request.get());
    if (X509_REQ_set_version(request.get(), 0) != 1 ||
        X509_REQ_set_pubkey(request.get(), key.get()) != 1 ||
        X509_NAME_add_entry_by_NID(subject, NID_commonName, type,
                                   reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1,
                                   0) != 1) {
        ERR_clear_error();
        return kCsrKeyNotSet;
    }
    if (X509_REQ_sign(request.get(), key.get(), EVP_sha256()) <= 0) {
        ERR_clear_error();
        return kCsrNotSigned;
    }
    ossl::Bio requestPem(BIO_new(BIO_s_mem()));
    if (!requestPem || PEM_write_bio_X509_REQ(requestPem.get(), request.get()) != 1) {
        ERR_clear_error();
        return kCsrNoRequest;
    }
    std::string requestText = bioText(requestPem.get());
    if (requestText.empty()) return kCsrNoRequest;
    csr = requestText;

    // A request whose key is not kept would bring a certificate that can never be saved.
    if (!storeInCache(keyText)) {
        util_.log("private key cache write failed");
        return kCsrKeyNotStored;
    }
    return kOk;
}

// Two keys made within one millisecond must not share a file: the later would replace the
// earlier key, and the certificate issued for it could never be saved.
bool RSAUtility::storeInCache(const std::string& privateKey) const {
    const std::string folder = util_.getPrivateKeyFolder();
    util_.checkAndMakeDir(folder);
    const Bytes data(privateKey.begin(), privateKey.end());
    std::string stamp = util_.getCurrentTimeStr("yyyyMMddHHmmssSSS");
    for (int attempt = 0; attempt < 100000; ++attempt, stamp = nextStamp(stamp)) {
        const std::string path = folder + "/" + stamp + ".p8";
        if (access(path.c_str(), F_OK) == 0) continue;  // cheap first look; create() decides
        switch (AtomicFile::create(path, data)) {
            case AtomicFile::Created::Yes:
                return true;
            case AtomicFile::Created::Failed:
                return false;
            case AtomicFile::Created::Exists:
                break;
        }
    }
    return false;
}
