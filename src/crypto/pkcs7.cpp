#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"

using namespace crypto_result;

namespace {

std::string trim(const std::string& text) {
    const char* blanks = " \t\n\r\f\v";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The blanks of ICU's "\s" (Unicode White_Space: tab to carriage return, U+0085 and \p{Z}) in
// UTF-8: the length of the one ending just before `end`, or 0.
std::size_t blankBefore(const std::string& text, std::size_t end) {
    if (end == 0) return 0;
    const unsigned char c = static_cast<unsigned char>(text[end - 1]);
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    auto endsWith = [&](std::string_view blank) {
        return end >= blank.size() && text.compare(end - blank.size(), blank.size(), blank) == 0;
    };
    if (endsWith("\xc2\x85") || endsWith("\xc2\xa0")) return 2;  // U+0085, U+00A0
    for (std::string_view blank : {"\xe1\x9a\x80", "\xe2\x80\xaf", "\xe2\x81\x9f", "\xe3\x80\x80",
                                   "\xe2\x80\xa8", "\xe2\x80\xa9"}) {
        if (endsWith(blank)) return 3;  // U+1680, U+202F, U+205F, U+3000, U+2028, U+2029
    }
    if (end >= 3 && text.compare(end - 3, 2, "\xe2\x80") == 0 &&
        static_cast<unsigned char>(text[end - 1]) >= 0x80 &&
        static_cast<unsigned char>(text[end - 1]) <= 0x8a) {
        return 3;  // U+2000 to U+200A
    }
    return 0;
}

std::size_t blankAt(const std::string& text, std::size_t at) {
    for (std::size_t length = 1; length <= 3 && at + length <= text.size(); ++length) {
        if (blankBefore(text, at + length) == length) return length;
    }
    return 0;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
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

// The pattern "^(\s*(.+)\s*,\s*)?([a-zA-Z]+)\s*=\s*([^=]+)\s*$" applied pass by pass, written
// out by hand: each pass peels the last name=value pair off the end. The value is what
// follows the last "=" (blanks after the "=" dropped), the name the letters before it;
// between the name and the comma before it there may be blanks only, and what comes before
// the comma (without its leading blanks) is the rest for the next pass. Every character is
// looked at a bounded number of times; the pattern took seconds on long runs of blanks.
std::optional<StringMap> RSAUtility::parseSubject(const std::optional<std::string>& subject) const {
    if (!subject || subject->empty()) return std::nullopt;
    StringMap parsed;
    const std::string text = trim(*subject);
    std::size_t start = 0, end = text.size();  // the rest: text[start, end)
    while (start < end) {
        const std::size_t equals = text.rfind('=', end - 1);
        if (equals == std::string::npos || equals < start || equals + 1 >= end) return std::nullopt;
        std::size_t valueStart = equals + 1;
        while (std::size_t blank = valueStart < end ? blankAt(text, valueStart) : 0) {
            valueStart += blank;
        }
        if (valueStart >= end) valueStart = end - blankBefore(text, end);  // blanks only
        std::size_t nameEnd = equals;
        while (std::size_t blank = nameEnd > start ? blankBefore(text, nameEnd) : 0) {
            nameEnd -= blank;
        }
        std::size_t nameStart = nameEnd;
        while (nameStart > start && isLetter(text[nameStart - 1])) --nameStart;
        if (nameStart == nameEnd) return std::nullopt;  // no name before the "="
        parsed[text.substr(nameStart, nameEnd - nameStart)] =
            text.substr(valueStart, end - valueStart);
        if (nameStart == start) break;  // the first pair
        std::size_t before = nameStart;
        while (std::size_t blank = before > start ? blankBefore(text, before) : 0) before -= blank;
        // Before the name: a comma, with at least one character before it.
        if (before <= start + 1 || text[before - 1] != ',') return std::nullopt;
        const std::size_t comma = before - 1;
        std::size_t next = start;  // the rest starts after its leading blanks, keeping one
        while (std::size_t blank = next < comma ? blankAt(text, next) : 0) next += blank;
        if (next == comma) next = comma - blankBefore(text, comma);
        start = next;
        end = comma;
        auto ascii = [](char c) {
            return std::string_view(" \t\n\r\f\v").find(c) != std::string_view::npos;
        };
        while (start < end && ascii(text[start])) ++start;
        while (end > start && ascii(text[end - 1])) --end;
    }
    return parsed;
}

bool RSAUtility::cmpSubject(const std::string& subject1, const std::string& subject2) const {
    auto first = parseSubject(subject1);
    auto second = parseSubject(subject2);
    if (!first || !second || first->empty() || second->empty()) return false;
    return *first == *second;
}
