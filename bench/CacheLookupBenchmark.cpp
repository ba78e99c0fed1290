// The private key cache lookup per stale key, beside the least such a lookup can do.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "Paired.h"
#include "RatioReporter.h"
#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

// A certificate whose key is not in the cache, and a pool of keys to fill the cache with.
struct Material {
    TestPki pki;
    std::string certB64;
    Bytes modulus;
    std::vector<std::string> staleKeys;

    Material() {
        std::string keyPath;
        const std::string cert = pki.issue(pki.newRequest("/CN=A123456789-00", keyPath), "0x10");
        certB64 = pki.certBase64(cert);
        modulus = modulusOf(cert);
        for (int i = 0; i < 10; ++i) {
            const std::string path = pki.file("stale" + std::to_string(i) + ".key");
            OpensslTool::run(
                {"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", path});
            auto bytes = OpensslTool::readFile(path);
            staleKeys.emplace_back(bytes.begin(), bytes.end());
        }
    }
    static Bytes modulusOf(const std::string& certPath) {
        auto pem = OpensslTool::readFile(certPath);
        ossl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
        ossl::X509Cert cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        BIGNUM* n = nullptr;
        EVP_PKEY_get_bn_param(X509_get0_pubkey(cert.get()), OSSL_PKEY_PARAM_RSA_N, &n);
        ossl::Bignum owned(n);
        Bytes out(static_cast<std::size_t>(BN_num_bytes(n)));
        BN_bn2bin(n, out.data());
        return out;
    }
};

Material& material() {
    static Material m;
    return m;
}

// A home whose key cache holds `count` stale keys.
struct StaleCache {
    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string folder = util.getPrivateKeyFolder();

    explicit StaleCache(int count) {
        util.checkAndMakeDir(folder);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "2024010100%07d.p8", i);
            OpensslTool::writeFile(folder + "/" + name,
                                   material().staleKeys[static_cast<std::size_t>(i) % 10]);
        }
    }
};

// One DER header: steps into (or over) the element, giving its content length.
bool header(const unsigned char*& p, const unsigned char* end, std::size_t& length) {
    if (end - p < 2) return false;
    ++p;
    length = *p++;
    if ((length & 0x80) != 0) {
        int octets = static_cast<int>(length & 0x7f);
        if (octets > 4 || end - p < octets) return false;
        for (length = 0; octets-- > 0;) length = length << 8 | *p++;
    }
    return static_cast<std::size_t>(end - p) >= length;
}

bool skip(const unsigned char*& p, const unsigned char* end) {
    std::size_t length = 0;
    if (!header(p, end, length)) return false;
    p += length;
    return true;
}

// The least a lookup does per cached key: list, read, base64-decode, walk the DER to the
// modulus, compare. Gives the number of files that matched.
int floorScan(const std::string& folder, const Bytes& modulus, int& scanned) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    int matches = 0;
    char text[4096];
    unsigned char body[4096];
    unsigned char der[4096];
    while (dirent* entry = readdir(dir.get())) {
        if (std::strlen(entry->d_name) != 20) continue;
        const int fd = open((folder + "/" + entry->d_name).c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t size = read(fd, text, sizeof text);
        close(fd);
        ++scanned;
        std::size_t n = 0;
        for (ssize_t i = 28; i < size && text[i] != '-'; ++i) {  // after the BEGIN line
            if (text[i] != '\n') body[n++] = static_cast<unsigned char>(text[i]);
        }
        const int decoded = EVP_DecodeBlock(der, body, static_cast<int>(n));
        const unsigned char* p = der;
        const unsigned char* end = der + decoded;
        std::size_t length = 0;
        if (!header(p, end, length) || !skip(p, end) || !skip(p, end) || !header(p, end, length) ||
            !header(p, end, length) || !skip(p, end) || !header(p, end, length)) {
            continue;
        }
        if (length > 0 && *p == 0) ++p, --length;
        matches += length == modulus.size() && std::memcmp(p, modulus.data(), length) == 0;
    }
    return matches;
}

// A lookup for a certificate whose key is not among the `count` cached ones.
void BM_CacheLookupPerStaleKey(benchmark::State& state) {
    auto& m = material();
    const int count = static_cast<int>(state.range(0));
    StaleCache cache(count);
    RSAUtility rsa(cache.util);
    const std::string pfx = cache.desktop.homePath() + "/out.pfx";
    runPaired(
        state, [&] { return rsa.savePfxFile(m.certB64, pfx, "pw") == crypto_result::kPfxNotBuilt; },
        [&] {
            int scanned = 0;
            return floorScan(cache.folder, m.modulus, scanned) == 0 && scanned == count;
        });
}
BENCHMARK(BM_CacheLookupPerStaleKey)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool declared = RatioReporter::declare(
    {"key cache lookup per stale key (1,000) / the floor", "BM_CacheLookupPerStaleKey/1000", 2.0});

}  // namespace
