#!/usr/bin/env bash
# Makes the Debian package of the Linux edition from a native build:
#   tools/deb.sh SOURCE_DIR BUILD_DIR OUT_DIR
# BUILD_DIR holds gtk/kurimaro, gtk/kurimaro-lite and tools/kurimaro_icon_png
# built from SOURCE_DIR; OUT_DIR receives kurimaro_<version>_<arch>.deb.
# Every date inside is SOURCE_DATE_EPOCH's, so one commit gives one package.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 SOURCE_DIR BUILD_DIR OUT_DIR" >&2; exit 2; }
src=$(realpath "$1")
build=$(realpath "$2")
out=$(realpath "$3")
: "${SOURCE_DATE_EPOCH:?SOURCE_DATE_EPOCH must be set}"
export TZ=UTC LC_ALL=C

version=$(sed -nE 's/^project\(Kurimaro VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || { echo "deb: no project version in $src/CMakeLists.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)
linux=$src/packaging/linux
# The changelog's top entry must name the version being packaged.
changelog_version=$(sed -nE '1s/^kurimaro \(([^)]+)\).*/\1/p' "$linux/changelog")
if [ "$changelog_version" != "$version" ]; then
  echo "deb: packaging/linux/changelog starts at $changelog_version, the project is $version" >&2
  exit 1
fi

work=$build/deb
root=$work/root
rm -rf "$work"
mkdir -p "$root/DEBIAN" "$out"

for program in kurimaro kurimaro-lite; do
  install -D -m 755 "$build/gtk/$program" "$root/usr/bin/$program"
  # As dh_strip does: no symbols, no comment or note sections.
  strip --remove-section=.comment --remove-section=.note "$root/usr/bin/$program"
  install -D -m 644 "$linux/$program.desktop" "$root/usr/share/applications/$program.desktop"
  install -D -m 644 "$linux/$program.1" "$root/usr/share/man/man1/$program.1"
done
install -D -m 644 "$linux/kurimaro.metainfo.xml" "$root/usr/share/metainfo/kurimaro.metainfo.xml"

# The hicolor sizes the art draws: the window icon's 16, 32 and 48, and the
# tray icon's 24 (hicolor has no 20).
icon() {
  local ico=$1 size=$2 dir=$root/usr/share/icons/hicolor/${2}x${2}/apps
  mkdir -p "$dir"
  "$build/tools/kurimaro_icon_png" "$src/resources/generated/$ico" "$size" "$dir/kurimaro.png"
}
icon window.ico 16
icon tray.ico 24
icon window.ico 32
icon window.ico 48

doc=$root/usr/share/doc/kurimaro
install -D -m 644 "$linux/copyright" "$doc/copyright"
# A native package: the changelog is changelog.gz, compressed without a name
# or a date.
gzip -9n <"$linux/changelog" >"$doc/changelog.gz"
gzip -9n "$root"/usr/share/man/man1/*.1

# The libraries' packages, as the dynamic section and the symbols files tell.
mkdir -p "$work/shlibs/debian"
printf 'Source: kurimaro\n\nPackage: kurimaro\nArchitecture: any\n' >"$work/shlibs/debian/control"
depends=$(cd "$work/shlibs" && dpkg-shlibdeps -O "$root/usr/bin/kurimaro" "$root/usr/bin/kurimaro-lite" |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

# Installed-Size as dpkg-gencontrol counts it: KiB per file, rounded up, and
# one for each directory.
installed_size=$(find "$root" -path "$root/DEBIAN" -prune -o -type f -printf '%s\n' |
  awk '{ n += int(($1 + 1023) / 1024) } END { print n }')
installed_size=$((installed_size + $(find "$root" -path "$root/DEBIAN" -prune -o -type d -print | wc -l)))

cat >"$root/DEBIAN/control" <<EOF
Package: kurimaro
Version: $version
Architecture: $arch
Maintainer: Kurimaro maintainers <maintainers@users.noreply.c-seed-dd9e9532.example>
Installed-Size: $installed_size
Depends: $depends
Recommends: gstreamer1.0-plugins-base, gstreamer1.0-plugins-good
Section: x11
Priority: optional
Description: desktop clock mascot with alarms
 A small pixel-art man in a white coat stands on the desktop beside a speech
 bubble that shows the time, the date and the next alarm. His eyes follow the
 pointer. At the times listed in the alarm file he plays a sound and dances.
 .
 The window is cut to his outline and drawn at a whole-number scale from x1 to
 x10 with a drop shadow. Two programs: kurimaro, the full edition, and
 kurimaro-lite (no drop shadow, scale up to x5, no dance). Both run on X11
 (or XWayland) with GTK 3; the alarm sound needs GStreamer's player from
 gstreamer1.0-plugins-base and its WAV parser from gstreamer1.0-plugins-good.
EOF

(cd "$root" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/*
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

deb=$out/kurimaro_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
