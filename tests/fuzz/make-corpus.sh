#!/usr/bin/env bash
# Writes the seed corpora of the fuzz drivers (small valid inputs) into tests/fuzz/corpus/:
#   make-corpus.sh <langblock>
# language_block: program files ending in blocks written by the publisher tool langblock;
# zipmaster: one small tree packed by Info-ZIP (ZipCrypto deflated and stored, unencrypted) and
# 7-Zip (ZipCrypto, AES-256, AES-128 stored) with the add-on's password.
set -euo pipefail
langblock="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
password='HaLtEr@20150307'
export LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC
work="$(mktemp -d "${TMPDIR:-/tmp}/fuzz-corpus.XXXXXX")"
trap 'rm -rf "$work"' EXIT

out="$here/corpus/language_block"
mkdir -p "$out"
mkblock() { # mkblock <file> <texts file>
  printf 'MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xff\xff\x00\x00' >"$out/$1"
  "$langblock" "$out/$1" "$2" >/dev/null
}
printf '%s\r\n' '0001=Willkommen' '0001h=Hinweis zum Schritt' '0026=&Weiter >' '0027=< &Zurück' \
  '0040=Zeile eins\\Zeile zwei' >"$work/de.txt"
mkblock de-small "$work/de.txt"
printf '\xEF\xBB\xBF%s\n' '0003=Größenübersicht: Bürgerstraße, Außenring' >"$work/bom.txt"
printf '%s\n' '0100=Ελληνικά' '0101=日本語のテキスト' '0102=😀 emoji' 'zeta=last' 'alpha=first' >>"$work/bom.txt"
mkblock unicode-unsorted "$work/bom.txt"
: >"$work/empty.txt"
mkblock empty "$work/empty.txt"
# A block replaced by a second one: the tool rewrites the trailer of the first.
mkblock replaced "$work/de.txt"
"$langblock" "$out/replaced" "$work/bom.txt" >/dev/null

out="$here/corpus/zipmaster"
mkdir -p "$out"
tree="$work/tree"
mkdir -p "$tree/maps/Ostrauwen" "$tree/Straßen"
printf '[Global]\nName=Ostrauwen\nVersion=1.2\nHaltestellen=48\nLinien=7\n' >"$tree/maps/Ostrauwen/global.cfg"
printf 'Übersicht der Größen: Bürgerstraße, Außenring, Ölhafen\n' >"$tree/Straßen/Größenübersicht.txt"
seq 1 300 | tr '\n' ' ' >"$tree/readme.txt"
find "$tree" -exec touch -d '2015-03-07 12:00:00' {} +
names=(maps Straßen readme.txt)
rm -f "$out"/*.zip
(cd "$tree" && zip -q -r -X -P "$password" "$out/infozip-zipcrypto.zip" "${names[@]}")
(cd "$tree" && zip -q -r -X -0 -P "$password" "$out/infozip-zipcrypto-stored.zip" "${names[@]}")
(cd "$tree" && zip -q -r "$out/infozip-plain.zip" "${names[@]}")
(cd "$tree" && 7z a -bd -bso0 -tzip -p"$password" -mem=ZipCrypto "$out/7zip-zipcrypto.zip" "${names[@]}")
(cd "$tree" && 7z a -bd -bso0 -tzip -p"$password" -mem=AES256 "$out/7zip-aes256.zip" "${names[@]}")
(cd "$tree" && 7z a -bd -bso0 -tzip -p"$password" -mem=AES128 -mx=0 "$out/7zip-aes128-stored.zip" "${names[@]}")
