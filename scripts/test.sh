#!/usr/bin/env bash
# Runs every test through CTest with Qt's offscreen platform.
set -euo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
