#!/usr/bin/env bash
# Builds the release configuration, starts the stand-in registration service with its demo
# customers on https://127.0.0.1:8443 (state kept in build/release/regsvc-state.json) and opens
# the client against it. Closing the client's window stops the service.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the client's window
cannot open. Run it under a virtual X server instead:

    sudo apt-get install -y xvfb xauth
    xvfb-run -a -s '-screen 0 1280x900x24' scripts/run.sh
MSG
    exit 2
fi

source scripts/deps.sh
extra=()
# Without a CJK font the window's Traditional Chinese shows as empty boxes.
if ! command -v fc-list >/dev/null || [ -z "$(fc-list :lang=zh-tw family 2>/dev/null)" ]; then
    extra+=(fonts-noto-cjk fontconfig)
fi
install_missing_packages "${extra[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_TESTS=OFF
cmake --build build/release

service_pid=
stop_service() { [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null; true; }
trap stop_service EXIT
trap 'exit 130' INT TERM

build/release/regsvc/regsvc --config regsvc/demo/config.json \
    --state build/release/regsvc-state.json &
service_pid=$!
# The client asks the service for its version first thing: wait until it listens.
for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/8443) 2>/dev/null && break
    kill -0 "$service_pid" 2>/dev/null || { echo "The stand-in service did not start." >&2; exit 1; }
    sleep 0.1
done
cat <<'MSG'
The stand-in registration service runs on https://127.0.0.1:8443 with the demo customers
A123456789, B223456789 (stock) and F123456789 (futures), password demo1234.
MSG
build/release/src/gui/norvale-cert-client
