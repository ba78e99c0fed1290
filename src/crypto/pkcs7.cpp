#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"

using namespace crypto_result;

namespace {

const char* kSubjectPair = "^(\\s*(.+)\\s*,\\s*)?([a-zA-Z]+)\\s*=\\s*([^=]+)\\s*$";

std::string trim(const std::string& text) {
    const char* blanks = " \t\n\r\f\v";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

int RSAUtility::signPKCS7(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                          const Bytes& plainText, Bytes& sign) const {
    ossl::Pkcs12 p12;
    StringMap certInfo;
    if (int rc = loadPfx(pfxFilePath, pfxFilePwd, p12, certInfo); rc != kOk) return rc;
    return signPKCS7(p12.get(), pfxFilePwd, plainText, sign);
}

int RSAUtility::signPKCS7(PKCS12* p12Cert, const std::string& p12CertPwd, const Bytes& plainText,
                          Bytes& sign) const {
    EVP_PKEY* rawKey = nullptr;
    X509* rawCert = nullptr;
    if (p12Cert == nullptr ||
        PKCS12_parse(p12Cert, p12CertPwd.c_str(), &rawKey, &rawCert, nullptr) != 1) {
        ERR_clear_error();
        return kSignCannotOpen;
    }
    ossl::Pkey key(rawKey);
    ossl::X509Cert cert(rawCert);
    if (!key || !cert) return kSignCannotOpen;
    if (X509_check_private_key(cert.get(), key.get()) != 1) {
        ERR_clear_error();
        return kSignKeyMismatch;
    }
    // Signed over the content digest itself (no attributes), the signer's certificate only.
    const int flags = PKCS7_BINARY | PKCS7_NOATTR | PKCS7_PARTIAL;
    ossl::Pkcs7 p7(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, flags));
    ossl::Bio content(BIO_new_mem_buf(plainText.data(), static_cast<int>(plainText.size())));
    unsigned char* der = nullptr;
    int length = 0;
    if (!p7 || !content ||
        PKCS7_sign_add_signer(p7.get(), cert.get(), key.get(), EVP_sha1(), flags) == nullptr ||
        PKCS7_final(p7.get(), content.get(), flags) != 1 ||
        (length = i2d_PKCS7(p7.get(), &der)) <= 0) {
        ERR_clear_error();
        return kSignFailed;
    }
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(der));
    sign.assign(der, der + length);
    return kOk;
}

std::optional<StringMap> RSAUtility::parseSubject(const std::optional<std::string>& subject) const {
    if (!subject || subject->empty()) return std::nullopt;
    StringMap parsed;
    std::string remaining = trim(*subject);
    while (!remaining.empty()) {
        // Text that is not a list of name=value pairs has no map; without this the loop
        // would peel nothing and never end.
        if (!util_.regexMatch(remaining, kSubjectPair)) return std::nullopt;
        parsed[util_.regexReplace(remaining, kSubjectPair, "$3")] =
            util_.regexReplace(remaining, kSubjectPair, "$4");
        remaining = trim(util_.regexReplace(remaining, kSubjectPair, "$2"));
    }
    return parsed;
}

bool RSAUtility::cmpSubject(const std::string& subject1, const std::string& subject2) const {
    auto first = parseSubject(subject1);
    auto second = parseSubject(subject2);
    if (!first || !second || first->empty() || second->empty()) return false;
    return *first == *second;
}
