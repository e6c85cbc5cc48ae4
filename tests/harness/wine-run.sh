#!/usr/bin/env bash
# Cross-compiling emulator: runs one Windows program under Wine in the harness environment.
source "$(dirname "$0")/wine-env.sh"
exec "$SETUP_WINE_LOADER" "$@"
