#!/usr/bin/env bash
# Builds the benchmarks in a release configuration and runs them. Every figure ends up as a
# ratio to a reference measured in the same run (printed after the usual report); absolute
# times on a shared machine drift, ratios hold. Extra arguments go to the benchmark program,
# e.g. --benchmark_filter=CacheLookup.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages time

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_BENCHMARKS=ON
cmake --build build/bench --target norvale_benchmarks norvale-cert-client minimal_qt_window regsvc
# Repetitions in shuffled order, so that a burst of load elsewhere hits both sides of a ratio.
build/bench/bench/norvale_benchmarks --benchmark_repetitions=5 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true "$@"

# The client's start-up beside a minimal Qt window, both measured in this same run.
scripts/bench-startup.sh build/bench
