#!/usr/bin/env bash
# package.sh [BUILD_DIR]: makes BUILD_DIR/dist (build/dist by default) from
# the two trees that tools/build.sh left there: one zip archive per
# architecture, zyn-VERSION-x86.zip from BUILD_DIR/i686 and
# zyn-VERSION-x64.zip from BUILD_DIR/x86_64. Each holds one folder of the
# same name with the DLLs, programs, header, .def file, import libraries for
# Microsoft's linker (zynshell.lib) and for mingw (libzynshell.dll.a), the
# NSIS kit, a text for installer authors and one for administrators, and
# SHA256SUMS over every other file. Import libraries are checked by linking
# a caller with lld-link before they are packed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
dist=$build/dist
fail() { echo "package: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/i686/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/i686/CMakeCache.txt"
rm -rf "$dist"
mkdir -p "$dist"

for arch in i686 x86_64; do
  tree=$build/$arch
  case $arch in
    i686) name=x86 machine=i386 def=$tree/zynshell/zynshell_decorated.def ;;
    x86_64) name=x64 machine=i386:x86-64 def=$top/zynshell/dll/zynshell.def ;;
  esac
  [ "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")" = "$version" ] ||
    fail "$tree was configured for another version than $version"
  folder=zyn-$version-$name
  out=$dist/.stage/$folder
  mkdir -p "$out/nsis"

  for f in zynshell.dll ZYNLPR.DLL zynlpr.nls lprinstall.exe lprhost.exe zynsh.exe; do
    [ -f "$tree/bin/$f" ] || fail "$tree/bin/$f is missing (run tools/build.sh)"
    cp "$tree/bin/$f" "$out/"
  done
  # The port settings module is shipped wherever the build makes it.
  [ -f "$tree/bin/zynlprui.dll" ] && cp "$tree/bin/zynlprui.dll" "$out/"
  cp "$top/include/zynshell.h" "$top/zynshell/dll/zynshell.def" "$out/"
  # mingw's import library as the build made it (binutils), under mingw's name.
  cp "$tree/lib/zynshell.lib" "$out/libzynshell.dll.a"
  # Microsoft's linker gets a short-import library made from the .def file;
  # the 32-bit one from the decorated list, so that callers' _Name@N
  # references bind to the undecorated exports.
  kill=()
  [ $arch = i686 ] && kill=(-k)
  llvm-dlltool -m "$machine" "${kill[@]}" -d "$def" -D zynshell.dll -l "$out/zynshell.lib"
  "$top/tools/check-import-lib.sh" --machine $arch "$out/zynshell.lib" "$top/zynshell/dll/zynshell.def"

  cp "$top/kit/nsis/zynshell.nsh" "$top/kit/nsis/example.nsi" "$out/nsis/"
  cp "$top/kit/INSTALLER-AUTHORS.txt" "$top/kit/ADMINISTRATORS.txt" "$out/"

  (cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
     xargs sha256sum > SHA256SUMS)
  (cd "$dist/.stage" && zip -q -r -X "$dist/$folder.zip" "$folder")
  echo "package: $dist/$folder.zip ($(cd "$out" && find . -type f | wc -l) files)"
done
rm -rf "$dist/.stage"
