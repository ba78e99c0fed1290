#!/usr/bin/env bash
# Plants each fault of scripts/planted-faults/ (one plausible mistake per layer, in product
# code) in turn, rebuilds the sanitizer build and runs every test: the suite should fail for
# each. Prints one line per fault, "caught by <tests>" or "NOT CAUGHT". Run it before and after
# removing tests; a patch that no longer applies has to be written again for the code as it is.
#
#   scripts/planted-faults.sh [FAULT-FOLDER]
set -uo pipefail
cd "$(dirname "$0")/.."
faults=${1:-scripts/planted-faults}
build=build/sanitize
[ -z "$(git status --porcelain -- src regsvc)" ] || { echo "src/ or regsvc/ has changes" >&2; exit 2; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNORVALE_SANITIZE=ON >/dev/null
ninja -C "$build" >/dev/null || { echo "the clean build fails" >&2; exit 1; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
log=$(mktemp)
planted=""
# An interrupted run must not leave a fault in the product code (rebuild before testing again).
trap '[ -n "$planted" ] && git apply -R "$planted"; rm -f "$log"' EXIT
for patch in "$faults"/*.patch; do
    name=$(basename "$patch" .patch)
    git apply "$patch" || { echo "$name: does not apply"; continue; }
    planted=$patch
    if ! ninja -C "$build" >"$log" 2>&1; then
        echo "$name: does not build"
    elif (cd "$build" && ctest -j "$(nproc)" --timeout 300 >"$log" 2>&1); then
        echo "$name: NOT CAUGHT"
    else
        echo "$name: caught by $(grep -E '^\s+[0-9]+ - ' "$log" | sed -E 's/^\s+[0-9]+ - //; s/ \(.*//; s/  #.*//' | tr '\n' ' ')"
    fi
    git apply -R "$patch"
    planted=""
done
ninja -C "$build" >/dev/null
