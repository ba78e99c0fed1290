#include <openssl/err.h>
#include <openssl/x509.h>

#include <cstdint>
#include <ctime>

#include "crypto/RSAUtility.h"
#include "util/TextCodec.h"

namespace {

std::string hexNoLeadingZeros(const std::string& hex) {
    auto first = hex.find_first_not_of('0');
    return first == std::string::npos ? "0" : hex.substr(first);
}

// Up to 8 bytes: the value as a signed 64-bit number, a negative one in two's complement.
// Longer serials are printed in full; reading them as one fixed value would make different
// certificates compare equal.
std::string serialText(const ASN1_INTEGER* serial) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const unsigned char* data = ASN1_STRING_get0_data(serial);
    const int length = ASN1_STRING_length(serial);
    const bool negative = ASN1_STRING_type(serial) == V_ASN1_NEG_INTEGER;
    std::string hex;
    if (length <= 8 && negative) {
        uint64_t magnitude = 0;
        for (int i = 0; i < length; ++i) magnitude = (magnitude << 8) | data[i];
        uint64_t value = ~magnitude + 1;
        for (int shift = 60; shift >= 0; shift -= 4) hex += digits[(value >> shift) & 0xf];
        return hexNoLeadingZeros(hex);
    }
    for (int i = 0; i < length; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 0xf];
    }
    return (negative ? "-" : "") + hexNoLeadingZeros(hex);
}

}  // namespace

std::string RSAUtility::getX509NamePart(const X509_NAME* name, int nid) const {
    if (name == nullptr) return "";
    int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0) return "";
    ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
    if (data == nullptr) return "";
    std::string raw(reinterpret_cast<const char*>(ASN1_STRING_get0_data(data)),
                    static_cast<std::size_t>(ASN1_STRING_length(data)));
    if (TextCodec::isValidUtf8(raw)) return raw;
    // BMPString and the like: let OpenSSL convert them rather than show raw bytes.
    unsigned char* utf8 = nullptr;
    int length = ASN1_STRING_to_UTF8(&utf8, data);
    if (length < 0) {
        ERR_clear_error();
        return "";
    }
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(utf8));
    return std::string(owned.get(), static_cast<std::size_t>(length));
}

std::string RSAUtility::getCertUserIdFromCn(const std::string& cn) const {
    return util_.regexReplace(cn, "^([a-zA-Z0-9]+)([^a-zA-Z0-9].*)?$", "$1");
}

std::optional<std::string> RSAUtility::asn1TimeToLocalTimeStr(const ASN1_TIME* time) const {
    // ASN1_TIME_to_tm would read a null time as the current one.
    std::tm utc{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &utc) != 1) return std::nullopt;
    // No certificate is dated 1900 or earlier: such a time is a placeholder or a fault.
    if (utc.tm_year <= 0) return std::nullopt;
    const time_t moment = timegm(&utc);
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) return std::nullopt;
    char out[32];
    if (std::strftime(out, sizeof out, "%Y%m%d%H%M%S", &local) != 14) return std::nullopt;
    return std::string(out);
}

StringMap RSAUtility::getCertInfo(X509* cert) const {
    auto dn = [this](const X509_NAME* name) {
        std::string text = "CN=" + getX509NamePart(name, NID_commonName);
        const std::pair<const char*, int> parts[] = {{"OU", NID_organizationalUnitName},
                                                     {"O", NID_organizationName},
                                                     {"L", NID_localityName},
                                                     {"S", NID_stateOrProvinceName},
                                                     {"C", NID_countryName}};
        for (const auto& [label, nid] : parts) {
            std::string value = getX509NamePart(name, nid);
            if (!value.empty()) text += std::string(", ") + label + "=" + value;
        }
        return text;
    };
    const X509_NAME* subject = X509_get_subject_name(cert);
    const std::string cn = getX509NamePart(subject, NID_commonName);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    std::string hash;
    if (X509_digest(cert, EVP_sha1(), digest, &digestLength) == 1) {
        hash = util_.hexEncode(Bytes(digest, digest + digestLength));
    }
    return {{"cn", cn},
            {"certUserId", getCertUserIdFromCn(cn)},
            {"ou", getX509NamePart(subject, NID_organizationalUnitName)},
            {"o", getX509NamePart(subject, NID_organizationName)},
            {"subject", dn(subject)},
            {"serial", serialText(X509_get0_serialNumber(cert))},
            {"notBefore", asn1TimeToLocalTimeStr(X509_get0_notBefore(cert)).value_or("")},
            {"notAfter", asn1TimeToLocalTimeStr(X509_get0_notAfter(cert)).value_or("")},
            {"issuer", dn(X509_get_issuer_name(cert))},
            {"certHash", hash}};
}
