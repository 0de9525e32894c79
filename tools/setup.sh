#!/usr/bin/env bash
# Installs what the build and the tests need (Debian 12 / Ubuntu). Only apt packages;
# nothing is downloaded from elsewhere. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev libbenchmark-dev libpng-dev clang
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-apps imagemagick fonts-wine fonts-ipafont-gothic
  espeak-ng sox xcompmgr
)
# clang's fuzzing and sanitizer runtime lives in a separate package on newer releases.
if apt-cache show libclang-rt-14-dev >/dev/null 2>&1; then packages+=(libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
