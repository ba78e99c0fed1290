#!/usr/bin/env bash
# The client's start-up against a minimal Qt Widgets program (a window with one button), both
# offscreen and both quitting at their first painted window: the time to that paint and the
# peak resident memory, as ratios of medians over alternating runs. The client's start-up
# includes its version check and configuration lookup against the stand-in service, which
# runs from its demo configuration on the client's compiled-in address. Called by bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
runs=${RUNS:-9}

state=$(mktemp -d)
"$build/regsvc/regsvc" --config regsvc/demo/config.json --state "$state/state.json" >/dev/null &
service=$!
trap 'kill $service 2>/dev/null; wait $service 2>/dev/null; rm -rf "$state"' EXIT
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/8443) 2>/dev/null && break; sleep 0.1; done
# Another service on the port would answer in its place (or not at all).
kill -0 "$service" 2>/dev/null || { echo "the stand-in service did not start on 8443" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen NORVALE_QUIT_AFTER_FIRST_PAINT=1 HOME="$state"
measure() {  # prints "seconds kilobytes" for one run of the program
    local start=$EPOCHREALTIME
    # A client that does not reach its window (an alert waiting offscreen) fails the run.
    timeout 60 /usr/bin/time -f '%M' -o "$state/time" "$@" >/dev/null 2>&1 ||
        { echo "$1 did not reach its first painted window" >&2; exit 1; }
    local end=$EPOCHREALTIME
    echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(cat "$state/time")"
}
: >"$state/client"
: >"$state/minimal"
for _ in $(seq "$runs"); do
    measure "$build/src/gui/norvale-cert-client" >>"$state/client"
    measure "$build/bench/minimal_qt_window" >>"$state/minimal"
done
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ct=$(cut -d' ' -f1 "$state/client" | median)
cm=$(cut -d' ' -f2 "$state/client" | median)
mt=$(cut -d' ' -f1 "$state/minimal" | median)
mm=$(cut -d' ' -f2 "$state/minimal" | median)
awk -v ct="$ct" -v mt="$mt" -v cm="$cm" -v mm="$mm" -v n="$runs" 'BEGIN {
    printf "Start-up to the first painted window (median of %d, offscreen)\n", n
    printf "  client %.4f s, minimal Qt window %.4f s: %.2fx (goal <= 1.5x)\n", ct, mt, ct / mt
    printf "  peak resident memory: client %d KiB, minimal %d KiB: %.2fx (goal <= 1.75x)\n",
           cm, mm, cm / mm
}'
