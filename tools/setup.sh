#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian packages.
# Safe to run again: packages already present are left alone.
set -euo pipefail

# 32-bit Wine runs the shipped i686 build; it comes from Debian's i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f /var/lib/apt/lists/lock 2>/dev/null || true
  need_update=1
fi

packages=(
  wine wine64 wine32:i386
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-i686-dev mingw-w64-x86-64-dev
  cmake ninja-build googletest
  lpr cups-daemon cups-client
  python3 g++
  # the release kit: archives, import libraries for Microsoft's linker and
  # their check, and the NSIS example installer
  zip unzip llvm clang lld nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})) || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  ((${#missing[@]})) && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Real LPD servers are started by the tests themselves, never as system services.
for svc in lpd cups; do
  if command -v systemctl >/dev/null 2>&1; then systemctl disable --now "$svc" >/dev/null 2>&1 || true; fi
  if [ -x "/etc/init.d/$svc" ]; then "/etc/init.d/$svc" stop >/dev/null 2>&1 || true; fi
done
echo "setup: all packages present"
