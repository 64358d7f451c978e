# wine-env.sh: sourced by wine-run.sh and wine-prefix.sh.
# Sets the Wine environment for a prefix of one architecture:
#   zyn_wine_env PREFIX [win32|win64]
# Without an architecture it is read from the prefix (Wine writes "#arch=" into
# system.reg), and a new prefix is 64-bit. The 32-bit prefix runs the shipped
# i686 build with 32-bit Wine (/usr/lib/wine/wine, Debian's wine32:i386); the
# 64-bit prefix runs the x86_64 build with wine64.
zyn_wine_env() {
  local prefix=$1 arch=${2:-}
  if [ -z "$arch" ] && [ -f "$prefix/system.reg" ]; then
    arch=$(sed -n 's/^#arch=\(win32\|win64\)$/\1/p' "$prefix/system.reg" | head -n 1)
  fi
  arch=${arch:-win64}
  case $arch in
  win32) WINELOADER=/usr/lib/wine/wine ;;
  win64) WINELOADER=/usr/lib/wine/wine64 ;;
  *) echo "unknown Wine architecture: $arch" >&2; return 2 ;;
  esac
  export WINEPREFIX=$prefix WINEARCH=$arch WINELOADER
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
}
