#!/usr/bin/env bash
# Makes the demo distribution folder with the distribution kit: Setup.exe, the stand-in
# uninstall.exe, the encrypted data archive Ostrauwen_1-2.dat of a sample content folder, an
# agreement file and a notes file.
#   make-demo-distribution.sh <Windows build folder> <output folder> <distkit program>
set -euo pipefail
build="$1" out="$2" distkit="$3"
root="$(cd "$(dirname "$0")/.." && pwd)"

mkdir -p "$(dirname "$out")"
work="$(mktemp -d "${TMPDIR:-/tmp}/demo-dist.XXXXXX")"
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
mkdir -p "$tree/maps/Ostrauwen/tiles" "$tree/vehicles/Ostrauwen Stadtbus" "$tree/Fahrpläne" "$tree/Dokumentation"
printf '[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\nHaltestellen=48\r\nLinien=14\r\n' >"$tree/maps/Ostrauwen/global.cfg"
for i in $(seq -w 1 240); do
  head -c 6000 /dev/urandom | base64 >"$tree/maps/Ostrauwen/tiles/tile_$i.map"
done
head -c 3000000 /dev/urandom >"$tree/maps/Ostrauwen/terrain.bin"
printf 'Stadtbus Ostrauwen, 12 m, 3 Türen\r\n' >"$tree/vehicles/Ostrauwen Stadtbus/bus.cfg"
for l in 1 2 3 4 5 6 7; do printf 'Linie %s: Hauptbahnhof - Ölhafen\r\n' "$l" >"$tree/Fahrpläne/Linie_$l.ttp"; done
printf 'Handbuch (Demo)\r\n' >"$tree/Dokumentation/Handbuch.txt"

sed 's/Lizenzvertrag f\\'"'"'fcr das Addon/Lizenzvertrag (Demo-Distribution) f\\'"'"'fcr das Addon/' \
  "$root/resources/agreement.rtf" >"$work/Lizenzvertrag.rtf"
{
  printf '\xef\xbb\xbf'
  printf 'Demo-Distribution\r\n\r\nDiese Hinweise liegen als Readme.txt neben Setup.exe und ersetzen den eingebauten Text.\r\n'
  printf 'Das Datenarchiv enthält Beispieldateien; installiert wird in den Ordner, den die Einstellungen vorschlagen.\r\n'
} >"$work/Readme.txt"
"$distkit" --setup "$build/app/Setup.exe" --uninstaller "$build/tools/uninstall.exe" \
  --agreement "$work/Lizenzvertrag.rtf" --notes "$work/Readme.txt" --replace "$tree" "$out"
echo "demo distribution: $out"
