#include "crypto/CertificateInput.h"

#include <openssl/err.h>
#include <openssl/x509v3.h>

namespace {

bool isEndEntity(X509* cert) {
    const uint32_t flags = X509_get_extension_flags(cert);
    return (flags & EXFLAG_BCONS) != 0 && (flags & EXFLAG_CA) == 0;
}

}  // namespace

std::optional<CertificateInput> CertificateInput::decode(const Bytes& der) {
    if (der.empty()) return std::nullopt;
    const unsigned char* p = der.data();
    ossl::X509Cert single(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
    if (single) return CertificateInput{std::move(single), nullptr};
    ERR_clear_error();

    p = der.data();
    ossl::Pkcs7 bundle(d2i_PKCS7(nullptr, &p, static_cast<long>(der.size())));
    if (!bundle || !PKCS7_type_is_signed(bundle.get()) || bundle->d.sign == nullptr ||
        bundle->d.sign->cert == nullptr || sk_X509_num(bundle->d.sign->cert) == 0) {
        ERR_clear_error();
        return std::nullopt;
    }
    STACK_OF(X509)* certs = bundle->d.sign->cert;
    ossl::X509Stack chain(sk_X509_new_null());
    if (!chain) return std::nullopt;
    int userIndex = -1;
    for (int i = sk_X509_num(certs) - 1; i >= 0 && userIndex < 0; --i) {
        if (isEndEntity(sk_X509_value(certs, i))) userIndex = i;
    }
    for (int i = 0; i < sk_X509_num(certs); ++i) {
        if (i == userIndex) continue;
        X509* cert = sk_X509_value(certs, i);
        if (X509_up_ref(cert) != 1) return std::nullopt;
        if (sk_X509_push(chain.get(), cert) <= 0) {
            ossl::X509Cert unowned(cert);  // give the reference back
            return std::nullopt;
        }
    }
    X509* user = sk_X509_value(certs, userIndex < 0 ? 0 : userIndex);
    if (X509_up_ref(user) != 1) return std::nullopt;
    return CertificateInput{ossl::X509Cert(user), std::move(chain)};
}
