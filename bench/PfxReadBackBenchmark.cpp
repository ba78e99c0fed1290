// The second reading of a written PFX (NSS decodes it, decrypts its key and proves it),
// beside the write it guards: the PKCS#12 built with the customary protection, encoded and
// written atomically.
#include <benchmark/benchmark.h>
#include <openssl/pem.h>

#include "Paired.h"
#include "RatioReporter.h"
#include "crypto/NssPkcs12Check.h"
#include "crypto/OpenSslProviders.h"
#include "crypto/PfxProtection.h"
#include "crypto/ossl.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"
#include "util/CommonUtility.h"

namespace {

struct Material {
    TestPki pki;
    ossl::Pkey key;
    ossl::X509Cert cert;
    Bytes certDer;

    Material() {
        OpenSslProviders::load();  // RC2, which the certificate bags are encrypted with
        std::string keyPath;
        const std::string certPath =
            pki.issue(pki.newRequest("/CN=A123456789-00", keyPath), "0x10");
        const Bytes keyPem = OpensslTool::readFile(keyPath);
        const Bytes certPem = OpensslTool::readFile(certPath);
        ossl::Bio keyBio(BIO_new_mem_buf(keyPem.data(), static_cast<int>(keyPem.size())));
        ossl::Bio certBio(BIO_new_mem_buf(certPem.data(), static_cast<int>(certPem.size())));
        key.reset(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
        cert.reset(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
        unsigned char* out = nullptr;
        const int length = i2d_X509(cert.get(), &out);
        ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
        certDer.assign(out, out + length);
    }
};

// What the writer does before the second reading: build, MAC, encode, write.
bool write(const Material& m, const CommonUtility& util, const std::string& path) {
    const PfxProtection with = PfxProtection::customary();
    ossl::Pkcs12 p12(PKCS12_create("pw", "A123456789-00", m.key.get(), m.cert.get(), nullptr,
                                   with.keyPbe, with.certPbe, with.iterations, -1, 0));
    if (!p12 ||
        PKCS12_set_mac(p12.get(), "pw", -1, nullptr, 0, with.macIterations, EVP_sha1()) != 1) {
        return false;
    }
    unsigned char* out = nullptr;
    const int length = i2d_PKCS12(p12.get(), &out);
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
    return length > 0 && util.saveFile(path, Bytes(out, out + length));
}

void BM_PfxReadBack(benchmark::State& state) {
    static Material m;
    FakeDesktop desktop;
    CommonUtility util(desktop);
    const std::string path = desktop.homePath() + "/a.pfx";
    if (!write(m, util, path)) {
        state.SkipWithError("no PFX written");
        return;
    }
    runPaired(
        state,
        [&] {
            auto written = util.getFile(path);
            return written &&
                   NssPkcs12Check::check(*written, "pw", m.certDer) == NssPkcs12Check::Verdict::Ok;
        },
        [&] { return write(m, util, path); });
}
BENCHMARK(BM_PfxReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool declared =
    RatioReporter::declare({"PFX read back by NSS / the write itself", "BM_PfxReadBack", 0.3});

}  // namespace
