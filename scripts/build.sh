#!/usr/bin/env bash
# Configures and builds into ./build (Release with debug info, all warnings as errors on request).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${LORIK_CMAKE_ARGS:-} >/dev/null
cmake --build build --parallel "$(nproc)"
