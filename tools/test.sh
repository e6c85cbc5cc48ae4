#!/usr/bin/env bash
# Builds everything and runs all tests: the portable core natively (plain and with ASan/UBSan),
# the product Setup.exe (PE32), and the Windows tests under Wine. Installs what is missing first.
# The PE32 layer (label pe32) drives the shipped Setup.exe: on the win32 build with the broad
# suite where the kernel runs 32-bit code; else from the win64 build with the 32-bit code
# emulated through qemu-i386 (set up here and removed at the end); else reported as skipped.
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
  local name="$p${1:+ $*}"
  local targets=()
  # Where the Windows tests run on the 64-bit build, the product build needs only Setup.exe.
  [ "$p" = win32 ] && [ "$wintest" = win64 ] && targets=(--target Setup)
  echo "=== $p: configure and build"
  cmake --preset "$p" >"build/configure-$p.log" 2>&1 || { cat "build/configure-$p.log"; return 1; }
  cmake --build --preset "$p" "${targets[@]}" -j "$jobs" >"build/build-$p.log" 2>&1 || {
    grep -E "error|Error" "build/build-$p.log" | head -n 40; echo "build of $p failed"; return 1; }
  echo "=== $p: tests"
  local log="build/ctest-$p${1:+-${1#-}${2:+-$2}}.log" rc=0
  ctest --preset "$p" "$@" 2>&1 | tee "$log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
  rc=${PIPESTATUS[0]}
  local skipped
  skipped="$(grep -c '(Skipped)$' "$log" || true)"
  summary+=("$name: $(grep -E 'tests passed' "$log" | tail -n1), $skipped skipped")
  return $rc
}

mkdir -p build
status=0
run_preset native || status=1
run_preset asan || status=1
if [ "$wintest" = win64 ]; then
  # The product build is compiled and checked (format, imports); the broad suite runs in win64.
  run_preset win32 -L product || status=1
  run_preset win64 -LE pe32 || status=1
  # The PE32 layer: the shipped Setup.exe, with 32-bit code emulated only for as long as it runs.
  trap i386_emulation_down EXIT
  if i386_emulation_up; then
    echo "=== pe32: 32-bit code runs emulated (qemu-i386 through binfmt_misc)"
  elif pe32_can_start; then
    echo "=== pe32: no emulation ($i386_reason); 32-bit code runs natively"
  else
    echo "PE32 layer skipped: this kernel cannot execute 32-bit code and emulation is not possible here ($i386_reason)"
  fi
  run_preset win64 -L pe32 || status=1
  i386_emulation_down
else
  run_preset win32 || status=1
fi

echo
echo "=== summary (Windows tests ran on the $wintest build)"
printf '%s\n' "${summary[@]}"
passed=0; failed=0; skipped=0
for s in "${summary[@]}"; do
  # ctest counts a skipped test among the passed ones.
  if [[ "$s" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+),\ ([0-9]+)\ skipped ]]; then
    failed=$((failed + BASH_REMATCH[1])); skipped=$((skipped + BASH_REMATCH[3]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1] - BASH_REMATCH[3]))
  fi
done
echo "$passed passed, $failed failed, $skipped skipped"
exit $status
