#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite through CTest: first the Release
# build, then the core's readers and writers again under AddressSanitizer and UBSan, where a read
# past a buffer in a hostile file fails loudly instead of passing by luck.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"

# The clipboard block reader in editing, the hand-over reader in plugin and the effects'
# coordinate arithmetic (rotations, the 3D renderer) are checked here as well.
# Warnings are enforced by the Release build; with the sanitizers GCC 12 adds false
# maybe-uninitialized reports inside the standard library.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=OFF \
  -DMORVANE_BUILD_UI=OFF -DMORVANE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build build-asan --parallel "$(nproc)" --target test_image test_formats test_editing \
  test_effects test_plugin
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)" \
  -E '_NOT_BUILT' "$@"
