// The private key cache lookup against the PKCS#12 build it used to repeat for every cached
// key. Run on a release build: build/release/bench/crypto_benchmarks
#include <benchmark/benchmark.h>

#include <memory>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

// One customer certificate, its key, and a pool of unrelated keys to fill the cache with.
struct Material {
    TestPki pki;
    std::string certB64;
    std::string keyPem;
    std::vector<std::string> staleKeys;

    Material() {
        std::string keyPath;
        const std::string cert = pki.issue(pki.newRequest("/CN=A123456789-00", keyPath), "0x10");
        certB64 = pki.certBase64(cert);
        keyPem = text(keyPath);
        for (int i = 0; i < 10; ++i) {
            const std::string path = pki.file("stale" + std::to_string(i) + ".key");
            OpensslTool::run(
                {"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", path});
            staleKeys.push_back(text(path));
        }
    }
    static std::string text(const std::string& path) {
        auto bytes = OpensslTool::readFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
};

Material& material() {
    static Material m;
    return m;
}

void BM_CacheLookup(benchmark::State& state) {
    auto& m = material();
    FakeDesktop desktop;
    CommonUtility util(desktop);
    RSAUtility rsa(util);
    util.checkAndMakeDir(util.getPrivateKeyFolder());
    const int stale = static_cast<int>(state.range(0));
    // Stale keys sort first, so every one of them is read before the match.
    for (int i = 0; i < stale; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "2024010100%07d.p8", i);
        OpensslTool::writeFile(util.getPrivateKeyFolder() + "/" + name,
                               m.staleKeys[static_cast<std::size_t>(i) % m.staleKeys.size()]);
    }
    OpensslTool::writeFile(util.getPrivateKeyFolder() + "/20991231235959999.p8", m.keyPem);
    const std::string pfx = desktop.homePath() + "/out.pfx";
    std::string errMsg;
    for (auto _ : state) {
        if (rsa.exportP12ToFile(m.certB64, std::nullopt, pfx, "pw", errMsg) != 0) {
            state.SkipWithError("lookup failed");
            break;
        }
    }
    state.counters["staleKeys"] = stale;
}
BENCHMARK(BM_CacheLookup)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The work the lookup no longer does per stale key: one PKCS#12 build and write.
void BM_Pkcs12Build(benchmark::State& state) {
    auto& m = material();
    FakeDesktop desktop;
    CommonUtility util(desktop);
    RSAUtility rsa(util);
    const std::string pfx = desktop.homePath() + "/out.pfx";
    std::string errMsg;
    for (auto _ : state) {
        if (rsa.exportP12ToFile(m.certB64, m.keyPem, pfx, "pw", errMsg) != 0) {
            state.SkipWithError("build failed");
            break;
        }
    }
}
BENCHMARK(BM_Pkcs12Build)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
