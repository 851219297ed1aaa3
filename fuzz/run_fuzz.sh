#!/usr/bin/env bash
# Fuzzes the ten commands for a given time and reports what it did:
#   fuzz/run_fuzz.sh BUILD_FOLDER SECONDS
# BUILD_FOLDER holds quillon_fuzz (the fuzz folder of the clang build). The corpus
# grows in BUILD_FOLDER/corpus from the seeds in fuzz/corpus; an input that crashes,
# leaks or hangs is written to BUILD_FOLDER/artifacts and stops the run.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
folder="$1"
seconds="$2"
mkdir -p "$folder/corpus" "$folder/artifacts"
log="$folder/fuzz.log"
artifacts_before=$(ls "$folder/artifacts" | wc -l)

"$folder/quillon_fuzz" -max_total_time="$seconds" -print_final_stats=1 -max_len=512 \
  -dict="$here/commands.dict" -artifact_prefix="$folder/artifacts/" \
  "$folder/corpus" "$here/corpus" >"$log" 2>&1
status=$?

grep -E '^(==[0-9]+==ERROR|SUMMARY: |quillon_fuzz: |artifact_prefix)' "$log"
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
found=$(($(ls "$folder/artifacts" | wc -l) - artifacts_before))
echo "fuzz: ${executions:-0} executions in ${seconds} s; corpus of $(ls "$folder/corpus" | wc -l) inputs"
echo "fuzz: crashes found: $found (log: $log)"
exit "$status"
