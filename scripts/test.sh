#!/usr/bin/env bash
# Installs what is missing, builds every configuration (native, 64-bit and 32-bit Windows) and runs
# every test: the portable core natively (ASan + UBSan), then the core and the Windows-side tests of
# both architectures under Wine on a virtual display. Extra arguments go to every ctest run (for
# example -R core).
# Set-up and builds are quiet unless they fail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/quiet.sh
scripts/setup.sh

jobs=$(nproc)
for preset in native win64 win32; do
    echo "test: building $preset"
    corvana_quietly cmake --preset "$preset"
    corvana_quietly cmake --build --preset "$preset" -j "$jobs"
    [ "$preset" = native ] || corvana_quietly cmake --build --preset "$preset" --target package
done

# Every suite runs even when one before it fails; the run fails if any did.
status=0
ctest --preset native "$@" || status=1

# Each Windows architecture under a Wine prefix of its own.
for arch in win64 win32; do
    (
        export CORVANA_WINEPREFIX="$root/build/wineprefix-test-$arch"
        . scripts/wine-env.sh
        corvana_test_session
        ctest --preset "$arch" "$@"
    ) || status=1
done
exit $status
