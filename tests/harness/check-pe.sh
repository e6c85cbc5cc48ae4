#!/usr/bin/env bash
# Checks Setup.exe: the expected PE format (PE32 for the i686 product), GUI subsystem, and
# imports from system DLLs only (no libstdc++, libgcc or winpthread DLL beside it).
set -euo pipefail
exe="$1" objdump="$2" arch="$3"
info="$("$objdump" -p "$exe")"
fmt="$(file -b "$exe" || true)"
case "$arch" in
  i686) grep -q "file format pei-i386" <<<"$info" || { echo "not PE32: $fmt"; exit 1; } ;;
  x86_64) grep -q "file format pei-x86-64" <<<"$info" || { echo "not PE32+: $fmt"; exit 1; } ;;
esac
grep -Eq "^Subsystem\s+0*2\b" <<<"$info" || { echo "not a GUI program"; exit 1; }
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|version|bcrypt|msvcrt|shlwapi|uxtheme|msimg32|crypt32|ws2_32|api-ms-win-.*)\.dll$'
status=0
while read -r dll; do
  lower="$(tr 'A-Z' 'a-z' <<<"$dll")"
  if grep -Eq "$allowed" <<<"$lower"; then echo "import: $dll"; else echo "unexpected import: $dll"; status=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$info")
exit $status
