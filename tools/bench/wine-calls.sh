#!/usr/bin/env bash
# Counts what one unattended installation costs under Wine, per archive entry: the requests the
# Setup.exe process sends to the Wine server (from the server's own trace) and the system calls
# of the Wine processes (strace). Guides the work on the install run's per-entry cost.
# Usage: tools/bench/wine-calls.sh <Setup.exe> <archive> [half]
#   half: the target already holds every second file of the archive (backups then happen)
# Needs a started harness prefix (SETUP_WINE_STATE, as tools/bench.sh sets it).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
setup="$(realpath "$1")" archive="$(realpath "$2")" mode="${3:-empty}"
source "$root/tests/harness/wine-env.sh"
work="$WINEPREFIX/drive_c/callcount"
rm -rf "$work"
mkdir -p "$work/dist" "$work/target"
cp "$setup" "$work/dist/Setup.exe"
cp "$archive" "$work/dist/Ostrauwen_1-2.dat"
printf 'MZ' >"$work/dist/uninstall.exe"
entries="$(unzip -Z1 "$archive" | grep -vc '/$')"
if [ "$mode" = half ]; then
  (cd "$work/target" && unzip -qq -P HaLtEr@20150307 "$archive" && find . -type f | sort | awk 'NR % 2 == 0' | xargs rm -f)
fi
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
trace="$work/server.trace"
wineserver -f -d1 2>"$trace" &
server=$!
sleep 1
"$SETUP_WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1
: >"$trace"
strace -f -c -o "$work/strace.txt" "$SETUP_WINE_LOADER" 'C:\callcount\dist\Setup.exe' /SILENT '/DIR=C:\callcount\target\' \
  </dev/null >/dev/null 2>&1 || echo "Setup.exe exit code $?"
wineserver -k 2>/dev/null || true
wait "$server" 2>/dev/null || true
echo "entries: $entries ($mode)"
echo "Wine server requests per entry (all processes of the run; the 15 most frequent):"
# Request lines only: a reply reads "name() = status { ... }".
requests() { grep -a -v '^[0-9a-f]*: [a-z_]*() = ' "$trace" | sed -n 's/^[0-9a-f]*: \([a-z_]*\)(.*/\1/p'; }
requests | sort | uniq -c | sort -rn | head -n 15 | awk -v n="$entries" '{ printf "  %-32s %8.2f\n", $2, $1 / n }'
requests | wc -l | awk -v n="$entries" '{ printf "  %-32s %8.2f\n", "all requests", $1 / n }'
echo "System calls per entry (Wine processes of the run; the 12 most frequent):"
awk -v n="$entries" 'NR > 2 && $NF != "total" && $4 ~ /^[0-9]+$/ { printf "  %-32s %8.2f\n", $NF, $4 / n }' "$work/strace.txt" |
  sort -k2 -rn | head -n 12
# A persistent server again for whatever runs next.
wineserver -p </dev/null >/dev/null 2>&1 || true
