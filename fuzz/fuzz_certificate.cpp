// The certificate the service issues: one DER X.509 certificate or a PKCS#7 bundle (what
// "//Root/cert" holds after base64), split into the user's certificate and the chain, its
// fields read, and a PFX made with it and a fixed key (seeds carry certificates of that key,
// so that changed names and dates reach the PKCS#12 writer).
#include <openssl/err.h>

#include "FuzzDesktop.h"
#include "crypto/RSAUtility.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string key = fuzz::fuzzFile("fuzz-key.pem");
    CommonUtility util(fuzz::desktop(), nullptr);
    RSAUtility rsa(util);
    const Bytes der(data, data + size);
    if (auto input = CertificateInput::decode(der)) {
        if (!input->user) fuzz::fail("a decoded input without a user certificate");
        rsa.getCertInfo(input->user.get());
        if (input->chain) {
            for (int i = 0; i < sk_X509_num(input->chain.get()); ++i) {
                rsa.getCertInfo(sk_X509_value(input->chain.get(), i));
            }
        }
    }
    const std::string path = fuzz::desktop().homePath() + "/issued.pfx";
    std::string errMsg;
    if (rsa.exportP12ToFile(util.base64Encode(der), key, path, "fuzz", errMsg) == 0) {
        StringMap certInfo;
        if (rsa.loadPfx(path, "fuzz", certInfo) != 0) fuzz::fail("a written PFX does not open");
    }
    ERR_clear_error();
    return 0;
}
