#!/usr/bin/env bash
# The differential test: the same console lines through the native stand-in with
# libquillon.so and through the Windows stand-in with quillon.dll under Wine, in host
# builds 0, 1 and 4, with the default players and those whose host data is odd, each
# session listing the world by float bits after every command.
# The transcripts must be identical, and so must a session run under a German C runtime
# locale (decimal comma) and the same session in the C locale.
#   run_differential.sh LINUX_BUILD WINDOWS_BUILD DLL OUT_FOLDER [SEED] [COUNT]
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
linux=$1
windows=$2
dll=$3
out=$4
seed=${5:-1}
count=${6:-10000}
native_locale=de_DE.UTF-8
windows_locale=German_Germany.1252
mkdir -p "$out"

native_server="$linux/standin/quillon-standin"
native_plugin="$linux/plugin/libquillon.so"
windows_server="$windows/standin/quillon-standin.exe"
lines="$out/lines.txt"
passed=0
failed=0

"$linux/tests/differential/quillon_line_generator" "$seed" "$count" "$here/../../fuzz/corpus" \
  >"$lines" || { echo "differential: cannot generate the lines" >&2; exit 1; }
commands=$(grep -cvxE 'players|reset' "$lines")

# run NAME SERVER... : one session with the lines on standard input.
run() {
  local name=$1
  shift
  "$@" --exact --odd-players <"$lines" >"$out/$name.txt" 2>"$out/$name.err"
  local status=$?
  if [ $status -ne 0 ]; then
    failed=$((failed + 1))
    echo "differential: $name ended with status $status: $(tail -c 300 "$out/$name.err")"
  fi
}

# The heap checks a Wine session ran, from its closing report.
heap_checks() {
  sed -n 's/.*host heap checks: \([0-9]*\) of the whole heap, \([0-9]*\) of single.*/\1 \2/p' \
    "$out/$1.err"
}

# same WHAT LEFT RIGHT : counts a comparison; shows where the transcripts part.
same() {
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

transcript=$(wc -l <"$out/native_0.txt")
whole=0
single=0
for name in wine_0 wine_1 wine_4 wine_0_german; do
  read -r w s <<<"$(heap_checks "$name")"
  whole=$((whole + ${w:-0}))
  single=$((single + ${s:-0}))
done
echo "differential: $commands command lines (seed $seed and the fuzzing corpus) in host builds 0, 1 and 4," \
     "natively and under Wine, and in locales $native_locale and $windows_locale;" \
     "$((commands * 5)) command lines compared, transcripts of $transcript lines"
echo "differential: host heap checks under Wine: $whole of the whole heap, $single of single blocks"
echo "differential: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
