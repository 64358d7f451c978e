#!/usr/bin/env bash
# check-shipped.sh [--machine i686|x86_64] [--beside DLL] DLL [DEF_FILE [NAME...]]
# Checks a shipped DLL statically: a PE image of the machine (i686, the
# default, or x86_64), importing only system DLLs, and (with a .def file) exporting exactly the names listed
# there, undecorated. --beside names a DLL of the release that the file may
# import too (zynsh.exe imports zynshell.dll). With NAMEs, the .def must list exactly those names too,
# so an export dropped from both the .def and the DLL is still caught.
set -euo pipefail
machine=i686
if [ "${1:-}" = --machine ]; then machine=$2; shift 2; fi
beside=
if [ "${1:-}" = --beside ]; then beside=$(echo "$2" | tr '[:upper:]' '[:lower:]'); shift 2; fi
case $machine in
  i686|i386|x86) format=pei-i386 objdump=i686-w64-mingw32-objdump ;;
  x86_64|amd64|AMD64|x64) format=pei-x86-64 objdump=x86_64-w64-mingw32-objdump ;;
  *) echo "unknown machine $machine" >&2; exit 2 ;;
esac
dll=${1:?dll}
def=${2:-}
shift $(( $# < 2 ? $# : 2 ))
names=("$@")
fail() { echo "FAIL: $dll: $*" >&2; exit 1; }

[ -f "$dll" ] || fail "missing"
$objdump -f "$dll" | grep -q "file format $format\$" || fail "not a $format image"

system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|ws2_32|wsock32|mpr|winspool\.drv|spoolss|msvcrt|ntdll|shlwapi|version)\.dll$'
imports=$($objdump -p "$dll" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
for i in $imports; do
  [[ $i =~ $system_dlls || $i == winspool.drv || $i == "$beside" ]] || fail "imports non-system DLL $i"
done

if [ -n "$def" ]; then
  want=$(awk 'f && NF && $1 !~ /^;/ {print $1} /^EXPORTS/ {f=1}' "$def" | sort)
  have=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {f=1; next} f && /^\t\[/ {print $NF} f && /^$/ {f=0}' | sort)
  [ "$want" = "$have" ] || fail "exports differ from $(basename "$def"):
$(diff <(echo "$want") <(echo "$have") || true)"
  if [ ${#names[@]} -gt 0 ]; then
    named=$(printf '%s\n' "${names[@]}" | sort)
    [ "$named" = "$want" ] || fail "$(basename "$def") does not list exactly ${names[*]}:
$(diff <(echo "$named") <(echo "$want") || true)"
  fi
fi
echo "ok: $(basename "$dll"): $format, $(echo $imports | wc -w) system imports${def:+, exports match}"
