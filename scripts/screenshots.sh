#!/usr/bin/env bash
# Remakes the README's screenshots, docs/main-window.png and docs/save-pfx-dialog.png: the
# client's real windows under Xvfb against the stand-in service on a free loopback port, with
# the demo customer A123456789 logged in and a certificate applied for. The program is
# scripts/screenshots/Screenshots.cpp (target gui_screenshots, built with the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
NORVALE_PACKAGES+=(xvfb xauth fonts-noto-cjk)
install_missing_packages

cmake -S . -B build/screenshots -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/screenshots --target gui_screenshots

# Traditional Chinese glyph forms (centred punctuation) whatever this machine's own locale.
LANG=zh_TW.UTF-8 LC_ALL= QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1600x1200x24" build/screenshots/tests/gui_screenshots docs
