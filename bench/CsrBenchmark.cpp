// A key pair and request through createCSR, beside the same two steps done directly. RSA key
// generation takes as long as the prime search happens to, so both sides draw their random
// numbers from the same seeded sequence: iteration i of each makes the same key.
#define OPENSSL_SUPPRESS_DEPRECATED  // RAND_METHOD is the one way to seed key generation
#include <benchmark/benchmark.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <cstdint>

#include "Paired.h"
#include "RatioReporter.h"
#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"

namespace {

constexpr int kKeys = 8;

// splitmix64: plenty for choosing primes in a benchmark, and nothing else uses it.
std::uint64_t g_state = 0;

int seededBytes(unsigned char* buf, int num) {
    for (int i = 0; i < num; ++i) {
        if (i % 8 == 0) {
            g_state += 0x9e3779b97f4a7c15ULL;
        }
        std::uint64_t z = g_state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        buf[i] = static_cast<unsigned char>(z >> (8 * (i % 8)));
    }
    return 1;
}
int seededStatus() {
    return 1;
}
const RAND_METHOD kSeeded = {nullptr, seededBytes, nullptr, nullptr, seededBytes, seededStatus};

// Installs the seeded source for one benchmark run and restores the system's afterwards.
struct SeededRandom {
    SeededRandom() { RAND_set_rand_method(&kSeeded); }
    ~SeededRandom() { RAND_set_rand_method(nullptr); }
    void seed(std::uint64_t value) { g_state = value * 0x2545f4914f6cdd1dULL; }
};

bool generateAndSignDirectly() {
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* raw = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), 2048) != 1 ||
        EVP_PKEY_generate(ctx.get(), &raw) != 1) {
        return false;
    }
    ossl::Pkey key(raw);
    ossl::X509Req request(X509_REQ_new());
    const auto* cn = reinterpret_cast<const unsigned char*>("A123456789-00");
    return X509_NAME_add_entry_by_NID(X509_REQ_get_subject_name(request.get()), NID_commonName,
                                      MBSTRING_ASC, cn, -1, -1, 0) == 1 &&
           X509_REQ_set_pubkey(request.get(), key.get()) == 1 &&
           X509_REQ_sign(request.get(), key.get(), EVP_sha256()) > 0;
}

// Both sides of a pair draw the same numbers, so both make the same key.
void BM_CreateCsr(benchmark::State& state) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    RSAUtility rsa(util);
    SeededRandom random;
    std::uint64_t measuredKey = 0;
    std::uint64_t referenceKey = 0;
    runPaired(
        state,
        [&] {
            random.seed(++measuredKey);
            std::string csr, key;
            return rsa.createCSR("A123456789-00", 2048, csr, key) == 0;
        },
        [&] {
            random.seed(++referenceKey);
            return generateAndSignDirectly();
        });
}
BENCHMARK(BM_CreateCsr)->Iterations(kKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool declared = RatioReporter::declare(
    {"createCSR / EVP_PKEY_generate + X509_REQ_sign (same keys)", "BM_CreateCsr", 1.15});

}  // namespace
