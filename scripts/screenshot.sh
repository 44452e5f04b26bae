#!/usr/bin/env bash
# Starts Corvana on a virtual display and writes a PNG of its main window.
# Usage: scripts/screenshot.sh [out.png] [program arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshot.png}")
shift || true
"$root/scripts/setup.sh"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Corvana >/dev/null

export CORVANA_WINEPREFIX="$root/build/wineprefix-test"
. "$root/scripts/wine-env.sh"
corvana_test_session

# A program folder of its own, so the screenshot starts from the defaults.
folder=$(mktemp -d)
cp "$root/build/win64/Corvana.exe" "$root/build/win64/ffmpeg.exe" "$root/license.txt" "$folder/"
corvana_wine "$folder/Corvana.exe" "$@" </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk '/"KALDERN - Corvana"/ {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.2
done
[ -n "${id:-}" ] || { echo "screenshot: the main window did not appear" >&2; exit 1; }
sleep 1.5
import -window "$id" "$out"
rm -rf "$folder"
echo "$out"
