#!/usr/bin/env bash
# The client's start-up against a minimal Qt Widgets program (a window with one button), both
# offscreen and both ending at their first painted window: the time to that paint and the
# peak resident memory, as ratios of medians over alternating runs. Called by bench.sh.
#
#   scripts/bench-startup.sh [BUILD] [--service normal|slow|silent] [--memory]
#
# The client runs against the stand-in service on its compiled-in address: `normal` answers
# at once, `slow` answers every call after 3 s, `silent` takes the connection and never
# answers. The client checks its version only once its window is painted, so the three must
# give the same figure. --memory also prints where the resident memory of both programs is
# at their first paint (from /proc/PID/smaps), the biggest differences first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
service_mode=normal
memory=0
while [ $# -gt 0 ]; do
    case $1 in
    --service) service_mode=$2; shift ;;
    --service=*) service_mode=${1#--service=} ;;
    --memory) memory=1 ;;
    -*) echo "usage: $0 [BUILD] [--service normal|slow|silent] [--memory]" >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done
case $service_mode in
normal) delay_ms=0 ;;
slow) delay_ms=3000 ;;
silent) delay_ms=3600000 ;;
*) echo "unknown service behaviour: $service_mode" >&2; exit 2 ;;
esac
runs=${RUNS:-9}
source scripts/deps.sh
# The window as a customer sees it: the package recommends the CJK font.
install_missing_packages time curl fonts-noto-cjk

state=$(mktemp -d)
"$build/regsvc/regsvc" --config regsvc/demo/config.json --state "$state/state.json" \
    --test-control >/dev/null &
service=$!
trap 'kill $service 2>/dev/null; (sleep 5; kill -9 $service 2>/dev/null) & wait $service 2>/dev/null; rm -rf "$state"' EXIT
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/8443) 2>/dev/null && break; sleep 0.1; done
# Another service on the port would answer in its place (or not at all).
kill -0 "$service" 2>/dev/null || { echo "the stand-in service did not start on 8443" >&2; exit 1; }
if [ "$delay_ms" -gt 0 ]; then
    for action in checkVersion getSysCfg; do
        curl -sSf -k -o /dev/null https://127.0.0.1:8443/__test/rule \
            -d "{\"action\": \"$action\", \"delayMs\": $delay_ms}"
    done
fi

export QT_QPA_PLATFORM=offscreen HOME="$state" XDG_RUNTIME_DIR="$state"
measure() {  # prints "seconds kilobytes" for one run of the program
    local start=$EPOCHREALTIME
    # A program that does not reach its window fails the run.
    NORVALE_QUIT_AFTER_FIRST_PAINT=1 timeout 60 /usr/bin/time -f '%M' -o "$state/time" "$@" \
        >/dev/null 2>&1 || { echo "$1 did not reach its first painted window" >&2; exit 1; }
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
awk -v ct="$ct" -v mt="$mt" -v cm="$cm" -v mm="$mm" -v n="$runs" -v s="$service_mode" 'BEGIN {
    printf "Start-up to the first painted window (median of %d, offscreen, service %s)\n", n, s
    printf "  client %.4f s, minimal Qt window %.4f s: %.2fx (goal <= 1.3x)\n", ct, mt, ct / mt
    printf "  peak resident memory: client %d KiB, minimal %d KiB: %.2fx (goal <= 1.6x)\n",
           cm, mm, cm / mm
}'

[ "$memory" -eq 1 ] || exit 0
# Each program stops itself at its first paint; its map is read, then it may end.
mapping() {  # "KiB name" per mapping name (a library, [heap], [anon], ...) of one program
    NORVALE_QUIT_AFTER_FIRST_PAINT=stop "$@" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 600); do
        [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" = T ] && break
        sleep 0.05
    done
    map_of "$pid"
    kill -CONT "$pid"
    wait "$pid" || true
}
map_of() {
    local pid=$1
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = NF >= 6 ? $6 : "[anon]"; sub(".*/", "", name) }
         /^Rss:/ { kb[name] += $2 }
         END { for (n in kb) if (kb[n] > 0) print kb[n], n }' "/proc/$pid/smaps"
    grep -E '^(Rss|Anonymous|Private_Dirty|Shared_Clean|Private_Clean):' "/proc/$pid/smaps_rollup" |
        awk '{ print $2, "total:" $1 }'
}
mapping "$build/src/gui/norvale-cert-client" >"$state/client.map"
mapping "$build/bench/minimal_qt_window" >"$state/minimal.map"
# What the version check and the configuration lookup add once they have run: what used to
# come before the first paint.
"$build/src/gui/norvale-cert-client" >/dev/null 2>&1 &
client=$!
# The slow service takes 3 s for each of the two exchanges; the silent one never ends them.
[ "$service_mode" = slow ] && sleep 6
sleep 3
map_of "$client" >"$state/checked.map"
kill "$client"
wait "$client" || true
table() {  # "after before after-before name", the largest increase first
    awk 'FILENAME == ARGV[1] { a[$2] = $1 } FILENAME == ARGV[2] { b[$2] = $1 }
         END {
             for (n in a) names[n] = 1
             for (n in b) names[n] = 1
             for (n in names) printf "%8d %8d %8d  %s\n", a[n], b[n], a[n] - b[n], n
         }' "$1" "$2" | sort -k3 -n -r | head -"$3"
}
echo "Resident memory at the first paint, KiB: client, minimal Qt window, difference"
table "$state/client.map" "$state/minimal.map" 20
echo "The client once checked (waiting for login), KiB: checked, at its first paint, difference"
table "$state/checked.map" "$state/client.map" 16
