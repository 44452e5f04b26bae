#!/usr/bin/env bash
# Installs what is missing, builds every configuration (native, 64-bit and 32-bit Windows, with
# the benchmarks) and runs every test: the sources' format, the portable core natively (ASan +
# UBSan), then the core and the Windows-side tests of both architectures under Wine on a virtual display. Extra
# arguments go to every ctest run (for example -R core).
# On a machine that cannot run 32-bit programs (or with CORVANA_NO_32BIT=1), what needs one is
# skipped, each with a line saying so: the 32-bit suite is not started at all, and the 64-bit
# suite's 32-bit prefix test is counted as skipped by ctest.
# Set-up and builds are quiet unless they fail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/quiet.sh
scripts/setup.sh
. scripts/wine-env.sh

# Every suite runs even when one before it fails; the run fails if any did.
status=0

# One format for the whole tree (.clang-format); what differs is shown and fails the run.
echo "test: checking the format"
find src tests bench fuzz resources \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format --dry-run --Werror ||
    status=1

jobs=$(nproc)
for preset in native win64 win32; do
    echo "test: building $preset"
    corvana_quietly cmake --preset "$preset"
    corvana_quietly cmake --build --preset "$preset" -j "$jobs"
    [ "$preset" = native ] || corvana_quietly cmake --build --preset "$preset" --target package
done

ctest --preset native "$@" || status=1

if [ "$CORVANA_RUNS_32BIT" = no ]; then
    why="this machine cannot run 32-bit programs${CORVANA_NO_32BIT:+ (CORVANA_NO_32BIT is set)}"
    echo "test: skipping the 32-bit suite (build/win32, its core and Windows-side tests): $why"
    echo "test: skipping setup_on_32bit_windows (the 64-bit setup in a 32-bit Windows prefix): $why"
fi
# Each Windows architecture under a Wine prefix of its own.
for arch in win64 win32; do
    [ "$arch" = win32 ] && [ "$CORVANA_RUNS_32BIT" = no ] && continue
    (
        export CORVANA_WINEPREFIX="$root/build/wineprefix-test-$arch"
        . scripts/wine-env.sh
        corvana_test_session
        ctest --preset "$arch" "$@"
    ) || status=1
done
exit $status
