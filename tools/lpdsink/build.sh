#!/usr/bin/env bash
# build.sh OUTPUT: builds lpdsink natively with the system's C++ compiler
# (the benchmarks and the demo call it; the Windows trees build the same
# server into the tests).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
c++ -std=c++17 -O2 -Wall -Wextra -pthread -I"$top/tests/support" -o "$1" \
  "$top/tools/lpdsink/lpdsink.cpp" "$top/tests/support/scripted_lpd_server.cpp"
