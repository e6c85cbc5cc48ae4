#!/usr/bin/env bash
# Fixture clean-up: end the wineserver and the Xvfb display started by wine-start.sh.
set -u
source "$(dirname "$0")/wine-env.sh"
wineserver -k </dev/null >/dev/null 2>&1 || true
if [ -f "$SETUP_WINE_STATE/xvfb.pid" ]; then
  kill "$(cat "$SETUP_WINE_STATE/xvfb.pid")" 2>/dev/null || true
  rm -f "$SETUP_WINE_STATE/xvfb.pid"
fi
exit 0
