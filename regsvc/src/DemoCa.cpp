#include "DemoCa.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <vector>

#include "Codec.h"

namespace {

template <typename T, typename Reader>
T readPem(const std::string& path, Reader reader) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return nullptr;
    T value(reader(file, nullptr, nullptr, nullptr));
    std::fclose(file);
    return value;
}

std::string nameEntry(X509_NAME* name, int nid) {
    int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0) return "";
    ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
    unsigned char* utf8 = nullptr;
    int length = ASN1_STRING_to_UTF8(&utf8, data);
    if (length < 0) return "";
    ssl::Buffer owned(utf8);
    return std::string(reinterpret_cast<char*>(utf8), static_cast<std::size_t>(length));
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    ssl::X509Extension ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

}  // namespace

std::optional<DemoCa> DemoCa::load(const std::string& rootCert, const std::string& issuingCert,
                                   const std::string& issuingKey) {
    DemoCa ca;
    ca.root_ = readPem<ssl::X509Cert>(rootCert, PEM_read_X509);
    ca.issuing_ = readPem<ssl::X509Cert>(issuingCert, PEM_read_X509);
    ca.issuingKey_ = readPem<ssl::Pkey>(issuingKey, PEM_read_PrivateKey);
    if (!ca.root_ || !ca.issuing_ || !ca.issuingKey_) return std::nullopt;
    return ca;
}

ssl::X509Req DemoCa::parseRequest(const std::string& body, std::optional<std::string>& cn) {
    std::string compact;
    for (char c : body) {
        if (c != '\n' && c != '\r') compact += c;
    }
    auto der = codec::unbase64(compact);
    if (!der || der->empty()) return nullptr;
    auto* p = reinterpret_cast<const unsigned char*>(der->data());
    ssl::X509Req request(d2i_X509_REQ(nullptr, &p, static_cast<long>(der->size())));
    EVP_PKEY* key = request ? X509_REQ_get0_pubkey(request.get()) : nullptr;
    if (key == nullptr || X509_REQ_verify(request.get(), key) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    X509_NAME* subject = X509_REQ_get_subject_name(request.get());
    if (X509_NAME_entry_count(subject) == 1 &&
        X509_NAME_get_index_by_NID(subject, NID_commonName, -1) == 0) {
        cn = nameEntry(subject, NID_commonName);
    }
    return request;
}

ssl::X509Cert DemoCa::issue(X509_REQ* request, const std::string& cn, uint64_t serial,
                            std::time_t notBefore, std::time_t notAfter) const {
    ssl::X509Cert cert(X509_new());
    X509_NAME* subject = cert ? X509_get_subject_name(cert.get()) : nullptr;
    auto add = [&](const char* field, const std::string& value) {
        return X509_NAME_add_entry_by_txt(subject, field, MBSTRING_UTF8,
                                          reinterpret_cast<const unsigned char*>(value.c_str()), -1,
                                          -1, 0) == 1;
    };
    bool ok =
        cert && X509_set_version(cert.get(), 2) == 1 &&
        ASN1_INTEGER_set_uint64(X509_get_serialNumber(cert.get()), serial) == 1 &&
        X509_time_adj_ex(X509_getm_notBefore(cert.get()), 0, 0, &notBefore) != nullptr &&
        X509_time_adj_ex(X509_getm_notAfter(cert.get()), 0, 0, &notAfter) != nullptr &&
        add("C", "TW") && add("O", "Norvale Securities DEMO") && add("OU", "RA") && add("CN", cn) &&
        X509_set_issuer_name(cert.get(), X509_get_subject_name(issuing_.get())) == 1 &&
        X509_set_pubkey(cert.get(), X509_REQ_get0_pubkey(request)) == 1 &&
        addExtension(cert.get(), issuing_.get(), NID_basic_constraints, "critical,CA:FALSE") &&
        addExtension(cert.get(), issuing_.get(), NID_key_usage,
                     "critical,digitalSignature,keyEncipherment") &&
        addExtension(cert.get(), issuing_.get(), NID_ext_key_usage, "clientAuth") &&
        X509_sign(cert.get(), issuingKey_.get(), EVP_sha256()) > 0;
    if (!ok) {
        ERR_clear_error();
        return nullptr;
    }
    return cert;
}

bool DemoCa::verifyRenewal(const std::string& signature, const std::string& content,
                           X509* signer) const {
    auto* p = reinterpret_cast<const unsigned char*>(signature.data());
    ssl::Pkcs7 p7(d2i_PKCS7(nullptr, &p, static_cast<long>(signature.size())));
    ssl::X509Store store(X509_STORE_new());
    ssl::Bio out(BIO_new(BIO_s_mem()));
    // Customer certificates are for client authentication, not S/MIME: check the chain only.
    // The signature carries only the signer's certificate: the store has the whole chain.
    if (!p7 || !store || !out || X509_STORE_add_cert(store.get(), root_.get()) != 1 ||
        X509_STORE_add_cert(store.get(), issuing_.get()) != 1 ||
        X509_STORE_set_purpose(store.get(), X509_PURPOSE_ANY) != 1) {
        ERR_clear_error();
        return false;
    }
    if (PKCS7_verify(p7.get(), nullptr, store.get(), nullptr, out.get(), PKCS7_BINARY) != 1) {
        ERR_clear_error();
        return false;
    }
    char* data = nullptr;
    long length = BIO_get_mem_data(out.get(), &data);
    if (length < 0 || std::string(data, static_cast<std::size_t>(length)) != content) return false;
    ssl::X509StackView signers(PKCS7_get0_signers(p7.get(), nullptr, 0));
    return signers && sk_X509_num(signers.get()) == 1 &&
           X509_cmp(sk_X509_value(signers.get(), 0), signer) == 0;
}

std::string DemoCa::certificateText(X509* cert, bool withChain) const {
    if (!withChain) return codec::base64(der(cert));
    ssl::Pkcs7 p7(PKCS7_new());
    bool ok = p7 && PKCS7_set_type(p7.get(), NID_pkcs7_signed) == 1 &&
              PKCS7_content_new(p7.get(), NID_pkcs7_data) == 1 &&
              PKCS7_add_certificate(p7.get(), root_.get()) == 1 &&
              PKCS7_add_certificate(p7.get(), issuing_.get()) == 1 &&
              PKCS7_add_certificate(p7.get(), cert) == 1;
    unsigned char* out = nullptr;
    int length = ok ? i2d_PKCS7(p7.get(), &out) : -1;
    if (length <= 0) {
        ERR_clear_error();
        return "";
    }
    ssl::Buffer owned(out);
    return codec::base64(
        std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(length)));
}

std::string DemoCa::issuerText() const {
    X509_NAME* name = X509_get_subject_name(issuing_.get());
    return "C=" + nameEntry(name, NID_countryName) +
           ", O=" + nameEntry(name, NID_organizationName) +
           ", CN=" + nameEntry(name, NID_commonName);
}

std::string DemoCa::der(X509* cert) {
    unsigned char* out = nullptr;
    int length = i2d_X509(cert, &out);
    if (length <= 0) return "";
    ssl::Buffer owned(out);
    return std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(length));
}

ssl::X509Cert DemoCa::fromDer(const std::string& der) {
    auto* p = reinterpret_cast<const unsigned char*>(der.data());
    return ssl::X509Cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
}
