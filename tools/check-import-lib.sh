#!/usr/bin/env bash
# check-import-lib.sh [--machine i686|x86_64] LIB DEF_FILE
# Checks an import library for Microsoft's linker: a caller that takes the
# address of every export named in DEF_FILE (declared by include/zynshell.h)
# is compiled for the MSVC ABI and linked with lld-link against LIB alone;
# the program must then import exactly those names, undecorated, from
# zynshell.dll.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
machine=i686
if [ "${1:-}" = --machine ]; then machine=$2; shift 2; fi
case $machine in
  i686|x86) triple=i686-pc-windows-msvc lldmachine=x86 objdump=i686-w64-mingw32-objdump ;;
  x86_64|x64) triple=x86_64-pc-windows-msvc lldmachine=x64 objdump=x86_64-w64-mingw32-objdump ;;
  *) echo "unknown machine $machine" >&2; exit 2 ;;
esac
lib=${1:?lib}
def=${2:?def}
fail() { echo "FAIL: $lib: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=$(awk 'f && NF && $1 !~ /^;/ {print $1} /^EXPORTS/ {f=1}' "$def" | sort)
{
  echo '#include "zynshell.h"'
  echo 'static void* const used[] = {'
  for n in $names; do echo "  (void*)&$n,"; done
  echo '};'
  echo 'int __stdcall start(void) { return used[0] != 0; }'
} > "$work/caller.c"
clang --target=$triple -ffreestanding -fno-builtin -O0 -I"$top/include" -c "$work/caller.c" -o "$work/caller.obj"
lld-link /nologo /machine:$lldmachine /subsystem:console /entry:start /nodefaultlib \
  "$work/caller.obj" "$lib" /out:"$work/caller.exe" >"$work/link.log" 2>&1 ||
  fail "lld-link could not link a caller: $(cat "$work/link.log")"
dlls=$($objdump -p "$work/caller.exe" | awk '/DLL Name:/ {print $3}')
[ "$dlls" = zynshell.dll ] || fail "caller imports from '$dlls', not zynshell.dll"
have=$($objdump -p "$work/caller.exe" | awk '/DLL Name:/ {f=1; next} f && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print $NF} f && /^$/ {f=0}' | sort)
[ "$have" = "$names" ] || fail "caller imports differ from $(basename "$def"):
$(diff <(echo "$names") <(echo "$have") || true)"
echo "ok: $(basename "$lib"): $machine import library for $(echo $names | wc -w) exports of zynshell.dll"
