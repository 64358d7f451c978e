#!/usr/bin/env bash
# render-dialogs.sh [BUILD_DIR]: draws the two port dialogs of the port UI
# module (zynlprui.dll), filled with sample values, and saves them for the README:
#   docs/add-port-dialog.png        AddPortUI (template 200)
#   docs/configure-port-dialog.png  ConfigurePortUI (template 300)
# Wine draws them with its X11 driver on a virtual display (Xvfb) in a prefix
# of the script's own (BUILD_DIR/render-prefix); lprinstall installs the
# monitor into Wine's spooler, lprhost loads the UI module as a spooler does
# and calls it (the module reads the ports through the monitor's Xcv
# commands), and xdotool types into the add-port dialog the way a person would
# (Tab from field to field, which also shows the tab order). Needs the 64-bit build
# (tools/build.sh) and installs Xvfb, xdotool, xwd and netpbm from Debian's
# packages when they are missing (as root).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
bin=$build/x86_64/bin
prefix=$build/render-prefix
out=$top/docs
[ -x "$bin/lprhost.exe" ] || { echo "render-dialogs: build first (tools/build.sh)" >&2; exit 1; }

packages=(xvfb xauth x11-apps x11-utils xdotool netpbm)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A display number nobody uses.
display=
for _ in $(seq 1 50); do
  n=$((100 + RANDOM % 400))
  [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
done
[ -n "$display" ] || { echo "render-dialogs: no free display" >&2; exit 1; }
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINELOADER=/usr/lib/wine/wine64
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
wine() { "$WINELOADER" "$@" </dev/null >/dev/null 2>&1; }

mkdir -p "$prefix" "$out"
if [ ! -f "$prefix/system.reg" ]; then
  wine wineboot -i
  # No window manager runs here: Wine draws the captions and frames itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
fi
winbin="Z:${bin//\//\\}"
wine "$bin/lprinstall.exe" uninstall || true
wine "$bin/lprinstall.exe" monitor "$winbin\\ZYNLPR.DLL" --lpr-path 'C:\Tolv'
wine "$bin/lprinstall.exe" port ZYN_LPRPort0 --host printhost.example.com --queue raw --seqno 12 --lpq 1 --grace 0
wine "$bin/lprinstall.exe" port ZYN_LPRPort1 --host laser2.example.com --queue lp --timeout 60

# shoot TITLE FILE [KEYS...]: waits for the dialog, types KEYS, saves it, closes it.
shoot() {
  local title=$1 file=$2 window
  shift 2
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" | head -1)
  [ -n "$window" ] || { echo "render-dialogs: no window \"$title\"" >&2; return 1; }
  sleep 1
  for keys in "$@"; do
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    case $keys in
      key:*) xdotool key --clearmodifiers "${keys#key:}" ;;
      *) xdotool type --delay 30 "$keys" ;;
    esac
    sleep 0.3
  done
  sleep 0.5
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng > "$out/$file"
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key Escape
  echo "render-dialogs: $out/$file"
}

"$WINELOADER" "$bin/lprhost.exe" add-port </dev/null >/dev/null 2>&1 &
shoot "Add LPR Port" add-port-dialog.png key:Tab raw key:Tab jsmith
wait $! || true
"$WINELOADER" "$bin/lprhost.exe" configure-port ZYN_LPRPort0 </dev/null >/dev/null 2>&1 &
shoot "Configure LPR Port" configure-port-dialog.png key:Tab key:Tab jsmith
wait $! || true
