#!/usr/bin/env bash
# The differential test: the same console lines through the native stand-in with
# libquillon.so and through the Windows stand-in with quillon.dll under Wine, in host
# builds 0, 1 and 4, with the default players and those whose host data is odd, each
# session listing the world by float bits after every command.
# The transcripts must be identical, and so must a session run under a German C runtime
# locale (decimal comma) and the same session in the C locale, and sessions whose host
# threads call the plug-in in six of the other floating-point states (--fpu, the
# fpu_states below: 24-bit precision, rounding toward zero, unmasked traps,
# flush-to-zero, all at once) and the same session in the host state: natively each state in every build, under Wine each state in build 0 and all of
# them at once (hostile) in builds 1 and 4.
#   run_differential.sh [--part PART] LINUX_BUILD WINDOWS_BUILD DLL OUT_FOLDER [SEED] [COUNT]
# PART splits the work where Wine runs elsewhere (in the emulated guest): "native"
# generates the lines and runs the native sessions, "wine" the Wine sessions (as many at
# once as there are processors), "compare" judges them all; "all", the default, does
# the three in turn.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
part=all
if [ "${1:-}" = --part ]; then
  part=$2
  shift 2
fi
case "$part" in all | native | wine | compare) ;; *) echo "differential: unknown part '$part'" >&2; exit 2 ;; esac
linux=$1
windows=$2
dll=$3
out=$4
seed=${5:-1}
count=${6:-10000}
native_locale=de_DE.UTF-8
windows_locale=German_Germany.1252
fpu_states="single toward-zero x87-traps ftz-daz sse-traps hostile"
mkdir -p "$out"
# The Wine sessions start several at once: Wine's prefix must be made before them.
if [ "$part" = all ] || [ "$part" = wine ]; then
  "$here/../../scripts/wine_prefix.sh" || { echo "differential: Wine's prefix cannot be made" >&2; exit 1; }
fi

native_server="$linux/standin/quillon-standin"
native_plugin="$linux/plugin/libquillon.so"
windows_server="$windows/standin/quillon-standin.exe"
lines="$out/lines.txt"
passed=0
failed=0
compared=0
wine_runs=""

if [ "$part" = all ] || [ "$part" = native ]; then
  "$linux/tests/differential/quillon_line_generator" "$seed" "$count" "$here/../../fuzz/corpus" \
    >"$lines" || { echo "differential: cannot generate the lines" >&2; exit 1; }
fi
if [ "$part" = all ] || [ "$part" = native ]; then rm -f "$out"/*.status; fi
commands=$(grep -cvxE 'players|reset' "$lines")

# A session writes into a scratch folder, and its files move to OUT_FOLDER when it
# ends: in the emulated guest OUT_FOLDER is on the checkout's 9p share, where each of
# a session's twenty thousand small writes is a round trip to the host (a Wine session
# of 2,000 lines took 17 s there, 8 s writing into the guest's own memory).
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillon-differential.XXXXXX") ||
  { echo "differential: no scratch folder" >&2; exit 1; }
trap 'rm -rf "$scratch"' EXIT

# session NAME SERVER... : one session with the lines on standard input; its exit status
# is kept beside its transcript, and moved last, so a status means both files are there.
session() {
  local name=$1
  shift
  "$@" --exact --odd-players <"$lines" >"$scratch/$name.txt" 2>"$scratch/$name.err"
  echo $? >"$scratch/$name.status"
  mv -f "$scratch/$name.txt" "$scratch/$name.err" "$out/" && mv -f "$scratch/$name.status" "$out/"
}

# run NAME SERVER... : runs the session if it belongs to this part (Wine's in the
# background, as many as there are processors), or judges how it ended.
run() {
  local name=$1
  shift
  local side=native
  if [ "$1" = wine ]; then
    side=wine
    wine_runs="$wine_runs $name"
  fi
  if [ "$part" = "$side" ] && [ "$side" = wine ]; then
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n; done
    session "$name" "$@" &
  elif [ "$part" = "$side" ] || [ "$part" = all ]; then
    session "$name" "$@"
  fi
  if [ "$part" = all ] || [ "$part" = compare ]; then judge "$name"; fi
}

# judge NAME : counts a session that failed or crashed.
judge() {
  local name=$1
  local status
  status=$(cat "$out/$name.status" 2>/dev/null || echo "no status (not run)")
  if [ "$status" != 0 ]; then
    failed=$((failed + 1))
    echo "differential: $name ended with status $status: $(tail -c 300 "$out/$name.err")"
  elif grep -q "Unhandled exception" "$out/$name.err"; then
    # Wine may report a crash and still end with status 0.
    failed=$((failed + 1))
    echo "differential: $name crashed: $(grep -m 1 "Unhandled exception" "$out/$name.err")"
  fi
}

# The heap checks a Wine session ran, from its closing report.
heap_checks() {
  sed -n 's/.*host heap checks: \([0-9]*\) of the whole heap, \([0-9]*\) of single.*/\1 \2/p' \
    "$out/$1.err"
}

# same WHAT LEFT RIGHT : counts a comparison; shows where the transcripts part.
same() {
  [ "$part" = all ] || [ "$part" = compare ] || return 0
  compared=$((compared + 1))
  if cmp -s "$out/$2.txt" "$out/$3.txt"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "differential: $1 differ ($2 against $3):"
    diff "$out/$2.txt" "$out/$3.txt" | head -20
  fi
}

# The locale must really have been set, with its decimal comma, or the test shows nothing.
locale_set() {
  [ "$part" = all ] || [ "$part" = compare ] || return 0
  if grep -q "decimal point ','" "$out/$1.err"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "differential: the locale of $1 was not set: $(head -c 300 "$out/$1.err")"
  fi
}

for build in 0 1 4; do
  run "native_$build" "$native_server" --build "$build" --plugin "$native_plugin"
  run "wine_$build" wine "$windows_server" --build "$build" --plugin "$dll"
  same "build $build, native and Wine" "native_$build" "wine_$build"
done
run native_0_german "$native_server" --build 0 --plugin "$native_plugin" --locale "$native_locale"
locale_set native_0_german
same "native build 0 in the C and a German locale" native_0 native_0_german
run wine_0_german wine "$windows_server" --build 0 --plugin "$dll" --locale "$windows_locale"
locale_set wine_0_german
same "build 0 under Wine in the C and a German locale" wine_0 wine_0_german

# The host's threads in the other floating-point states: the transcript of the host state.
for build in 0 1 4; do
  for state in $fpu_states; do
    run "native_${build}_$state" "$native_server" --build "$build" --plugin "$native_plugin" \
      --fpu "$state"
    same "native build $build in the host state and $state" "native_$build" "native_${build}_$state"
  done
done
for state in $fpu_states; do
  run "wine_0_$state" wine "$windows_server" --build 0 --plugin "$dll" --fpu "$state"
  same "build 0 natively in the host state and under Wine in $state" native_0 "wine_0_$state"
done
for build in 1 4; do
  run "wine_${build}_hostile" wine "$windows_server" --build "$build" --plugin "$dll" --fpu hostile
  same "build $build natively in the host state and under Wine in hostile" "native_$build" \
    "wine_${build}_hostile"
done

if [ "$part" = native ] || [ "$part" = wine ]; then
  wait
  echo "differential: the $part sessions have run"
  exit 0
fi
transcript=$(wc -l <"$out/native_0.txt")
whole=0
single=0
for name in $wine_runs; do
  read -r w s <<<"$(heap_checks "$name")"
  whole=$((whole + ${w:-0}))
  single=$((single + ${s:-0}))
done
echo "differential: $commands command lines (seed $seed and the fuzzing corpus) in host builds 0, 1 and 4," \
     "natively and under Wine, in locales $native_locale and $windows_locale," \
     "and with the host's threads in the floating-point states $fpu_states;" \
     "$((commands * compared)) command lines compared, transcripts of $transcript lines"
echo "differential: host heap checks under Wine: $whole of the whole heap, $single of single blocks"
echo "differential: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
