# Sourced by the scripts that run Windows programs: the project's own Wine prefix, quiet, without
# prompts for Mono or Gecko, and a virtual display when there is none.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${CORVANA_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko prompts; no menu entries on this machine for the shortcuts a setup makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# Whether this machine runs 32-bit programs. Some kernels cannot execute 32-bit Linux programs at
# all, and there Debian's plain `wine` launcher, which always picks the 32-bit loader once wine32
# is installed, fails for every program, 64-bit ones too. Probed once per script run and passed on
# to everything it starts (CORVANA_RUNS_32BIT=yes|no). CORVANA_NO_32BIT=1 makes the answer no on
# any machine, so that the fallback is tested where 32-bit programs do run.
if [ -z "${CORVANA_RUNS_32BIT:-}" ]; then
    if [ -z "${CORVANA_NO_32BIT:-}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        CORVANA_RUNS_32BIT=yes
    else
        CORVANA_RUNS_32BIT=no
    fi
fi
export CORVANA_RUNS_32BIT
# How every script starts a Windows program: Debian's launcher where 32-bit programs run, else the
# 64-bit loader, which then also starts every program those programs start (WINELOADER).
if [ "$CORVANA_RUNS_32BIT" = yes ]; then
    CORVANA_WINE=wine
else
    CORVANA_WINE=/usr/lib/wine/wine64
    export WINELOADER=$CORVANA_WINE
fi
corvana_wine() { "$CORVANA_WINE" "$@"; }

# Whether a Windows program is a 32-bit one: the machine field of its PE header is 0x14c.
corvana_is_32bit_program() {
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [ -n "$pe" ] && [ "$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 014c ]
}

# Starts Xvfb on a free display number when DISPLAY is unset; sets CORVANA_XVFB_PID.
corvana_ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        CORVANA_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
        return 1
    done
    return 1
}

# Creates the prefix once with its output detached (Wine's service processes would otherwise keep
# a caller's pipes open) and keeps one wineserver alive until corvana_stop_wine.
corvana_start_wine() {
    # A prefix made before 32-bit Wine was installed (or where it could not run) cannot start
    # 32-bit programs: make it again.
    if [ "$CORVANA_RUNS_32BIT" = yes ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ] &&
        [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    corvana_wine wineboot -i </dev/null >/dev/null 2>&1 || true
    # Debian's Wine does not find its own fonts (Tahoma, and Marlett for control glyphs such as
    # the split buttons' arrows) until they are in the prefix's font folder.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/marlett.ttf" ]; then
        mkdir -p "$fonts"
        cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
        wineserver -k >/dev/null 2>&1 || true
    fi
    wineserver -p </dev/null >/dev/null 2>&1 &
}

# For the tests' own prefix on a display without a window manager: windows that are not managed
# close at once (otherwise Wine waits two seconds for a window manager at every hidden window).
corvana_unmanaged_windows() {
    corvana_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

# A 1 MB file system for the tests of a full disk, where this machine lets the user mount one (as
# root); its Windows path goes to the tests in CORVANA_SMALL_DISK. Unmounted by corvana_stop_wine.
corvana_mount_small_disk() {
    local folder="$WINEPREFIX-small-disk"
    mkdir -p "$folder"
    if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=1m corvana-small-disk "$folder" 2>/dev/null; then
        CORVANA_SMALL_DISK_MOUNT=$folder
        export CORVANA_SMALL_DISK="Z:${folder//\//\\}"
    fi
}

corvana_stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${CORVANA_SMALL_DISK_MOUNT:-}" ]; then umount "$CORVANA_SMALL_DISK_MOUNT" 2>/dev/null || true; fi
    if [ -n "${CORVANA_XVFB_PID:-}" ]; then kill "$CORVANA_XVFB_PID" 2>/dev/null || true; fi
}

# A Wine session of the tests' own: a virtual display (never the user's screen), the prefix started
# once with unmanaged windows, and everything stopped when the calling script ends.
corvana_test_session() {
    unset DISPLAY
    corvana_ensure_display
    corvana_start_wine
    corvana_unmanaged_windows
    corvana_mount_small_disk
    trap corvana_stop_wine EXIT
}
