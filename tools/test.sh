#!/usr/bin/env bash
# test.sh [BUILD_DIR]: builds both trees and runs every test of each under the
# Wine of its architecture: build/i686 (the shipped 32-bit build) under 32-bit
# Wine, then build/x86_64 under 64-bit Wine. Fails if either fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
"$top/tools/build.sh" "$build"
status=0
for arch in i686 x86_64; do
  echo "== tests of $arch"
  (cd "$build/$arch" && ctest --output-on-failure --timeout 600) || status=1
  # The prefix is stopped by the test fixture; make sure nothing is left behind.
  "$top/tools/wine-prefix.sh" stop "$build/$arch/wineprefix" >/dev/null 2>&1 || true
done
exit $status
