#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer for a while: scripts/fuzz.sh TARGET SECONDS
# (targets: answer pkcs12 certificate properties subject template). Builds with clang in
# build/fuzz, starts from the committed corpus in fuzz/corpus/TARGET plus what earlier runs
# found (build/fuzz/corpus/TARGET), and leaves crashing inputs in build/fuzz/artifacts/TARGET.
# The test command replays the committed corpora on every run; to keep an input a run found,
# copy it into fuzz/corpus/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
    echo "usage: $0 TARGET SECONDS" >&2
    exit 2
fi
target=$1
seconds=$2
source scripts/deps.sh
NORVALE_PACKAGES+=(clang-14 libclang-rt-14-dev)
install_missing_packages

CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNORVALE_FUZZ=ON -DNORVALE_TESTS=OFF
cmake --build build/fuzz --target "fuzz_$target"

corpus=build/fuzz/corpus/$target
artifacts=build/fuzz/artifacts/$target
mkdir -p "$corpus" "$artifacts"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# -timeout: one input taking seconds is a finding (a parser that backtracks); -rss_limit_mb:
# so is one needing gigabytes.
exec "build/fuzz/fuzz/fuzz_$target" "$corpus" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$artifacts/" -print_final_stats=1
