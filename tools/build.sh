#!/usr/bin/env bash
# build.sh [BUILD_DIR]: configures and builds both trees, each with its tests.
#   BUILD_DIR/i686    the shipped 32-bit DLLs, import libraries and tools;
#                     its tests run under 32-bit Wine
#   BUILD_DIR/x86_64  the same sources for 64-bit Windows; its tests run
#                     under 64-bit Wine
#   BUILD_DIR/dist    the release archives of both (tools/package.sh)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
# Both trees are shipped: optimised, without debug information.
for arch in i686 x86_64; do
  cmake -S "$top" -B "$build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DZYN_BUILD_TESTS=ON >/dev/null
  cmake --build "$build/$arch" -j "$(nproc)"
done
"$top/tools/package.sh" "$build"
