#!/usr/bin/env bash
# The 64-bit setup on 32-bit Windows: in a 32-bit Wine prefix of its own, Windows refuses to start
# it, and nothing is installed. Needs a machine that runs 32-bit programs; elsewhere it is skipped
# (exit status 77).
# Usage: setup_on_32bit_windows.sh SETUP_EXE
set -euo pipefail
setup=$(realpath "$1")
work=$(mktemp -d)
. "$(dirname "$0")/../../scripts/wine-env.sh"
if [ "$CORVANA_RUNS_32BIT" = no ]; then
    echo "skipped: a 32-bit Windows prefix needs 32-bit programs, which this machine cannot run"
    exit 77
fi
export WINEPREFIX="$work/prefix" WINEARCH=win32
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
corvana_wine wineboot -i </dev/null >/dev/null 2>&1 || true

arch=$(corvana_wine cmd /c 'echo %PROCESSOR_ARCHITECTURE%' </dev/null 2>/dev/null | tr -d '\r')
[ "$arch" = x86 ] || { echo "FAIL: the prefix is not 32-bit Windows (it says \"$arch\")"; exit 1; }

status=0
corvana_wine "$setup" /S </dev/null >/dev/null 2>&1 || status=$?
installed=$(find "$WINEPREFIX/drive_c/users" -iname 'Corvana.exe' -o -iname 'Corvana.lnk' | head -1)
if [ "$status" -eq 0 ] || [ -n "$installed" ]; then
    echo "FAIL: exit status $status (a refusal expected); installed: ${installed:-nothing}"
    exit 1
fi
echo "32-bit Windows refused the 64-bit setup (exit status $status) and nothing was installed"
