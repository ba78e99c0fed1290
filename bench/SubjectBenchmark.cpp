// Subject parsing on long runs of blanks, where the former pattern took quadratic time, beside
// a typical subject. The fitted complexity printed for the blanks should be O(N). Run on a
// release build: scripts/bench.sh --benchmark_filter=Subject
#include <benchmark/benchmark.h>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"

namespace {

void parse(benchmark::State& state, const std::string& subject) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    RSAUtility rsa(util);
    for (auto _ : state) {
        if (!rsa.parseSubject(subject)) {
            state.SkipWithError("no subject");
            break;
        }
    }
}

void BM_SubjectTypical(benchmark::State& state) {
    parse(state, "CN=A123456789-00, OU=RA, O=Test Bank, L=Taipei, S=Taiwan, C=TW");
}
BENCHMARK(BM_SubjectTypical)->Unit(benchmark::kMicrosecond);

// "CN=A," then N blanks then "OU=B".
void BM_SubjectBlanks(benchmark::State& state) {
    parse(state, "CN=A," + std::string(static_cast<std::size_t>(state.range(0)), ' ') + "OU=B");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SubjectBlanks)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
