#!/usr/bin/env bash
# Builds Setup.exe and runs it on the built-in demo distribution. With a display (and a
# terminal) the wizard opens for you; headless, Xvfb is started and a scripted walk saves a
# PNG picture of every step into build/demo/screenshots.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source tools/common.sh
tools/bootstrap.sh
preset="$(windows_preset)"
tools/build-deps.sh "$(deps_target_of "$preset")"
cmake --preset "$preset" >"build/configure-demo.log" 2>&1 || { cat build/configure-demo.log; exit 1; }
cmake --build --preset "$preset" --target Setup demo_uninstall demo_walk -j "$(nproc)" | tail -n 1
# The distribution kit runs natively.
tools/build-deps.sh native
cmake --preset native >"build/configure-demo-native.log" 2>&1 || { cat build/configure-demo-native.log; exit 1; }
cmake --build --preset native --target distkit -j "$(nproc)" | tail -n 1

demo="$root/build/demo"
mkdir -p "$demo"
export SETUP_WINE_STATE="$demo/wine"
[ "$preset" = win32 ] && export SETUP_WINE_LOADER=/usr/bin/wine
tools/make-demo-distribution.sh "build/$preset" "$demo/dist" build/native/tools/distkit

if [ -n "${DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ]; then
  user_display="$DISPLAY"
  source tests/harness/wine-env.sh
  export DISPLAY="$user_display"
  mkdir -p "$SETUP_WINE_STATE"
  [ -f "$WINEPREFIX/.setup-ready" ] || { "$SETUP_WINE_LOADER" wineboot -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.setup-ready"; }
  cd "$demo/dist" && exec "$SETUP_WINE_LOADER" Setup.exe
fi

shots="$demo/screenshots"
rm -rf "$shots" "$demo/walks"
mkdir -p "$shots"
tests/harness/wine-start.sh
trap 'tests/harness/wine-stop.sh' EXIT
source tests/harness/wine-env.sh
winpath() { echo "Z:$(echo "$1" | sed 's|/|\\|g')\\"; }
walk="build/$preset/tools/demo_walk.exe"
run_walk() { # run_walk <name> <distribution> [--missing-archive]
  local name="$1" dist="$2"; shift 2
  "$SETUP_WINE_LOADER" "$walk" "$(winpath "$dist")" "$(winpath "$shots")" "$name" "$@" </dev/null \
    || echo "walk $name: ended with an error"
}
# 1: the whole way with a successful installation.
run_walk success "$demo/dist"
# 2: a source folder without the data archive.
mkdir -p "$demo/walks/missing" && cp "$demo/dist/Setup.exe" "$demo/walks/missing/"
run_walk missing "$demo/walks/missing" --missing-archive
# 3: an installation that fails (no uninstaller beside Setup.exe).
cp -r "$demo/dist" "$demo/walks/failure" && rm "$demo/walks/failure/uninstall.exe"
run_walk failure "$demo/walks/failure"
for f in "$shots"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm "$f"; done
echo "screenshots of every step: $shots"
ls "$shots"
