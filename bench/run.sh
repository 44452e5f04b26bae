#!/usr/bin/env bash
# Builds and runs the benchmarks of the file list and the conversion run under Wine and prints
# their figures. Usage: bench/run.sh [BUILD_DIR] [ROUNDS] [load|run|starts|library|both] [OTHER_FFMPEG_EXE]
# (default build/win64, 3 rounds, both parts; the run part takes a few minutes a round). With
# another ffmpeg.exe, every conversion round runs with the build's and with that one in turn.
# The 100,000-file tree is made once from the Linux side (fast) and kept in BUILD_DIR/bench-tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win64}")
rounds=${2:-3}
cmake --build "$build" --target corvana_bench -j2 >/dev/null

tree="$build/bench-tree"
if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
exts = [".mp3", ".flac", ".wav", ".m4a", ".ogg"]
# 100 folders of 10 subfolders with 100 files each: 100,000 supported files, plus a few others.
for a in range(100):
    for b in range(10):
        d = os.path.join(root, f"artist {a:03d}", f"album {b:02d}")
        os.makedirs(d)
        for c in range(100):
            open(os.path.join(d, f"track {c:03d}{exts[c % 5]}"), "w").close()
        open(os.path.join(d, "cover.jpg"), "w").close()
open(os.path.join(root, ".complete"), "w").close()
PY
fi

export CORVANA_WINEPREFIX="$build/wineprefix"
. "$root/scripts/wine-env.sh"
corvana_test_session
cd "$build"
other=()
[ -z "${4:-}" ] || other=("$(corvana_wine winepath -w "$(realpath "$4")")")
corvana_wine "$build/corvana_bench.exe" "$(corvana_wine winepath -w "$tree")" "$rounds" "${3:-both}" "${other[@]}"
