#!/usr/bin/env bash
# Builds and runs the benchmark of the list commands under Wine and prints its figures.
# Usage: bench/list.sh [BUILD_DIR] [ROUNDS] [ITEMS]   (default build/win64, 3 rounds, 100000 items)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win64}")
cmake --build "$build" --target corvana_list_bench -j2 >/dev/null

export CORVANA_WINEPREFIX="$build/wineprefix"
. "$root/scripts/wine-env.sh"
corvana_test_session
cd "$build"
corvana_wine "$build/corvana_list_bench.exe" "${2:-3}" "${3:-100000}"
