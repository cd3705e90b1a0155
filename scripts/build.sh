#!/usr/bin/env bash
# Configures and builds Morvane (Release) into build/. Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON "$@" >/dev/null
cmake --build build --parallel "$(nproc)"
