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

# The package as Debian's tools see it: lintian on the .deb of a release build, appstreamcli
# on the software-centre metadata. Only where the tools are (deps.sh installs both).
cd ../..
if command -v lintian >/dev/null && command -v appstreamcli >/dev/null; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_TESTS=OFF
    cmake --build build/release
    rm -f build/release/norvale-cert-client_*.deb
    (cd build/release && cpack -G DEB)
    lintian --fail-on error,warning build/release/norvale-cert-client_*.deb
    appstreamcli validate --no-net packaging/tw.norvale.certclient.metainfo.xml
fi
