# Sourced by the scripts: runs a command with its output held back, and shows that output only when
# the command fails, so that a reader sees the test results rather than the build's progress.
corvana_quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    [ $status -eq 0 ] || cat "$log" >&2
    rm -f "$log"
    return $status
}
