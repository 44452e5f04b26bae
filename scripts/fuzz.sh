#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/fuzz_*.cpp) with clang's libFuzzer, AddressSanitizer and UBSan, and
# runs each for SECONDS (default 60), starting from its seed corpus in fuzz/corpus/<target>. What a
# run finds (new inputs, and any input that breaks a target) stays out of the tree, under
# build/fuzz/; copy a breaking input to fuzz/crashes/<target>/ once it is mended, and the test
# command replays it from then on.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
"$root/scripts/setup.sh"
# clang with its libFuzzer runtime, from Debian's packages (only the fuzzing needs them).
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
        >/dev/null 2>&1; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq >/dev/null 2>&1 || true
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends clang \
        libclang-rt-dev >/dev/null 2>&1 ||
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends clang \
            "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev" >/dev/null
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$root"/fuzz/fuzz_*.cpp; do
        n=$(basename "$f" .cpp)
        targets+=("${n#fuzz_}")
    done
fi
status=0
for t in "${targets[@]}"; do
    work="$root/build/fuzz/runs/$t"
    mkdir -p "$work/corpus" "$work/found"
    echo "fuzz: $t for ${seconds}s"
    "$root/build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/found/" "$work/corpus" "$root/fuzz/corpus/$t" 2>"$work/log.txt" || status=1
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^Done|ERROR|SUMMARY" "$work/log.txt" || true
done
exit $status
