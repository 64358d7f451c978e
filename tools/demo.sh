#!/usr/bin/env bash
# demo.sh [BUILD_DIR]: builds everything and shows the libraries at work in a
# Wine prefix of the demo's own (BUILD_DIR/demo-prefix), which is booted at
# the start and stopped at the end. Runs the 64-bit build: only 64-bit Wine
# runs on these machines.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
prefix=$build/demo-prefix
bin=$build/x86_64/bin

"$top/tools/build.sh" "$build"
"$top/tools/wine-prefix.sh" start "$prefix"
trap '"$top/tools/wine-prefix.sh" stop "$prefix" >/dev/null' EXIT
run() { "$top/tools/wine-run.sh" "$prefix" "$@"; }

# ===================== zynshell: program groups =====================
# zynsh.exe calls zynshell.dll; Windows NT 4.0 gets the Start-menu folders
# (groups are directories, items .lnk shortcuts).
echo
echo "== zynshell: nested program groups through zynsh.exe =="
zynsh() { "$top/tools/wine-run.sh" --winver nt40 "$prefix" "$bin/zynsh.exe" "$@"; }
group='Zyn Demo'
zynsh --keep-going delete-folder "$group" programs >/dev/null 2>&1 || true
zynsh create "$group\\Tools\\Deep|Zyn Deep" programs \; \
      create "$group\\Games" programs \; \
      add-item "$group" programs --command 'C:\windows\notepad.exe' --name Notepad \
               --args 'C:\windows\win.ini' --workdir 'C:\windows' \; \
      add-item "$group\\Tools" programs --command 'C:\windows\regedit.exe' --name 'Registry Editor' \
               --icon 'C:\windows\regedit.exe' --icon-index 0 \; \
      add-link "$group" programs desktop-link
echo "-- sub-folders of \"$group\" (ZynListSubFolders):"
zynsh list-folders "$group" programs
echo "-- sub-folders of \"$group\\Tools\":"
zynsh list-folders "$group\\Tools" programs
echo "-- items of \"$group\" (ZynListFolderItems: description, target, working directory,"
echo "   icon path, 0, 0, icon index, hotkey, minimized):"
zynsh list-items "$group" programs
echo "-- items of \"$group\\Tools\":"
zynsh list-items "$group\\Tools" programs
echo "-- shortcut to the group on the desktop:"
zynsh list-items - desktop | grep -F "$group" || echo "(none)"
echo "-- a failing call reports the library's error code:"
zynsh show "$group" programs 9 || true
echo "-- clean up: ZynDeleteLinkToFolder, ZynDeleteFolder"
zynsh delete-link "$group" programs desktop-link \; delete-folder "$group" programs \; \
      get "$group" programs || true
# =================== end of zynshell section ===================
