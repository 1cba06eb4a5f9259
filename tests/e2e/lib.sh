# Shared by the end-to-end tests: they drive the real Quillomar.scr under Wine on the build
# tree's virtual display, as the system and a user would, and read exit codes, windows,
# registry values and screenshots.
#
# Each test script is run by CTest as: bash <script> <build dir>. Everything it starts it ends
# itself, by PID.

set -uo pipefail

BUILD_DIR=$(cd "${1:?build directory}" && pwd)
SESSION=$BUILD_DIR/wine
SCR=$BUILD_DIR/src/Quillomar.scr
DRIVERS=$BUILD_DIR/tests
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillomar-e2e.XXXXXX")
STARTED_PIDS=()
FAILURES=0
CHECKS=0

set -a
# shellcheck disable=SC1091
. "$SESSION/session.env"
set +a
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

cleanup() {
    local pid
    for pid in "${STARTED_PIDS[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

check() { # check <description> <command...>: one assertion
    local what=$1
    shift
    CHECKS=$((CHECKS + 1))
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        FAILURES=$((FAILURES + 1))
    fi
}

finish() {
    echo "$((CHECKS - FAILURES)) passed, $FAILURES failed"
    [ "$FAILURES" -eq 0 ]
    exit $?
}

# start_saver <arguments...>: starts Quillomar.scr in the background; SAVER_PID is its process.
start_saver() {
    wine "$SCR" "$@" >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
    STARTED_PIDS+=("$SAVER_PID")
}

# wait_exit <pid> <seconds>: EXIT_STATUS = the process's exit status, or "running" after the
# time. Not in a $(...) subshell: only this shell can collect its children's statuses.
wait_exit() {
    local pid=$1 seconds=$2 i
    for ((i = 0; i < seconds * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            EXIT_STATUS=$?
            return
        fi
        sleep 0.1
    done
    EXIT_STATUS=running
}

# expect_exit <description> <pid> <seconds> <status or "running">: one assertion.
expect_exit() {
    wait_exit "$2" "$3"
    check "$1 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = "$4" ]
}

# run_saver <seconds> <arguments...>: runs it to the end; EXIT_STATUS as wait_exit.
run_saver() {
    local seconds=$1
    shift
    start_saver "$@"
    wait_exit "$SAVER_PID" "$seconds"
}

# wait_window <name regex> <seconds>: the X window id of a visible window with that name.
wait_window() {
    local name=$1 seconds=$2 i id
    for ((i = 0; i < seconds * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# press_key <X window id> <key>: focus the window, then type as the keyboard would (XTEST).
press_key() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key "$2"
}

screenshot() { import -window "${2:-root}" "$1" 2>/dev/null; }

# Wine draws an OpenGL child window into an X window of its own, unnamed, with the child's size
# (for a preview whose parent is another process's window, and under Wine 8 for a same-process
# child as well); that window holds the rendered frame. gl_window <width>x<height> prints its id.
gl_window() {
    xwininfo -root -tree | awk -v size=" $1+" 'index($0, size) && /has no name/ { print $1; exit }'
}

# gl_screenshot <file> <width>x<height>: the rendered frame of the saver's drawing window.
gl_screenshot() {
    local id
    id=$(gl_window "$2")
    [ -n "$id" ] && screenshot "$1" "$id"
}

# count_pixels <image> <R|G|B><'>'|'<'><percent>...: how many pixels meet every condition,
# e.g. count_pixels shot.png 'R>55' 'G>55' 'B<25'. Done with channel thresholds, which is fast.
count_pixels() {
    local image=$1 condition channel operator percent
    shift
    local operations=()
    for condition in "$@"; do
        channel=${condition:0:1}
        operator=${condition:1:1}
        percent=${condition:2}
        if [ "$operator" = ">" ]; then
            operations+=(\( -clone 0 -channel "$channel" -separate +channel -threshold "$percent%" \))
        else
            operations+=(\( -clone 0 -channel "$channel" -separate +channel -negate
                -threshold "$((100 - percent))%" \))
        fi
    done
    convert "$image" -alpha off "${operations[@]}" -delete 0 -evaluate-sequence min \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

yellow_pixels() { count_pixels "$1" 'R>55' 'G>55' 'B<25'; }
white_pixels() { count_pixels "$1" 'R>85' 'G>85' 'B>85'; }

# full_screen_shot: the saver full screen for 3 s; its frame in $WORK/shot.png, the corner where
# the frame rate is written in $WORK/corner.png; then a key ends it (EXIT_STATUS). 1 when no
# window came.
full_screen_shot() {
    start_saver /s
    local window
    window=$(wait_window '^Screen Saver$' 15) || return 1
    sleep 3
    gl_screenshot "$WORK/shot.png" 1024x768
    press_key "$window" a
    wait_exit "$SAVER_PID" 10
    # 97 % of the width, 5.5 % of the height is the text line's centre on the 1024 x 768 screen.
    convert "$WORK/shot.png" -crop 60x40+964+22 +repage "$WORK/corner.png"
}

reg_value() { # reg_value <name>: the saver's registry value as "TYPE VALUE", or nothing
    wine reg query 'HKCU\Software\Tarnwick\Quillomar' /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { print $2, $3 }'
}

reg_reset() { wine reg delete 'HKCU\Software\Tarnwick\Quillomar' /f >/dev/null 2>&1 || true; }

reg_set_dword() { # reg_set_dword <name> <value>
    wine reg add 'HKCU\Software\Tarnwick\Quillomar' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}
