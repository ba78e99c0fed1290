#!/usr/bin/env bash
# Builds the release configuration. Once the stand-in registration service and the main
# window exist, this starts the service with its demo customers and opens the client
# against it; neither exists yet, so it stops after the build and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_TESTS=OFF
cmake --build build/release
cat <<'MSG'
Built the client libraries in build/release.
Not yet runnable: the stand-in registration service (regsvc) and the main window are still to
be built. When they are, this command will start the service on loopback with its demo
customers, open the client against it, and stop the service when the client closes.
MSG
