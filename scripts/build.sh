#!/usr/bin/env bash
# Configures and builds into build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
launcher=()
# A compiler cache, when the machine has one, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"
