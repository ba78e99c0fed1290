#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include "crypto/CertificateInput.h"
#include "crypto/CryptoResult.h"
#include "crypto/NssPkcs12Check.h"
#include "crypto/PrivateKeyCache.h"
#include "crypto/RSAUtility.h"

using namespace crypto_result;

namespace {

ossl::Pkey readPrivateKey(const std::string& pem) {
    ossl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio) return nullptr;
    // An empty passphrase callback result: an encrypted key is refused, never prompted for.
    ossl::Pkey key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, const_cast<char*>("")));
    if (!key) ERR_clear_error();
    return key;
}

// The common name as a friendly name, which PKCS12_create stores as a BMPString: at most 255
// bytes of UTF-8, cut where a character begins, and without the characters outside the Basic
// Multilingual Plane, which a BMPString cannot hold. Either fault would make PKCS12_create
// refuse the name, and with it the whole file.
std::string friendlyName(const std::string& cn) {
    std::string name;
    for (std::size_t i = 0; i < cn.size();) {
        const unsigned char lead = static_cast<unsigned char>(cn[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        if (length < 4) {
            if (name.size() + length > 255) break;
            name.append(cn, i, length);
        }
        i += length;
    }
    return name;
}

std::string friendlyNameOf(const RSAUtility& rsa, X509* cert) {
    return friendlyName(rsa.getX509NamePart(X509_get_subject_name(cert), NID_commonName));
}

Bytes derOf(PKCS12* p12) {
    unsigned char* out = nullptr;
    int length = i2d_PKCS12(p12, &out);
    if (length <= 0) {
        ERR_clear_error();
        return {};
    }
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
    return Bytes(out, out + length);
}

Bytes derOf(X509* cert) {
    unsigned char* out = nullptr;
    int length = i2d_X509(cert, &out);
    if (length <= 0) {
        ERR_clear_error();
        return {};
    }
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
    return Bytes(out, out + length);
}

}  // namespace

struct RSAUtility::PfxContents {
    ossl::Pkey key;
    ossl::X509Cert cert;
    ossl::X509Stack chain;
};

// Reads, checks and opens a PFX file once; the readers and the re-protection share it.
int RSAUtility::openPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        ossl::Pkcs12& pkcs12, PfxContents& contents) const {
    auto data = util_.getFile(pfxFilePath);
    if (!data || data->empty()) return kFailed;
    const unsigned char* p = data->data();
    ossl::Pkcs12 p12(d2i_PKCS12(nullptr, &p, static_cast<long>(data->size())));
    if (!p12) {
        ERR_clear_error();
        return kPfxNotPkcs12;
    }
    pkcs12 = std::move(p12);
    if (PKCS12_verify_mac(pkcs12.get(), pfxFilePwd.c_str(), -1) != 1) {
        ERR_clear_error();
        return kPfxWrongPassword;
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    if (PKCS12_parse(pkcs12.get(), pfxFilePwd.c_str(), &key, &cert, &chain) != 1) {
        ERR_clear_error();
        return kPfxCannotOpen;
    }
    contents = {ossl::Pkey(key), ossl::X509Cert(cert), ossl::X509Stack(chain)};
    return contents.cert ? kOk : kPfxCannotOpen;
}

std::optional<CertificateInput> RSAUtility::decodeCertificate(const std::string& b64Cert) const {
    auto der = util_.base64Decode(b64Cert);
    if (!der) return std::nullopt;
    return CertificateInput::decode(*der);
}

ossl::Pkcs12 RSAUtility::buildPkcs12(const std::string& password, const std::string& friendlyName,
                                     EVP_PKEY* key, X509* cert, STACK_OF(X509)* chain) const {
    // Without a key there is no PFX: a certificate alone would be useless to the customer.
    if (key == nullptr || cert == nullptr || X509_check_private_key(cert, key) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    // The MAC is added separately: PKCS12_create would pick OpenSSL 3's default digest.
    const PfxProtection& with = protection_;
    ossl::Pkcs12 p12(PKCS12_create(password.c_str(), friendlyName.c_str(), key, cert, chain,
                                   with.keyPbe, with.certPbe, with.iterations, -1, 0));
    if (!p12 || PKCS12_set_mac(p12.get(), password.c_str(), -1, nullptr, 0, with.macIterations,
                               EVP_sha1()) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return p12;
}

std::vector<std::string> RSAUtility::cacheCandidates() const {
    return PrivateKeyCache(util_).candidates();
}

// Only the key that belongs to the certificate is built into a PKCS#12.
ossl::Pkcs12 RSAUtility::buildFromCache(const CertificateInput& input, const std::string& password,
                                        const std::vector<std::string>& candidates,
                                        bool& triedAny) const {
    auto key = PrivateKeyCache(util_).find(input.user.get(), candidates, triedAny);
    if (!key) return nullptr;
    return buildPkcs12(password, friendlyNameOf(*this, input.user.get()), key.get(),
                       input.user.get(), input.chain.get());
}

int RSAUtility::exportP12ToFile(const std::string& b64Cert,
                                const std::optional<std::string>& b64PrivateKey,
                                const std::string& pfxFilePath, const std::string& pfxFilePwd,
                                std::string& /*errMsg*/) const {
    if (b64Cert.empty()) return kFailed;
    auto input = decodeCertificate(b64Cert);
    if (!input) return kPfxNotBuilt;
    ossl::Pkcs12 p12;
    if (b64PrivateKey && !b64PrivateKey->empty()) {
        auto key = readPrivateKey(*b64PrivateKey);
        p12 = buildPkcs12(pfxFilePwd, friendlyNameOf(*this, input->user.get()), key.get(),
                          input->user.get(), input->chain.get());
    } else {
        const auto candidates = cacheCandidates();
        if (candidates.empty()) return kFailed;
        bool triedAny = false;
        p12 = buildFromCache(*input, pfxFilePwd, candidates, triedAny);
    }
    if (!p12) return kPfxNotBuilt;
    return savePfxFile(p12.get(), pfxFilePath, pfxFilePwd, input->user.get());
}

int RSAUtility::savePfxFile(const std::string& b64Cert, const std::string& b64PrivateKey,
                            const std::string& pfxFilePath, const std::string& pfxFilePwd) const {
    if (b64Cert.empty() || b64PrivateKey.empty() || pfxFilePath.empty()) return kFailed;
    auto input = decodeCertificate(b64Cert);
    if (!input) return kPfxBadCertificate;
    auto key = readPrivateKey(b64PrivateKey);
    auto p12 = buildPkcs12(pfxFilePwd, friendlyNameOf(*this, input->user.get()), key.get(),
                           input->user.get(), input->chain.get());
    if (!p12) return kPfxNotBuilt;
    return savePfxFile(p12.get(), pfxFilePath, pfxFilePwd, input->user.get());
}

int RSAUtility::savePfxFile(const std::string& b64Cert, const std::string& pfxFilePath,
                            const std::string& pfxFilePwd) const {
    const auto candidates = cacheCandidates();
    if (candidates.empty()) return kFailed;
    if (b64Cert.empty() || pfxFilePath.empty()) return kFailed;
    auto input = decodeCertificate(b64Cert);
    if (!input) return kPfxBadCertificate;
    bool triedAny = false;
    auto p12 = buildFromCache(*input, pfxFilePwd, candidates, triedAny);
    if (!p12) return triedAny ? kPfxNotBuilt : kFailed;
    return savePfxFile(p12.get(), pfxFilePath, pfxFilePwd, input->user.get());
}

int RSAUtility::savePfxFile(PKCS12* pkcs12, const std::string& pfxFilePath,
                            const std::string& pfxFilePwd, X509* userCert) const {
    if (pkcs12 == nullptr || userCert == nullptr) return kFailed;
    Bytes der = derOf(pkcs12);
    if (der.empty()) return kFailed;
    return writeReadBack(pfxFilePath, der, pfxFilePwd, userCert);
}

// The bytes that reached the disk are what NSS reads, before they take the file's name.
int RSAUtility::writeReadBack(const std::string& pfxFilePath, const Bytes& der,
                              const std::string& pfxFilePwd, X509* userCert) const {
    const Bytes certDer = derOf(userCert);
    auto verdict = NssPkcs12Check::Verdict::Ok;
    const bool written = util_.saveFile(pfxFilePath, der, [&](const std::string& tempPath) {
        auto onDisk = util_.getFile(tempPath);
        verdict = onDisk ? NssPkcs12Check::check(*onDisk, pfxFilePwd, certDer)
                         : NssPkcs12Check::Verdict::NotDecoded;
        return verdict == NssPkcs12Check::Verdict::Ok;
    });
    if (verdict != NssPkcs12Check::Verdict::Ok) {
        util_.log(std::string("pfx not read back: ") + NssPkcs12Check::name(verdict));
        return kPfxNotReadBack;
    }
    return written ? kOk : kFailed;
}

int RSAUtility::copyPfxFile(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                            const std::string& targetPath) const {
    ossl::Pkcs12 p12;
    PfxContents parts;
    if (int rc = openPfx(pfxFilePath, pfxFilePwd, p12, parts); rc != kOk) return rc;
    auto data = util_.getFile(pfxFilePath);
    if (!data || data->empty()) return kFailed;
    return writeReadBack(targetPath, *data, pfxFilePwd, parts.cert.get());
}

int RSAUtility::loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        ossl::Pkcs12& pkcs12, StringMap& certInfo) const {
    PfxContents contents;
    if (int rc = openPfx(pfxFilePath, pfxFilePwd, pkcs12, contents); rc != kOk) return rc;
    certInfo = getCertInfo(contents.cert.get());
    return kOk;
}

int RSAUtility::loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        StringMap& certInfo) const {
    ossl::Pkcs12 unused;
    return loadPfx(pfxFilePath, pfxFilePwd, unused, certInfo);
}

int RSAUtility::loadPfx(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        std::string& b64X509Cert, std::string& b64P12Cert,
                        StringMap& certInfo) const {
    ossl::Pkcs12 p12;
    PfxContents parts;
    if (int rc = openPfx(pfxFilePath, pfxFilePwd, p12, parts); rc != kOk) return rc;
    certInfo = getCertInfo(parts.cert.get());
    Bytes der = derOf(p12.get());
    if (der.empty()) return kOk;
    b64P12Cert = util_.base64Encode(der);
    // The browser import form: protected by the user ID, which the page tells the customer.
    auto forBrowser = buildPkcs12(certInfo["certUserId"], friendlyName(certInfo["cn"]),
                                  parts.key.get(), parts.cert.get(), parts.chain.get());
    Bytes browserDer = forBrowser ? derOf(forBrowser.get()) : Bytes{};
    if (browserDer.empty()) return kFailed;
    b64P12Cert = util_.base64Encode(browserDer);
    if (Bytes certDer = derOf(parts.cert.get()); !certDer.empty()) {
        b64X509Cert = util_.base64Encode(certDer);
    }
    return kOk;
}

int RSAUtility::checkPfxFile(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                             const std::string& /*certIssuer*/,
                             const std::string& /*certHexSerial*/) const {
    StringMap certInfo;
    return loadPfx(pfxFilePath, pfxFilePwd, certInfo);
}

int RSAUtility::changePwd(const std::string& pfxFilePath, const std::string& pfxFileOldPwd,
                          const std::string& pfxFileNewPwd) const {
    ossl::Pkcs12 p12;
    PfxContents parts;
    if (int rc = openPfx(pfxFilePath, pfxFileOldPwd, p12, parts); rc != kOk) return rc;
    StringMap certInfo = getCertInfo(parts.cert.get());
    auto renewed = buildPkcs12(pfxFileNewPwd, friendlyName(certInfo["cn"]), parts.key.get(),
                               parts.cert.get(), parts.chain.get());
    if (!renewed) return kPfxNotBuilt;
    // Written atomically: this file is often the customer's only copy of the key.
    if (int rc = savePfxFile(renewed.get(), pfxFilePath, pfxFileNewPwd, parts.cert.get());
        rc != kOk) {
        return rc;
    }
    // The file has changed already: a store still holding the old password must be reported,
    // or the next run opens the file with it and fails.
    if (!util_.saveToProperties(certInfo["certUserId"], pfxFilePath, pfxFileNewPwd)) {
        return kPfxPasswordNotRecorded;
    }
    return kOk;
}
