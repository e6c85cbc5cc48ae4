#!/usr/bin/env bash
# Runs one test program of the PE32 layer under Wine. Where no 32-bit program can start it
# reports the test as skipped (exit 77, the tests' SKIP_RETURN_CODE); where 32-bit code runs
# emulated, the driver's waits grow by SETUP_TIMEOUT_FACTOR.
here="$(dirname "$0")"
source "$here/i386-exec.sh"
if ! pe32_can_start; then
  echo "PE32 layer skipped: this kernel cannot execute 32-bit code and no i386 emulator is registered in binfmt_misc"
  exit 77
fi
if [ -z "${SETUP_TIMEOUT_FACTOR:-}" ]; then
  SETUP_TIMEOUT_FACTOR=1
  [ -n "$(i386_emulator_entry)" ] && SETUP_TIMEOUT_FACTOR=30
fi
export SETUP_TIMEOUT_FACTOR
echo "timeout factor $SETUP_TIMEOUT_FACTOR"
exec "$here/wine-run.sh" "$@"
