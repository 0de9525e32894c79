#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the core's
# unit tests (plain and under ASan/UBSan), the Linux programs end to end on a
# virtual display with openbox, a short fuzz pass, the Windows programs under
# Wine on a virtual display, and the release packages (the Debian package
# checked by lintian, desktop-file-validate and appstreamcli).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-20}

bash tools/setup.sh

passed=0
failed=0
run_ctest() {
  local preset=$1 log
  log=$(mktemp)
  set +e
  ctest --preset "$preset" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  rm -f "$log"
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
  fi
}

echo "== unit tests and the Linux programs end to end"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
run_ctest native

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 run_ctest sanitize

echo "== fuzz pass (${fuzz_seconds} s per target)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  name=$(basename "$fuzzer" _fuzz)
  work=$(mktemp -d)
  # New inputs go to a scratch directory; the committed corpus is only read.
  if "$fuzzer" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 -print_final_stats=0 \
       "$work" "tests/fuzz/corpus/$name" >"$work.log" 2>&1; then
    echo "fuzz $name: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$work.log" | tail -1)"
    passed=$((passed + 1))
  else
    tail -40 "$work.log"
    echo "fuzz $name: FAILED (crash input kept in $(pwd))"
    failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done

echo "== Windows programs, end to end under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
run_ctest windows

echo "== release packages, built twice from a clean copy of the commit and compared"
if bash tools/release.sh --check; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "== the Debian package: its contents, then lintian, desktop-file-validate and appstreamcli"
version=$(sed -nE 's/^project\(Kurimaro VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
if bash tools/check_deb.sh "dist/kurimaro_${version}_$(dpkg --print-architecture).deb"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
