#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

// Runs the measured step and its reference in turn, alternating which goes first, so that a
// burst of load elsewhere on a shared machine falls on both. Each step returns false when it
// failed. Leaves in the counters each side's time per iteration and their ratio, which
// RatioReporter reads.
template <typename Measured, typename Reference>
void runPaired(benchmark::State& state, Measured measured, Reference reference) {
    using Clock = std::chrono::steady_clock;
    std::chrono::duration<double> measuredTime{0};
    std::chrono::duration<double> referenceTime{0};
    auto timed = [](auto& step, std::chrono::duration<double>& total) {
        const auto start = Clock::now();
        const bool ok = step();
        total += Clock::now() - start;
        return ok;
    };
    bool measuredFirst = true;
    for (auto _ : state) {
        const bool ok = measuredFirst
                            ? timed(measured, measuredTime) && timed(reference, referenceTime)
                            : timed(reference, referenceTime) && timed(measured, measuredTime);
        if (!ok) {
            state.SkipWithError("a step failed");
            return;
        }
        measuredFirst = !measuredFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["measured_ms"] = measuredTime.count() * 1e3 / n;
    state.counters["reference_ms"] = referenceTime.count() * 1e3 / n;
    state.counters["ratio"] = measuredTime.count() / referenceTime.count();
}
