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
  nsis zip unzip locales
  pkg-config libgtk-3-dev libayatana-appindicator3-dev libgstreamer1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  openbox x11-utils xdotool trayer libx11-dev libxext-dev libxi-dev libxtst-dev
  dbus-daemon dpkg-dev lintian desktop-file-utils appstream
  faketime tzdata xfwm4 xfconf mutter
  libgtk-layer-shell-dev sway grim weston xwayland
)
# Wine takes the interface language from the C library's locale; the end-to-end
# tests run the programs in both.
locales_wanted=(ja_JP.UTF-8 en_US.UTF-8)
# clang's libFuzzer runtime has its own package on Debian; elsewhere it comes with clang.
optional=(libclang-rt-dev)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

install_packages() {
  local missing=() want_optional=() p
  for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
  for p in "${optional[@]}"; do installed "$p" || want_optional+=("$p"); done
  if [ ${#missing[@]} -eq 0 ] && [ ${#want_optional[@]} -eq 0 ]; then return; fi
  # Another apt may hold the lock for a while: wait for it rather than fail.
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  for p in "${want_optional[@]}"; do
    apt-cache show "$p" >/dev/null 2>&1 && missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
}

# "ja_JP.UTF-8" is listed by `locale -a` as "ja_JP.utf8".
has_locale() { locale -a 2>/dev/null | grep -qix "$(echo "$1" | sed 's/UTF-8$/utf8/')"; }

generate_locales() {
  local wanted=() l
  for l in "${locales_wanted[@]}"; do has_locale "$l" || wanted+=("$l"); done
  [ ${#wanted[@]} -eq 0 ] && return
  echo "setup: generating the locales ${wanted[*]}"
  for l in "${wanted[@]}"; do
    # Uncomment the line Debian ships, or add it when there is none.
    if grep -q "^# *$l UTF-8\$" /etc/locale.gen 2>/dev/null; then
      $sudo sed -i "s/^# *\($l UTF-8\)\$/\1/" /etc/locale.gen
    elif ! grep -q "^$l UTF-8\$" /etc/locale.gen 2>/dev/null; then
      echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
  done
  $sudo locale-gen >/dev/null
}

# sway refuses to run as root: where the tests run as root they start it as
# this user, who owns nothing and cannot log in.
desktop_user=kurimaro-desktop
make_desktop_user() {
  [ "$(id -u)" -eq 0 ] || return 0
  id "$desktop_user" >/dev/null 2>&1 && return
  echo "setup: adding the user $desktop_user for the Wayland compositors"
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    "$desktop_user"
}

install_packages
generate_locales
make_desktop_user
