#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the ctest emulator of the win64 build).
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
