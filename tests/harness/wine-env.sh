# Sourced by the Wine harness scripts: the environment every Windows test runs in.
# SETUP_WINE_STATE names the state folder inside the build tree (prefix, display, logs).
: "${SETUP_WINE_STATE:?SETUP_WINE_STATE not set}"
export WINEPREFIX="$SETUP_WINE_STATE/prefix"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono/Gecko prompts; no menu files written outside the prefix for Start-menu links.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# ANSI code page 1252, OEM 437, locale 0x409: tests compare ANSI bytes.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
if [ -f "$SETUP_WINE_STATE/display" ]; then
  export DISPLAY="$(cat "$SETUP_WINE_STATE/display")"
fi
# The 64-bit loader runs both 64-bit programs and, where the kernel allows 32-bit code, 32-bit ones.
SETUP_WINE_LOADER="${SETUP_WINE_LOADER:-/usr/lib/wine/wine64}"
export SETUP_WINE_LOADER
