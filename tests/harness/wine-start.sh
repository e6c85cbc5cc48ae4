#!/usr/bin/env bash
# Fixture set-up: an Xvfb display (24-bit), an isolated win64 prefix and a persistent wineserver.
# With SETUP_WINE_PE32=1 the prefix must run 32-bit programs: it is made (or made again) while
# Wine's 32-bit loader starts, so that it gets its syswow64 folder.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
source "$(dirname "$0")/i386-exec.sh"
pe32="${SETUP_WINE_PE32:-0}"
if [ "$pe32" = 1 ] && ! pe32_can_start; then
  echo "wine: no 32-bit program can start here; the PE32 layer will report itself skipped"
  exit 0
fi
mkdir -p "$SETUP_WINE_STATE"
"$(dirname "$0")/wine-stop.sh" >/dev/null 2>&1 || true

n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$SETUP_WINE_STATE/xvfb.log" 2>&1 &
echo $! >"$SETUP_WINE_STATE/xvfb.pid"
echo ":$n" >"$SETUP_WINE_STATE/display"
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

ready=1
[ -f "$WINEPREFIX/.setup-ready" ] || ready=0
[ "$pe32" = 1 ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && ready=0
if [ $ready = 0 ]; then
  rm -rf "$WINEPREFIX"
  "$SETUP_WINE_LOADER" wineboot -i </dev/null >"$SETUP_WINE_STATE/wineboot.log" 2>&1 || true
  wineserver -w
  # Without a window manager every closing window stalls; unmanaged windows close at once.
  "$SETUP_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.setup-ready"
fi
# A persistent server makes every later process start fast; the first start must follow it.
wineserver -p </dev/null >/dev/null 2>&1
"$SETUP_WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1
echo "wine ready: prefix $WINEPREFIX, display :$n"
