#!/usr/bin/env bash
# Lists what a built Debian package holds and runs lintian,
# desktop-file-validate and appstreamcli (offline) over it. Warnings are
# printed; any error fails.
#   tools/check_deb.sh dist/kurimaro_<version>_<arch>.deb
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
errors=0

echo "-- contents"
dpkg-deb -c "$deb" | awk '{ print "  " $1, $2, $3, $6, $7, $8 }'
dpkg-deb -x "$deb" "$work"

echo "-- lintian"
# Tags go to stdout; lintian's own exit status also counts warnings.
lintian --tag-display-limit 0 --display-info "$deb" >"$work.lintian" 2>&1 || true
sed 's/^/  /' "$work.lintian"
grep -q '^E: ' "$work.lintian" && errors=$((errors + 1))
rm -f "$work.lintian"

echo "-- desktop-file-validate"
for entry in "$work"/usr/share/applications/*.desktop; do
  # Errors fail it; warnings and hints are only printed.
  desktop-file-validate "$entry" 2>&1 | sed 's/^/  /' || errors=$((errors + 1))
done

echo "-- appstreamcli validate --no-net"
metainfo=("$work"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net --no-color --explain "${metainfo[@]}" >"$work.as" 2>&1 || true
sed 's/^/  /' "$work.as"
grep -q '^E: ' "$work.as" && errors=$((errors + 1))
rm -f "$work.as"

if [ "$errors" -eq 0 ]; then echo "check_deb: no errors"; else echo "check_deb: $errors validator(s) found errors"; fi
[ "$errors" -eq 0 ]
