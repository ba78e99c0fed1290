#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>

#include "crypto/RSAUtility.h"

namespace {

// A DER PKCS#12 begins with its outer SEQUENCE and the version 3: a file that does but does
// not decode is a PKCS#12 cut short or damaged, anything else another format.
bool startsLikePkcs12(const Bytes& data) {
    if (data.size() < 5 || data[0] != 0x30) return false;
    std::size_t at = 2;
    if (data[1] & 0x80) at += data[1] & 0x7f;
    return data.size() >= at + 3 && data[at] == 0x02 && data[at + 1] == 0x01 &&
           data[at + 2] == 0x03;
}

// Whether an OpenSSL error says the algorithm is missing rather than the data wrong.
bool unsupported(unsigned long error) {
    if (ERR_GET_REASON(error) == ERR_R_UNSUPPORTED) return true;
    if (ERR_GET_LIB(error) == ERR_LIB_EVP) {
        switch (ERR_GET_REASON(error)) {
            case EVP_R_UNSUPPORTED_CIPHER:
            case EVP_R_UNKNOWN_CIPHER:
            case EVP_R_UNSUPPORTED_ALGORITHM:
            case EVP_R_UNSUPPORTED_KEY_DERIVATION_FUNCTION:
            case EVP_R_UNSUPPORTED_PRF:
            case EVP_R_UNKNOWN_PBE_ALGORITHM:
            case EVP_R_UNSUPPORTED_KEYLENGTH:
            case EVP_R_UNKNOWN_DIGEST:
                return true;
            default:
                return false;
        }
    }
    return ERR_GET_LIB(error) == ERR_LIB_PKCS12 &&
           ERR_GET_REASON(error) == PKCS12_R_UNKNOWN_DIGEST_ALGORITHM;
}

// Takes the error queue: whether any entry names a missing algorithm.
bool queueSaysUnsupported() {
    bool found = false;
    while (unsigned long error = ERR_get_error()) found = found || unsupported(error);
    return found;
}

}  // namespace

PfxFailure RSAUtility::diagnosePfx(const std::string& pfxFilePath,
                                   const std::string& pfxFilePwd) const {
    auto data = util_.getFile(pfxFilePath);
    if (!data) return PfxFailure::Missing;
    const unsigned char* p = data->data();
    ossl::Pkcs12 p12(d2i_PKCS12(nullptr, &p, static_cast<long>(data->size())));
    if (!p12) {
        ERR_clear_error();
        return startsLikePkcs12(*data) ? PfxFailure::Damaged : PfxFailure::NotPkcs12;
    }
    // A file without its integrity MAC is not one anybody should trust.
    if (PKCS12_mac_present(p12.get()) != 1) return PfxFailure::Damaged;
    const X509_ALGOR* macAlgorithm = nullptr;
    PKCS12_get0_mac(nullptr, &macAlgorithm, nullptr, nullptr, p12.get());
    const ASN1_OBJECT* macDigest = nullptr;
    X509_ALGOR_get0(&macDigest, nullptr, nullptr, macAlgorithm);
    if (EVP_get_digestbyobj(macDigest) == nullptr) return PfxFailure::UnsupportedAlgorithm;
    if (PKCS12_verify_mac(p12.get(), pfxFilePwd.c_str(), -1) != 1) {
        const bool missing = queueSaysUnsupported();
        return missing ? PfxFailure::UnsupportedAlgorithm : PfxFailure::WrongPassword;
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    const int parsed = PKCS12_parse(p12.get(), pfxFilePwd.c_str(), &key, &cert, &chain);
    const ossl::Pkey ownedKey(key);
    const ossl::X509Cert ownedCert(cert);
    const ossl::X509Stack ownedChain(chain);
    if (parsed != 1) {
        return queueSaysUnsupported() ? PfxFailure::UnsupportedAlgorithm : PfxFailure::Damaged;
    }
    // PKCS12_parse takes as the user certificate only the one the key belongs to.
    return key != nullptr && cert != nullptr ? PfxFailure::None : PfxFailure::NoMatchingKey;
}
