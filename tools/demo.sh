#!/usr/bin/env bash
# demo.sh [BUILD_DIR] [i686|x86_64]: builds everything and shows the
# libraries at work in a Wine prefix of the demo's own
# (BUILD_DIR/demo-prefix-ARCH), which is booted at the start and stopped at
# the end. Runs the shipped 32-bit build under 32-bit Wine unless told
# x86_64.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
arch=${2:-i686}
prefix=$build/demo-prefix-$arch
bin=$build/$arch/bin
wine_arch=win32
[ "$arch" = x86_64 ] && wine_arch=win64

"$top/tools/build.sh" "$build"
"$top/tools/wine-prefix.sh" start "$prefix" $wine_arch
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
echo "-- clean up (ZynDeleteLinkToFolder, ZynDeleteFolder), then look the group up again:"
zynsh delete-link "$group" programs desktop-link \; delete-folder "$group" programs \; \
      get "$group" programs || true
# =================== end of zynshell section ===================

# ============== zynshell: Program Manager over DDE ==============
# Windows 2000 is served through Program Manager's DDE interface. Wine's
# shell32 carries a Program Manager DDE server (groups become Start-menu
# directories, items .lnk files); progman_host.exe runs it in a process of
# its own for this section.
echo
echo "== zynshell: a program group through Program Manager (DDE) =="
# Its folder windows inherit its output: keep them off this script's.
"$top/tools/wine-run.sh" "$prefix" "$bin/progman_host.exe" --seconds 120 </dev/null >/dev/null 2>&1 &
progman_host=$!
ddesh() { "$top/tools/wine-run.sh" --winver win2k "$prefix" "$bin/zynsh.exe" --dde "$@"; }
for _ in $(seq 1 30); do ddesh init-check >/dev/null 2>&1 && break; sleep 1; done
ddegroup='Zyn DDE Demo'
ddesh --keep-going delete-folder "$ddegroup" programs >/dev/null 2>&1 || true
ddesh create "$ddegroup" programs \; \
      add-item "$ddegroup" programs --command notepad.exe --name Notepad --workdir 'C:\windows' \; \
      add-item "$ddegroup" programs --command regedit.exe --name 'Registry Editor' \; \
      show "$ddegroup" programs 1
echo "-- Program Manager's groups (ZynListSubFolders, the item GROUPS):"
ddesh list-folders - programs
echo "-- the shortcuts the server wrote for the items:"
ls "$prefix"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/"$ddegroup"
echo "-- commands this server refuses fail with error 4 (no wait beyond the bound):"
ddesh update "$ddegroup" programs || true
echo "-- a name that would break out of its quotes is refused before sending:"
ddesh create 'X",0)][DeleteGroup("Main' programs || true
echo "-- delete an item, then the group, then look it up again:"
ddesh delete-item "$ddegroup" programs Notepad \; delete-folder "$ddegroup" programs \; \
      get "$ddegroup" programs || true
"$top/tools/wine-run.sh" "$prefix" "$bin/progman_host.exe" --stop || true
wait $progman_host || true
# ============ end of Program Manager section ============

# ===================== ZYNLPR: print monitor =====================
# lprinstall installs the monitor through Wine's spooler (AddMonitorW, which
# loads ZYNLPR.DLL through InitializePrintMonitor2), adds a port pointing at
# an LPD server on loopback (tools/lpdsink, the tests' LPD server built
# natively) and lists the ports through
# winspool (EnumPortsW). lprhost then plays the NT 4.0 spooler: it loads the
# DLL through the Driver value, calls InitializeMonitorEx, lists the ports
# and prints a file with OpenPort, StartDocPort, WritePort in blocks and
# EndDocPort. The server must receive the file byte for byte.
echo
echo "== ZYNLPR: printing a file through an LPR port =="
lpr_addr=127.0.0.77
lpr_out=$build/demo-lpd
rm -rf "$lpr_out"
mkdir -p "$lpr_out"
"$top/tools/lpdsink/build.sh" "$lpr_out/lpdsink"
timeout 120 "$lpr_out/lpdsink" $lpr_addr --dir "$lpr_out/sink" --jobs 1 &
lpr_server=$!
sleep 1
winbin="Z:${bin//\//\\}"
run "$bin/lprinstall.exe" uninstall
run "$bin/lprinstall.exe" monitor "$winbin\\ZYNLPR.DLL" --lpr-path 'C:\Tolv'
run "$bin/lprinstall.exe" port ZYN_LPRPort0 --host $lpr_addr --queue raw
run "$bin/lprinstall.exe" port ZYN_LPRPort1 --host printhost --queue lp --lpq 0
echo "-- the monitor and its ports as Wine's spooler lists them (EnumMonitorsW, EnumPortsW level 2):"
run "$bin/lprinstall.exe" list
echo "-- EnumPorts through the NT 4.0 table (levels 1 and 2):"
run "$bin/lprhost.exe" list
# Text and every byte value, larger than one block.
sample=$lpr_out/sample.bin
{ echo "ZYNLPR demo page"; for i in $(seq 1 300); do echo "line $i of the demo document"; done
  python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 40)'; } > "$sample"
echo "-- print $(stat -c %s "$sample") bytes through ZYN_LPRPort0 in 4096-byte blocks:"
timeout 90 "$top/tools/wine-run.sh" "$prefix" "$bin/lprhost.exe" print ZYN_LPRPort0 "Z:${sample//\//\\}" \
  --doc "demo document.txt" --job 42 --block 4096
wait $lpr_server || true
received=$(ls "$lpr_out"/sink/raw/dfA* 2>/dev/null | head -1)
control=$(ls "$lpr_out"/sink/raw/cfA* 2>/dev/null | head -1)
echo "-- the server's data file against the printed file:"
if [ -n "$received" ] && cmp "$sample" "$received"; then
  echo "identical: $(stat -c %s "$received") bytes received byte for byte"
else
  echo "MISMATCH"; exit 1
fi
echo "-- the control file the monitor sent:"
tr -d '\r' < "$control" | cat -A | sed 's/\$$//'
echo "-- no spool file left behind in the prefix's temp folder:"
ls "$prefix"/drive_c/users/*/Temp/lpr*.tmp 2>/dev/null || echo "(none)"
run "$bin/lprinstall.exe" uninstall
# =================== end of print-monitor section ===================
