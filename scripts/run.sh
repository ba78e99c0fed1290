#!/usr/bin/env bash
# Builds the release configuration and starts the stand-in registration service with its demo
# customers on https://127.0.0.1:8443 (state kept in build/release/regsvc-state.json). The
# client's window is not built yet: until it is, this runs the service alone, in the
# foreground; Ctrl+C stops it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_TESTS=OFF
cmake --build build/release

service_pid=
stop_service() { [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null; true; }
trap stop_service EXIT
trap 'exit 130' INT TERM

build/release/regsvc/regsvc --config regsvc/demo/config.json \
    --state build/release/regsvc-state.json &
service_pid=$!
cat <<'MSG'
The stand-in registration service runs on https://127.0.0.1:8443 with the demo customers
A123456789, B223456789 (stock) and F123456789 (futures), password demo1234.
The client window is not built yet; when it is, this command opens it against the service
and stops the service when the window closes. Press Ctrl+C to stop the service.
MSG
wait "$service_pid"
