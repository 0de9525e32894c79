#!/usr/bin/env bash
# Builds the release packages of the current commit from a clean copy of it
# and writes them to dist/:
#   Kurimaro-<version>.zip        both programs, a sample alerm.txt, README.md,
#                                 the user guide and its pictures, LICENSE.txt
#   Kurimaro-<version>-setup.exe  the per-user installer
#   kurimaro_<version>_<arch>.deb the Linux edition's Debian package
#   SHA256SUMS
# Uncommitted changes are not in the packages. With --check it builds a second
# time in another folder and fails unless every file is the same, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}
check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

bash tools/setup.sh

version=$(sed -nE 's/^project\(Kurimaro VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no project version in CMakeLists.txt" >&2; exit 1; }
commit=$(git rev-parse --short HEAD)
# Every date in the packages is the commit's.
export SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export TZ=UTC
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: uncommitted changes are left out; building $commit as committed" >&2
fi
zip_name=Kurimaro-$version.zip
setup_name=Kurimaro-$version-setup.exe
deb_name=kurimaro_${version}_$(dpkg --print-architecture).deb

# Pictures (docs/*.png) that a Markdown file shows, as paths from the tree's root.
pictures_of() {
  local tree=$1 page=$2 dir ref path
  dir=$(dirname "$page")
  grep -oE '(\]\(|src=")[^)" ]+\.png' "$tree/$page" | sed -E 's/^(\]\(|src=")//' |
    while read -r ref; do
      path=$(realpath -m --relative-to="$tree" "$tree/$dir/$ref")
      case "$path" in docs/*.png) [ -f "$tree/$path" ] && echo "$path" ;; esac
    done
}

# build_packages WORK OUT: a clean tree in WORK/src, its Release build in
# WORK/build, the packages in OUT.
build_packages() {
  local work=$1 out=$2
  rm -rf "$work"
  mkdir -p "$work/src" "$out"
  git archive --format=tar HEAD | tar -x -C "$work/src"

  cmake -S "$work/src" -B "$work/build" --preset windows -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_EXE_LINKER_FLAGS=-s -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$work/src=." >/dev/null
  cmake --build "$work/build" -j "$jobs" --target Kurimaro KurimaroLite installer >/dev/null
  cp "$work/build/bin/$setup_name" "$out/"

  # The Linux edition from the same tree, with Debian's hardening flags.
  cmake -S "$work/src" -B "$work/native" --preset native -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -ffile-prefix-map=$work=." \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build "$work/native" -j "$jobs" --target kurimaro kurimaro-lite kurimaro_icon_png >/dev/null
  bash "$work/src/tools/deb.sh" "$work/src" "$work/native" "$out" >/dev/null

  local top=Kurimaro-$version
  local stage=$work/stage/$top
  mkdir -p "$stage"
  cp "$work/build/bin/Kurimaro.exe" "$work/build/bin/KurimaroLite.exe" "$stage/"
  cp "$work/src/packaging/alerm.txt" "$work/src/README.md" "$stage/"
  cp "$work/src/LICENSE" "$stage/LICENSE.txt"
  local pages=(README.md)
  if [ -f "$work/src/docs/guide.md" ]; then
    mkdir -p "$stage/docs"
    cp "$work/src/docs/guide.md" "$stage/docs/"
    pages+=(docs/guide.md)
  fi
  local picture
  for picture in $(for page in "${pages[@]}"; do pictures_of "$work/src" "$page"; done | sort -u); do
    mkdir -p "$stage/docs"
    cp "$work/src/$picture" "$stage/$picture"
  done

  # Fixed modes and dates, names in one order, no extra fields: the same zip
  # from the same commit on any machine.
  find "$stage" -type d -exec chmod 755 {} +
  find "$stage" -type f -exec chmod 644 {} +
  chmod 755 "$stage"/*.exe
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  rm -f "$out/$zip_name"
  (cd "$work/stage" && find "$top" -type f | LC_ALL=C sort |
     zip -q -X -D -9 "$out/$zip_name" -@)
  (cd "$out" && sha256sum "$zip_name" "$setup_name" "$deb_name" >SHA256SUMS)
}

start=$(date +%s)
mkdir -p dist
rm -f "dist/$zip_name" "dist/$setup_name" "dist/$deb_name" dist/SHA256SUMS
build_packages "$root/build/release" "$root/dist"
echo "release $version ($commit) in $(( $(date +%s) - start )) s:"
(cd dist && ls -l "$zip_name" "$setup_name" "$deb_name" SHA256SUMS | awk '{print "  " $5 "\t" $9}')
unzip -Z1 "dist/$zip_name" | sed 's/^/  zip: /'

if [ "$check" -eq 1 ]; then
  start=$(date +%s)
  build_packages "$root/build/release-check" "$root/build/release-check/dist"
  same=1
  for f in "$zip_name" "$setup_name" "$deb_name" SHA256SUMS; do
    if cmp -s "dist/$f" "build/release-check/dist/$f"; then echo "check: $f is the same"
    else echo "check: $f DIFFERS"; same=0; fi
  done
  echo "check: second build in $(( $(date +%s) - start )) s"
  [ "$same" -eq 1 ] || exit 1
fi
