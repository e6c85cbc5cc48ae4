#!/usr/bin/env bash
# Checks Setup.exe: the expected PE format (PE32 for the i686 product), GUI subsystem, and
# imports. The program runs elevated from folders that users can write, and the loader looks
# for an import in the program's folder first unless it is a known system DLL: the import
# table may name known system DLLs only; every other system DLL must be delay-loaded (loaded
# after the program has restricted the search to the system folder). No libstdc++, libgcc or
# winpthread DLL either way.
set -euo pipefail
exe="$1" objdump="$2" arch="$3" delaydir="${4:-}"
info="$("$objdump" -p "$exe")"
fmt="$(file -b "$exe" || true)"
case "$arch" in
  i686) grep -q "file format pei-i386" <<<"$info" || { echo "not PE32: $fmt"; exit 1; } ;;
  x86_64) grep -q "file format pei-x86-64" <<<"$info" || { echo "not PE32+: $fmt"; exit 1; } ;;
esac
grep -Eq "^Subsystem\s+0*2\b" <<<"$info" || { echo "not a GUI program"; exit 1; }
known='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|comdlg32|shlwapi|msvcrt|ws2_32|imm32|rpcrt4|setupapi|psapi)\.dll$'
system='^(comctl32|version|bcrypt|uxtheme|msimg32|crypt32|msftedit)\.dll$'
status=0
while read -r dll; do
  lower="$(tr 'A-Z' 'a-z' <<<"$dll")"
  if grep -Eq "$known" <<<"$lower"; then echo "import: $dll"; else echo "unexpected import (not a known system DLL): $dll"; status=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$info")
# MinGW's delay-import libraries leave the PE's delay-import directory empty; their descriptors
# are named after the library in the symbol table.
symbols="$("$objdump" -t "$exe")"
delayed="$(sed -n 's/.*__DELAY_IMPORT_DESCRIPTOR_lib\([a-z0-9_]*\)_delay_a$/\1.dll/p' <<<"$symbols" | sort -u)"
# A delay-import stub that the linker dropped (reached only through its import pointer) is left
# as an absolute 0, and so is the pointer: the first call would jump to address 0. The .def
# files beside the delay-import libraries name their functions.
dropped=""
if [ -n "$delaydir" ]; then
  absent="$({ grep -E '\(sec -1\).* 0x0+ _?[A-Za-z]' <<<"$symbols" || true; } | awk '{print $NF}' | sed 's/^_//' | sort -u)"
  dropped="$(cat "$delaydir"/*.def | sed -n 's/^  //p' | sort -u | comm -12 - <(cat <<<"$absent"))"
fi
for s in $dropped; do echo "delay-import stub dropped by the linker: $s"; status=1; done
for dll in $delayed; do
  if grep -Eq "$system" <<<"$dll"; then echo "delay-loaded: $dll"; else echo "unexpected delay-loaded DLL: $dll"; status=1; fi
done
exit $status
