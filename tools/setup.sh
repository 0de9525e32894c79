#!/usr/bin/env bash
# Installs what the build and the tests need (Debian 12 / Ubuntu): apt packages
# only. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev libbenchmark-dev libpng-dev clang
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-apps imagemagick fonts-wine fonts-ipafont-gothic
  espeak-ng sox xcompmgr procps strace
  pulseaudio pulseaudio-utils
  nsis zip unzip
)
# clang's libFuzzer runtime has its own package on Debian; elsewhere it comes with clang.
optional=(libclang-rt-dev)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
want_optional=()
for p in "${optional[@]}"; do installed "$p" || want_optional+=("$p"); done
if [ ${#missing[@]} -eq 0 ] && [ ${#want_optional[@]} -eq 0 ]; then exit 0; fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
for p in "${want_optional[@]}"; do
  apt-cache show "$p" >/dev/null 2>&1 && missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
