#!/usr/bin/env bash
# Runs the fuzz drivers under libFuzzer (preset fuzz: clang, ASan, UBSan, instrumented libzip),
# one after the other, each for the given time; not part of CI.
#   tools/fuzz.sh [seconds] [driver...] [-- libFuzzer options...]
# Seconds default to 60; drivers (names with or without "_fuzz") to every driver that
# tests/fuzz/CMakeLists.txt declares. Each driver starts from its corpus in tests/fuzz/corpus/
# and keeps the inputs it finds in build/fuzz/runs/<driver>/corpus for the next run; a finding
# is saved in build/fuzz/runs/<driver>/ and makes the command fail. Prints per driver the
# executions, their rate, the edges covered ("cov:" of libFuzzer's last line) and features.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

seconds=60
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then seconds="$1"; shift; fi
wanted=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do wanted+=("${1%_fuzz}"); shift; done
[ $# -gt 0 ] && shift  # the "--"
extra=("$@")

tools/bootstrap.sh
tools/build-deps.sh fuzz
mkdir -p build
cmake --preset fuzz >build/configure-fuzz.log 2>&1 || { cat build/configure-fuzz.log; exit 1; }
grep -A2 "CMake Warning" build/configure-fuzz.log || true
nice -n 10 cmake --build --preset fuzz -j "$(nproc)" >build/build-fuzz.log 2>&1 || {
  grep -E "error|Error" build/build-fuzz.log | head -n 40; echo "build of fuzz failed"; exit 1; }

list=build/fuzz/fuzz-drivers.txt
status=0
summary=()
while read -r name corpus; do
  subject="${name%_fuzz}"
  if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx "$subject"; then continue; fi
  run="build/fuzz/runs/$name"
  mkdir -p "$run/corpus"
  log="$run/last.log"
  echo "=== $name: ${seconds} s"
  rc=0
  # The first folder takes the new inputs; the repository's corpus is only read.
  nice -n 10 "build/fuzz/tests/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 \
    -artifact_prefix="$run/" "${extra[@]}" "$run/corpus" "$corpus" >"$log" 2>&1 || rc=$?
  last="$(grep -E '^#[0-9]+[[:space:]].* cov: ' "$log" | tail -n1 || true)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  corp="$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")"
  line="$name: ${execs:-?} executions (${rate:-?}/s), cov: ${cov:-?} edges, ft: ${ft:-?}, corpus ${corp:-?} inputs"
  if [ $rc -ne 0 ]; then
    status=1
    line="$line, FINDING (exit $rc): $(grep -E '^==[0-9]+== ?ERROR|^SUMMARY|Test unit written' "$log" | head -n3 | tr '\n' ' ' || true)"
    tail -n 40 "$log"
  else
    line="$line, no finding"
  fi
  echo "$line"
  summary+=("$line")
done <"$list"

echo
echo "=== fuzz summary (${seconds} s per driver; logs in build/fuzz/runs/<driver>/last.log)"
printf '%s\n' "${summary[@]}"
exit $status
