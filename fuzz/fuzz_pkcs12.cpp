// A PFX file as a customer or another program may hand it over, opened with a fixed password:
// its certificate information, the browser's PKCS#12 form, and a PKCS#7 signature with it.
// The first byte's low bit asks for the data to get a fresh MAC under the password first,
// so that changes inside the structure get past the MAC check to the parser.
#include <openssl/err.h>
#include <openssl/pkcs12.h>

#include "FuzzDesktop.h"
#include "crypto/RSAUtility.h"

namespace {

constexpr const char* kPassword = "fuzz";

Bytes withFreshMac(const Bytes& der) {
    const unsigned char* p = der.data();
    ossl::Pkcs12 p12(d2i_PKCS12(nullptr, &p, static_cast<long>(der.size())));
    unsigned char* out = nullptr;
    int length = 0;
    if (!p12 || PKCS12_set_mac(p12.get(), kPassword, -1, nullptr, 0, 1, EVP_sha1()) != 1 ||
        (length = i2d_PKCS12(p12.get(), &out)) <= 0) {
        ERR_clear_error();
        return der;
    }
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
    return Bytes(out, out + length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    CommonUtility util(fuzz::desktop(), nullptr);
    RSAUtility rsa(util);
    Bytes der(data + 1, data + size);
    if (data[0] & 1) der = withFreshMac(der);
    const std::string path = fuzz::desktop().homePath() + "/fuzz.pfx";
    util.removeFile(path);
    if (!der.empty() && !util.saveFile(path, der)) fuzz::fail("cannot write the PFX file");

    std::string b64Cert, b64P12;
    StringMap certInfo;
    const int loaded = rsa.loadPfx(path, kPassword, b64Cert, b64P12, certInfo);
    if (rsa.checkPfxFile(path, kPassword, "", "") != loaded && loaded != 1) {
        fuzz::fail("the check and the load disagree");
    }
    if (loaded == 0) {
        Bytes signature;
        rsa.signPKCS7(path, kPassword, Bytes{'c', 's', 'r'}, signature);
    }
    ERR_clear_error();
    return 0;
}
