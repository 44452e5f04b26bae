#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit Windows program and starts it under Wine.
# Works from any folder. Arguments go to the program; those that name files or folders on this
# machine, and the paths after -input and -output, are taken from the folder it was started in and
# turned into the absolute Windows paths Wine uses (Z:\...). The program starts in that folder too.
# Without a display the program runs on a virtual one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/quiet.sh"
"$root/scripts/setup.sh"
(cd "$root" && corvana_quietly cmake --preset win64 && corvana_quietly cmake --build --preset win64 --target Corvana)

. "$root/scripts/wine-env.sh"
corvana_ensure_display
trap corvana_stop_wine EXIT

# Wine's winepath cuts its answer to 260 characters, which made a longer path name another file
# or folder; where drive Z: is this machine's root (as in every prefix Wine makes), the Windows
# path is written here instead, whole.
windows_path() {
    local path
    path=$(realpath -m -- "$1")
    if [ ! -e "$WINEPREFIX/dosdevices" ] || [ "$(readlink "$WINEPREFIX/dosdevices/z:")" = / ]; then
        printf 'Z:%s' "${path//\//\\}"
    else
        corvana_wine winepath -w "$path" 2>/dev/null
    fi
}

args=()
next_is_path=0
for arg in "$@"; do
    if [ $next_is_path -eq 1 ] || [ -e "$arg" ]; then
        arg=$(windows_path "$arg")
    fi
    next_is_path=0
    case "$arg" in -input|-output) next_is_path=1 ;; esac
    args+=("$arg")
done

corvana_wine "$root/build/win64/Corvana.exe" "${args[@]}"
