#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
# Chromium renders the deployment page the client writes, as a customer's browser would.
install_missing_packages chromium

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNORVALE_SANITIZE=ON
cmake --build build/sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/sanitize
# A hung test fails on its own instead of holding the whole run.
ctest --output-on-failure --timeout 300 -j "$(nproc)"
