#!/usr/bin/env bash
# Benchmarks of the install run under Wine, run by hand (never by CI, never by ctest):
#   tools/bench.sh wine [--preset win32|win64] [--entries 1000,20000,100000] [--runs 3] [--large]
#                       [--program <Setup.exe>]   (measure that Setup.exe instead of the built one)
# Builds what it needs (native bench_archive and zip_bench; floor_bench, setup_bench, Setup and
# uninstall in the preset), writes the archives once into build/bench/ (kept while the shape's
# sources are unchanged), starts the harness's Wine (own prefix build/<preset>/wine-bench, Xvfb,
# persistent wineserver) and, per entry count, after one warm-up round runs the given number of
# interleaved rounds: floor_bench, setup_bench empty, setup_bench half. Prints medians, the ratios
# setup/floor, how those ratios change from the smallest to the largest entry count, memory and
# responsiveness. --large adds the 1.1 GB archive through Setup.exe (empty target), interleaved
# with the native archive component on the same archive (zip_bench --extract).
# The preset defaults to win32 where the kernel executes 32-bit code, else win64. Every target,
# the distributions and the archives lie on one file system: the prefix's drive C: and build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source tools/common.sh

usage() {
  echo "usage: tools/bench.sh wine [--preset win32|win64] [--entries 1000,20000,100000] [--runs 3] [--large] [--program <Setup.exe>]" >&2
  exit 2
}
[ "${1:-}" = wine ] || usage
shift
preset="" entries="1000,20000,100000" runs=3 large=0 program=""
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) [ $# -ge 2 ] || usage; preset="$2"; shift 2 ;;
    --entries) [ $# -ge 2 ] || usage; entries="$2"; shift 2 ;;
    --runs) [ $# -ge 2 ] || usage; runs="$2"; shift 2 ;;
    --large) large=1; shift ;;
    --program) [ $# -ge 2 ] || usage; program="$(realpath "$2")"; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$preset" ] || preset="$(windows_preset)"
case "$preset" in win32 | win64) ;; *) echo "bench: preset is win32 or win64, not '$preset'" >&2; exit 2 ;; esac
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "bench: --runs takes a positive number, not '$runs'" >&2; exit 2; }
IFS=, read -r -a counts <<<"$entries"
[ ${#counts[@]} -gt 0 ] || usage
for n in "${counts[@]}"; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] && [ "$n" -le 1000000 ] || {
    echo "bench: entry counts are numbers from 1 to 1000000, not '$n'" >&2; exit 2; }
done

timeout_factor=1
if [ "$preset" = win32 ]; then
  if ! pe32_can_start; then
    echo "bench: this kernel does not execute 32-bit code and no i386 emulator is registered:" \
      "the win32 build cannot run here; use --preset win64" >&2
    exit 2
  fi
  if [ -n "$(i386_emulator_entry)" ]; then
    echo "bench: note: 32-bit code runs emulated (binfmt_misc entry $(i386_emulator_entry)): the figures measure the emulator too"
    timeout_factor=30
  fi
fi

echo "=== bench: build ($preset)"
tools/bootstrap.sh >/dev/null
tools/build-deps.sh native "$(deps_target_of "$preset")" >/dev/null
mkdir -p build/bench
build() { # build <preset> <targets...>
  local p="$1"; shift
  cmake --preset "$p" >"build/bench/configure-$p.log" 2>&1 || { cat "build/bench/configure-$p.log"; exit 1; }
  cmake --build --preset "$p" --target "$@" -j 2 >"build/bench/build-$p.log" 2>&1 || {
    grep -E "error|Error" "build/bench/build-$p.log" | head -n 40; echo "bench: build of $p failed" >&2; exit 1; }
}
build native bench_archive zip_bench
build "$preset" floor_bench setup_bench Setup uninstall
bin="build/$preset/tests/bench"

# The archives, made again when the shape or the generator changed.
shape_key="$(cat tests/bench/BenchShape.h tests/bench/bench_archive.cpp tools/kit/KitArchive.* | sha256sum | cut -c1-16)"
archive() { # archive <small N | large>: prints the archive's path, writing it when needed
  local name="$1${2:+-$2}" file
  file="build/bench/$name.zip"
  if [ ! -f "$file" ] || [ "$(cat "$file.key" 2>/dev/null)" != "$shape_key" ]; then
    echo "=== bench: writing $file" >&2
    rm -f "$file" "$file.key"
    if [ "$1" = small ]; then build/native/tests/bench/bench_archive small "$2" "$file" >&2
    else build/native/tests/bench/bench_archive large "$file" >&2; fi
    echo "$shape_key" >"$file.key"
  fi
  echo "$file"
}
windows_path() { local p; p="$(realpath "$1")"; printf 'Z:%s' "${p//\//\\}"; }

# The harness's Wine, in a prefix of the benchmark's own.
export SETUP_WINE_STATE="$root/build/$preset/wine-bench"
if [ "$preset" = win32 ]; then export SETUP_WINE_LOADER=/usr/bin/wine SETUP_WINE_PE32=1
else export SETUP_WINE_LOADER=/usr/lib/wine/wine64; fi
export SETUP_TIMEOUT_FACTOR="${SETUP_TIMEOUT_FACTOR:-$timeout_factor}"
trap 'tests/harness/wine-stop.sh >/dev/null 2>&1' EXIT
echo "=== bench: wine"
tests/harness/wine-start.sh
source tests/harness/wine-env.sh
drive_c="$WINEPREFIX/drive_c"
floor_dir="$drive_c/bench-floor"
# Left over by an interrupted run: the floor's target and setup_bench's folders in the temp folder.
clean_leftovers() {
  rm -rf "$floor_dir" "$drive_c"/users/*/Temp/install-bench-* "$drive_c"/users/*/Temp/setup-e2e/bench-* \
    "$root/build/bench/native-large"
}
clean_leftovers

if [ -n "$program" ]; then
  export SETUP_BENCH_PROGRAM="$(windows_path "$program")"
  echo "=== bench: Setup.exe under test: $program"
fi
log="build/bench/wine-$preset-$(date +%Y%m%d-%H%M%S).log"
echo "=== bench: raw figures in $log"
run_floor() { # run_floor <N> <round>
  rm -rf "$floor_dir"
  local line
  line="$(tests/harness/wine-run.sh "$bin/floor_bench.exe" "$1" 'C:\bench-floor' | tr -d '\r')" || { echo "bench: floor_bench failed" >&2; exit 1; }
  rm -rf "$floor_dir"
  echo "$line round=$2" | tee -a "$log"
}
run_setup() { # run_setup <small N | large> <empty|half> <archive> <round>
  local line
  if [ "$1" = small ]; then
    line="$(tests/harness/wine-run.sh "$bin/setup_bench.exe" small "$2" "$3" "$(windows_path "$4")" | tr -d '\r')" || {
      echo "bench: setup_bench failed" >&2; exit 1; }
    echo "$line round=$5" | tee -a "$log"
  else
    line="$(tests/harness/wine-run.sh "$bin/setup_bench.exe" large "$2" "$(windows_path "$3")" | tr -d '\r')" || {
      echo "bench: setup_bench failed" >&2; exit 1; }
    echo "$line round=$4" | tee -a "$log"
  fi
}
run_native() { # run_native <archive> <round>: the archive component natively, as the install run calls it
  local out="$root/build/bench/native-large" line
  rm -rf "$out"; mkdir -p "$out"
  line="$(build/native/tests/bench/zip_bench --extract "$1" "$out")" || { echo "bench: zip_bench failed" >&2; exit 1; }
  rm -rf "$out"
  echo "native shape=large $(sed -n 's/.*extraction \([0-9.]*\) s.*/seconds=\1/p' <<<"$line") round=$2" | tee -a "$log"
}

for n in "${counts[@]}"; do
  file="$(archive small "$n")"
  echo "=== bench: $n entries ($(du -h "$file" | cut -f1) archive), warm-up round, then $runs rounds"
  for round in $(seq 0 "$runs"); do
    run_floor "$n" "$round"
    run_setup small "$n" empty "$file" "$round"
    run_setup small "$n" half "$file" "$round"
  done
done
if [ $large = 1 ]; then
  file="$(archive large)"
  echo "=== bench: large archive ($(du -h "$file" | cut -f1)), warm-up round, then $runs rounds"
  for round in $(seq 0 "$runs"); do
    run_setup large empty "$file" "$round"
    run_native "$file" "$round"
  done
fi
clean_leftovers

echo
echo "=== bench: Wine, preset $preset, medians of $runs rounds (round 0, the warm-up, left out)"
python3 - "$log" <<'PY'
import statistics, sys

rows = []
for line in open(sys.argv[1]):
    kind, *pairs = line.split()
    row = dict(p.split("=", 1) for p in pairs)
    row["kind"] = kind
    if row.get("round") != "0":
        rows.append(row)

def values(key, **match):
    return [float(r[key]) for r in rows if all(r.get(k) == v for k, v in match.items()) and key in r]

def med(key, **match):
    v = values(key, **match)
    return statistics.median(v) if v else float("nan")

counts = sorted({int(r["entries"]) for r in rows if r["kind"] == "floor"})
ratio = {}
print(f"{'entries':>8} {'floor s':>9} {'setup empty s':>14} {'setup half s':>13} {'empty/floor':>12} {'half/floor':>11}")
for n in counts:
    e = str(n)
    floor = med("seconds", kind="floor", entries=e)
    empty = med("seconds", kind="setup", shape="small", entries=e, scenario="empty")
    half = med("seconds", kind="setup", shape="small", entries=e, scenario="half")
    ratio[n] = (empty / floor, half / floor)
    print(f"{n:>8} {floor:>9.3f} {empty:>14.3f} {half:>13.3f} {ratio[n][0]:>12.2f} {ratio[n][1]:>11.2f}")
if len(counts) > 1:
    a, b = counts[0], counts[-1]
    print(f"ratio change from {a} to {b} entries: empty {ratio[b][0] - ratio[a][0]:+.2f}, half {ratio[b][1] - ratio[a][1]:+.2f}")

print()
print("memory of Setup.exe (private bytes, MiB): on the settings step; peak above that during the run,")
print("sampled every 10 ms and by the peak counter at the result")
print(f"{'entries':>8} {'scenario':>9} {'settings':>9} {'peak sampled':>13} {'peak counter':>13}")
for n in counts:
    for s in ("empty", "half"):
        m = dict(kind="setup", shape="small", entries=str(n), scenario=s)
        print(f"{n:>8} {s:>9} {med('settings_private_mib', **m):>9.1f} {med('peak_sampled_above_mib', **m):>13.1f}"
              f" {med('peak_counter_above_mib', **m):>13.1f}")

print()
print("responsiveness: longest answer of the wizard window to WM_NULL (every 10 ms from the click), ms")
print("and when the worst one was sent (s after the click; the run's length beside it)")
print(f"{'entries':>8} {'scenario':>9} {'median':>8} {'worst':>8} {'at s':>8} {'of s':>8} {'timeouts':>9}")
for n in counts:
    for s in ("empty", "half"):
        m = dict(kind="setup", shape="small", entries=str(n), scenario=s)
        worst = max((r for r in rows if all(r.get(k) == v for k, v in m.items())),
                    key=lambda r: float(r["longest_answer_ms"]))
        print(f"{n:>8} {s:>9} {med('longest_answer_ms', **m):>8.1f} {float(worst['longest_answer_ms']):>8.1f}"
              f" {float(worst['longest_answer_at_s']):>8.3f} {float(worst['seconds']):>8.3f}"
              f" {int(sum(values('timeouts', **m))):>9}")

if any(r.get("shape") == "large" for r in rows):
    m = dict(kind="setup", shape="large", scenario="empty")
    print()
    print(f"large archive (8 x 128 MiB) through Setup.exe: {med('seconds', **m):.3f} s "
          f"(per largest entry {med('largest_entry_mean_seconds', **m):.3f} s); "
          f"native component (zip_bench --extract): {med('seconds', kind='native', shape='large'):.3f} s")
    print(f"  memory: settings step {med('settings_private_mib', **m):.1f} MiB, peak above "
          f"{med('peak_sampled_above_mib', **m):.1f} MiB sampled, {med('peak_counter_above_mib', **m):.1f} MiB counter")
    worst = max((r for r in rows if all(r.get(k) == v for k, v in m.items())), key=lambda r: float(r["longest_answer_ms"]))
    print(f"  longest answer: whole run {med('longest_answer_ms', **m):.1f} ms (worst {float(worst['longest_answer_ms']):.1f},"
          f" sent {float(worst['longest_answer_at_s']):.3f} s after the click of a {float(worst['seconds']):.3f} s run),"
          f" while a largest entry was written {med('largest_entry_longest_answer_ms', **m):.1f} ms")
PY
