#!/usr/bin/env bash
# Installs what is missing, builds every configuration (native, 64-bit and 32-bit Windows) and runs
# every test: the portable core natively (ASan + UBSan), then the core and the Windows-side tests
# under Wine on a virtual display. Extra arguments go to both ctest runs (for example -R core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh

jobs=$(nproc)
for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
cmake --build --preset win64 --target package >/dev/null
cmake --build --preset win32 --target package >/dev/null

ctest --preset native "$@"

export CORVANA_WINEPREFIX="$root/build/wineprefix-test"
. scripts/wine-env.sh
corvana_test_session
ctest --preset win64 "$@"
