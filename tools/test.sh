#!/usr/bin/env bash
# test.sh [BUILD_DIR]: builds everything and runs every test under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
"$top/tools/build.sh" "$build"
cd "$build/x86_64"
status=0
ctest --output-on-failure --timeout 600 || status=$?
# The prefix is stopped by the test fixture; make sure nothing is left behind.
"$top/tools/wine-prefix.sh" stop "$build/x86_64/wineprefix" >/dev/null 2>&1 || true
exit $status
