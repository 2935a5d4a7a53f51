#!/usr/bin/env bash
# Opens the index pages that kelpie-export --render and kelpie-check --render
# write in a real browser (Debian's chromium, headless) and checks that
# every picture loaded and that the page shows the check results: once for
# the sample board as exported, once for a copy with a planted fault.
#
# usage: browser_test.sh KELPIE-EXPORT KELPIE-CHECK
# Exit status 77 (skipped) when chromium is not installed.
set -euo pipefail
export_program=$1
check_program=$2

chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then
  echo "chromium is not installed; skipping"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# Prints the page's DOM once its load handler has run.
dom_of() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile-$RANDOM" --virtual-time-budget=20000 --dump-dom "file://$1" 2>/dev/null
}

# Every picture of the page loaded, and the page says so.
expect_all_loaded() {
  local dom=$1
  local images loaded
  images=$(grep -o '<img ' <<<"$dom" | wc -l)
  loaded=$(grep -o 'data-loaded="yes"' <<<"$dom" | wc -l)
  [ "$images" -gt 0 ] || fail "no pictures on the page"
  [ "$loaded" -eq "$images" ] || fail "$loaded of $images pictures loaded"
  grep -q "All $images pictures loaded." <<<"$dom" || fail "the page does not report its pictures loaded"
}

# The sample board as exported: every check passes.
"$export_program" -q -o "$work/out" --render "$work/pictures" || fail "kelpie-export --render failed"
dom=$(dom_of "$work/pictures/index.html")
expect_all_loaded "$dom"
# The ODB++ job and the IDF board, each passing.
[ "$(grep -o 'Every check passed.' <<<"$dom" | wc -l)" -eq 2 ] || fail "the sample board's results are not shown"
grep -q 'src="kelpie-sample/top.png"' <<<"$dom" || fail "top.png of the job is not on the page"
grep -q 'src="kelpie-sample.emn/top.png"' <<<"$dom" || fail "the IDF picture is not on the page"

# A copy with a pad whose symbol is not in the table: the problem is listed
# at its file and line.
cp -r "$work/out/kelpie-sample" "$work/faulty"
features="$work/faulty/steps/pcb/layers/top/features"
echo "P 1 1 99 P 0 0" >>"$features"
line=$(wc -l <"$features")
status=0
"$check_program" -q --render "$work/faulty-pictures" "$work/faulty" >"$work/faulty.txt" || status=$?
[ "$status" -eq 1 ] || fail "kelpie-check found no problem in the faulty job (status $status)"
dom=$(dom_of "$work/faulty-pictures/index.html")
expect_all_loaded "$dom"
grep -q "problems\? found:" <<<"$dom" || fail "the faulty job's verdict is not shown"
grep -q "steps/pcb/layers/top/features:$line: " <<<"$dom" || fail "the planted fault at line $line is not listed"
echo "index pages load in chromium with every picture and the check results"
