#!/usr/bin/env bash
# Runs the tiers of make test one after another, each as its own make target, and ends
# with one summary: each tier, where its programs ran, how many tests it counted and
# how long it took. The first tier that fails stops the run; the summary still shows
# what ran, and the run fails.
#   test_tiers.sh TIER...
# Each tier's output goes to the screen and to build/tiers/TIER.log, from which its
# count is read: CTest's "out of N", a GoogleTest program's "N tests ... ran" where no
# CTest ran, and the differential's "P passed, F failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
logs=build/tiers
mkdir -p "$logs"

# Where a part's programs run, in words: the i386 programs of the native builds, Wine,
# the i386 sanitizer builds, and this machine's own (x86-64) programs.
case "$("$here/runs_here.sh" i386)" in
  user-mode) i386="QEMU user-mode" ;;
  *) i386=natively ;;
esac
in_words() {
  case "$("$here/runs_here.sh" "$1" 2>/dev/null)" in
    here) echo natively ;;
    guest) echo "in the guest" ;;
    *) echo nowhere ;;
  esac
}
wine=$(in_words wine)
sanitizers=$(in_words sanitizers)

where() {
  case "$1" in
    test-linux) echo "$i386" ;;
    test-windows) echo "checks natively, Wine $wine" ;;
    test-dll-native) echo "$i386" ;;
    test-check-tool) echo natively ;;
    test-differential) echo "native $i386, Wine $wine" ;;
    test-sanitize | test-fuzz) echo "source checks natively, the rest $sanitizers" ;;
    *) echo "?" ;;
  esac
}

# The tests a tier's log counts.
count() {
  local log=$1 ctest gtest differential
  ctest=$(sed -n 's/.*tests passed, [0-9]* tests\{0,1\} failed out of \([0-9]*\)$/\1/p' "$log" |
    awk '{ n += $1 } END { print n + 0 }')
  differential=$(sed -n 's/^differential: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$log" |
    awk '{ n += $1 + $2 } END { print n + 0 }')
  if [ "$ctest" -eq 0 ]; then
    gtest=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' "$log" |
      awk '{ n += $1 } END { print n + 0 }')
  else
    gtest=0
  fi
  echo $((ctest + gtest + differential))
}

minutes() { printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); }

summary=()
failed=
for tier in "$@"; do
  if [ -n "$failed" ]; then
    summary+=("$(printf '  %-18s %s' "$tier" "not run: $failed failed first")")
    continue
  fi
  log="$logs/$tier.log"
  start=$(date +%s)
  "${MAKE:-make}" --no-print-directory "$tier" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  took=$(($(date +%s) - start))
  result=passed
  [ "$status" -eq 0 ] || result=FAILED
  summary+=("$(printf '  %-18s %-7s %5s tests  %-13s %s' "$tier" "$result" "$(count "$log")" \
    "$(minutes "$took")" "$(where "$tier")")")
  [ "$status" -eq 0 ] || failed=$tier
done

echo
echo "make test: each tier, its tests, its time and where its programs ran"
printf '%s\n' "${summary[@]}"
if [ -n "$failed" ]; then
  echo "make test: FAILED in $failed (its output: $logs/$failed.log)"
  exit 1
fi
echo "make test: every tier passed"
