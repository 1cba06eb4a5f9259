# Shared by the Linux program's end-to-end tests. CTest runs each as: bash <script> <build dir>.
# Each script starts its own virtual displays (free numbers chosen by Xvfb) and ends, by PID,
# what it started.

set -uo pipefail
# shellcheck source=../e2e/checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/checks.sh"

BUILD_DIR=$(cd "${1:?build directory}" && pwd)
QUILLOMAR=$BUILD_DIR/src/quillomar
FOREIGN_WINDOW=$BUILD_DIR/tests/foreign_window
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillomar-x11.XXXXXX")
STARTED_PIDS=()
export XDG_CONFIG_HOME=$WORK/config
# Mesa's DRI driver leaves allocations behind in a module it has unloaded by exit, where no
# suppression can name them; memory errors are still caught.
export ASAN_OPTIONS=detect_leaks=0

cleanup() {
    [ "$FAILURES" = 0 ] || tail -n +1 "$WORK"/*.log 2>/dev/null # every program's output
    kill -9 "${STARTED_PIDS[@]}" 2>/dev/null
    wait 2>/dev/null
    chmod -R u+rwX "$WORK" # what a test made read-only
    rm -rf "$WORK"
}
trap cleanup EXIT

# start_server <X server and options...>: its new display becomes $DISPLAY.
start_server() {
    rm -f "$WORK/display"
    "$@" -displayfd 3 -nolisten tcp 3>"$WORK/display" </dev/null >/dev/null 2>&1 &
    STARTED_PIDS+=($!)
    wait_for 10 grep -qs . "$WORK/display" || return 1
    export DISPLAY=:$(cat "$WORK/display")
}
start_display() { start_server Xvfb -screen 0 1024x768x24 "$@"; } # [<Xvfb options>...]
# start_heads <width>x<height>...: monitors side by side, Xephyr's heads in a larger Xvfb.
start_heads() {
    start_server Xvfb -screen 0 2048x1024x24 &&
        start_server Xephyr $(printf -- '-screen %s ' "$@") +xinerama -extension RANDR
}

# start_hack <switches...>: HACK_PID; its output in HACK_LOG, a log of each start's own. Run as
# RUN_AS says (a command that ends by starting the program), else as this shell.
HACK_STARTS=0
RUN_AS=()
start_hack() {
    HACK_STARTS=$((HACK_STARTS + 1))
    HACK_LOG=$WORK/hack.$HACK_STARTS.log
    echo "hack.$HACK_STARTS.log: ${RUN_AS[*]} quillomar $*"
    "${RUN_AS[@]}" "$QUILLOMAR" "$@" >"$HACK_LOG" 2>&1 &
    HACK_PID=$!
    STARTED_PIDS+=("$HACK_PID")
}

# shows <yellow|white> <file> <window id or root> <pixels> [<crop>]: a picture of the window, kept
# in the file, has more pixels of that colour than that. Under wait_for: bananas are born out
# of sight and drift in; the frame rate reads 0 until its first sample.
shows() { picture "$2" "$3" && [ "$("$1_pixels" "$2" "${5:-100%}")" -gt "$4" ]; }
