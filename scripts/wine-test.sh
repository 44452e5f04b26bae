#!/usr/bin/env bash
# Runs the Windows-side tests of one build folder under Wine, with a prefix and a virtual display
# of that folder's own, so that several build folders can be tested side by side.
# Usage: scripts/wine-test.sh BUILD_DIR [test program arguments, e.g. --gtest_filter=Startup.*]
set -euo pipefail
build=$(realpath "$1")
shift
export CORVANA_WINEPREFIX="$build/wineprefix"
. "$(dirname "$0")/wine-env.sh"
corvana_test_session
cd "$build"
corvana_wine "$build/corvana_win_tests.exe" "$@"
