#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine; safe to run again.
set -euo pipefail

packages=(
  cmake g++ make python3 locales
  libboost-regex1.81-dev googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xdotool xclip x11-apps imagemagick fonts-wqy-microhei fonts-wine
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  sudo_if_needed apt-get update -qq
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A Chinese UTF-8 locale lets the tests run the program under code page 936 as well.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sudo_if_needed localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 || echo "warning: could not make the zh_CN.UTF-8 locale" >&2
fi
