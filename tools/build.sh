#!/usr/bin/env bash
# build.sh [BUILD_DIR]: configures and builds everything.
#   BUILD_DIR/i686    the shipped 32-bit DLLs, import libraries and tools
#   BUILD_DIR/x86_64  the same sources for 64-bit Wine, with every test
# The kernel of these machines cannot execute 32-bit code, so Wine runs only
# its 64-bit side here; the 32-bit DLLs are checked statically (exports,
# imports, machine type) by a test of the 64-bit tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cmake -S "$top" -B "$build/i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DZYN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build/i686" -j "$(nproc)"
cmake -S "$top" -B "$build/x86_64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" -DZYN_BUILD_TESTS=ON \
  -DZYN_SHIPPED_DIR="$build/i686/bin" >/dev/null
cmake --build "$build/x86_64" -j "$(nproc)"
