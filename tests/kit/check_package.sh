#!/usr/bin/env bash
# check_package.sh --machine i686|x86_64 ARCHIVE BIN_DIR
# The release archive of one architecture: exactly the files a release
# holds (the port settings module where the tree builds one), the checksum
# list right and complete, every DLL and program of the tree's machine type
# importing system DLLs only, the DLLs exporting exactly their .def files,
# both import libraries usable, and the DLL the one this tree built.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
[ "$1" = --machine ] && machine=$2 && shift 2
archive=${1:?archive}
bin=${2:?bin dir}
fail() { echo "FAIL: $(basename "$archive"): $*" >&2; exit 1; }
[ -f "$archive" ] || fail "missing; tools/build.sh makes it (tools/package.sh alone after a build)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$archive" -d "$work"
root=$work/$(basename "$archive" .zip)
[ -d "$root" ] || fail "holds no folder $(basename "$root")"

want=(zynshell.dll zynshell.h zynshell.def zynshell.lib libzynshell.dll.a
      ZYNLPR.DLL zynlpr.nls lprinstall.exe lprhost.exe zynsh.exe
      nsis/zynshell.nsh nsis/example.nsi INSTALLER-AUTHORS.txt ADMINISTRATORS.txt SHA256SUMS)
[ -f "$bin/zynlprui.dll" ] && want+=(zynlprui.dll)
have=$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
expected=$(printf '%s\n' "${want[@]}" | LC_ALL=C sort)
[ "$have" = "$expected" ] || fail "files differ from a release's:
$(diff <(echo "$expected") <(echo "$have") || true)"

(cd "$root" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
summed=$(awk '{print $2}' "$root/SHA256SUMS" | LC_ALL=C sort)
[ "$summed" = "$(echo "$expected" | grep -vx SHA256SUMS)" ] || fail "SHA256SUMS does not cover every file"
cmp -s "$root/zynshell.dll" "$bin/zynshell.dll" || fail "zynshell.dll is not this tree's (run tools/package.sh)"

check=$top/tools/check-shipped.sh
$check --machine "$machine" "$root/zynshell.dll" "$top/zynshell/dll/zynshell.def"
$check --machine "$machine" "$root/ZYNLPR.DLL" "$top/zynlpr/monitor/dll/zynlpr.def"
for f in zynlpr.nls lprinstall.exe lprhost.exe zynlprui.dll; do
  [ -f "$root/$f" ] && $check --machine "$machine" "$root/$f"
done
$check --machine "$machine" --beside zynshell.dll "$root/zynsh.exe"
"$top/tools/check-import-lib.sh" --machine "$machine" "$root/zynshell.lib" "$top/zynshell/dll/zynshell.def"
case $machine in i686) nm=i686-w64-mingw32-nm ;; *) nm=x86_64-w64-mingw32-nm ;; esac
imps=$($nm "$root/libzynshell.dll.a" | awk '$3 ~ /^__imp_/ {print $3}' | sort -u | wc -l)
exports=$(awk 'f && NF && $1 !~ /^;/ {n++} /^EXPORTS/ {f=1} END {print n}' "$top/zynshell/dll/zynshell.def")
[ "$imps" = "$exports" ] || fail "libzynshell.dll.a has $imps import symbols, the .def $exports exports"
echo "ok: $(basename "$archive"): $(echo "$have" | wc -l) files"
