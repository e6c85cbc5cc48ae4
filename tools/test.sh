#!/usr/bin/env bash
# Builds everything and runs all tests: the portable core natively (plain and with ASan/UBSan),
# the product Setup.exe (PE32), and the Windows tests under Wine. Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"

source tools/common.sh
tools/bootstrap.sh
wintest="$(windows_preset)"
targets="native i686-w64-mingw32"
[ "$wintest" = win64 ] && targets="$targets x86_64-w64-mingw32"
tools/build-deps.sh $targets

summary=()
run_preset() { # run_preset <preset> [ctest args]
  local p="$1"; shift
  local targets=()
  # Where the Windows tests run on the 64-bit build, the product build needs only its programs.
  [ "$p" = win32 ] && [ "$wintest" = win64 ] && targets=(--target Setup uninstall)
  echo "=== $p: configure and build"
  cmake --preset "$p" >"build/configure-$p.log" 2>&1 || { cat "build/configure-$p.log"; return 1; }
  cmake --build --preset "$p" "${targets[@]}" -j "$jobs" >"build/build-$p.log" 2>&1 || {
    grep -E "error|Error" "build/build-$p.log" | head -n 40; echo "build of $p failed"; return 1; }
  echo "=== $p: tests"
  local log="build/ctest-$p.log" rc=0
  ctest --preset "$p" "$@" 2>&1 | tee "$log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
  rc=${PIPESTATUS[0]}
  summary+=("$p: $(grep -E 'tests passed' "$log" | tail -n1)")
  return $rc
}

mkdir -p build
status=0
run_preset native || status=1
run_preset asan || status=1
if [ "$wintest" = win64 ]; then
  # The product build is compiled and checked (format, imports); its tests run in win64.
  run_preset win32 -L product || status=1
fi
run_preset "$wintest" || status=1

echo
echo "=== summary (Windows tests ran on the $wintest build)"
printf '%s\n' "${summary[@]}"
passed=0; failed=0
for s in "${summary[@]}"; do
  if [[ "$s" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1])); passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
done
echo "$passed passed, $failed failed"
exit $status
