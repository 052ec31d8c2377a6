#!/usr/bin/env bash
# Configures (once) and builds the project into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
jobs=$(nproc)
cmake --build build --parallel "$jobs"
