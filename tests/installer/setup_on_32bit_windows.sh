#!/usr/bin/env bash
# The 64-bit setup on 32-bit Windows: in a 32-bit Wine prefix of its own, the silent setup
# refuses with exit status 2 and installs nothing.
# Usage: setup_on_32bit_windows.sh SETUP_EXE
set -euo pipefail
setup=$(realpath "$1")
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
wineboot -i </dev/null >/dev/null 2>&1 || true

arch=$(wine cmd /c 'echo %PROCESSOR_ARCHITECTURE%' </dev/null 2>/dev/null | tr -d '\r')
[ "$arch" = x86 ] || { echo "FAIL: the prefix is not 32-bit Windows (it says \"$arch\")"; exit 1; }

status=0
wine "$setup" /S </dev/null >/dev/null 2>&1 || status=$?
installed=$(find "$WINEPREFIX/drive_c/users" -iname 'Corvana.exe' -o -iname 'Corvana.lnk' | head -1)
if [ "$status" -ne 2 ] || [ -n "$installed" ]; then
    echo "FAIL: exit status $status (2 expected); installed: ${installed:-nothing}"
    exit 1
fi
echo "the 64-bit setup refused on 32-bit Windows with exit status 2 and installed nothing"
