#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (ctest's emulator for the Windows
# builds). On a machine that cannot run 32-bit programs, a 32-bit one is skipped with exit status
# 77, which ctest counts as skipped.
. "$(dirname "$0")/wine-env.sh"
if [ "$CORVANA_RUNS_32BIT" = no ] && corvana_is_32bit_program "$1"; then
    echo "skipped: $(basename "$1") is a 32-bit program, and this machine cannot run 32-bit programs"
    exit 77
fi
exec "$CORVANA_WINE" "$@"
