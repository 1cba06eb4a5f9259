# Shared by the end-to-end tests, which drive the real Quillomar.scr under Wine on the build
# tree's display. CTest runs each as: bash <script> <build dir>. A script ends, by PID, what it
# started.

set -uo pipefail
# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

BUILD_DIR=$(cd "${1:?build directory}" && pwd)
SESSION=$BUILD_DIR/${QUILLOMAR_SESSION:-wine} # the session of the test's fixture
SCR=$BUILD_DIR/src/Quillomar.scr
DRIVERS=$BUILD_DIR/tests
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillomar-e2e.XXXXXX")
STARTED_PIDS=()
RECORDED_SCHEMES=() # record_urls

set -a # the session's display and Wine settings (scripts/wine-session)
# shellcheck disable=SC1091
. "$SESSION/session.env"
set +a

cleanup() {
    kill -9 "${STARTED_PIDS[@]}" 2>/dev/null
    for scheme in "${RECORDED_SCHEMES[@]}"; do
        wine reg import "$(winepath -w "$WORK/$scheme.reg")" >/dev/null 2>&1
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

# record_urls: until the test ends, the shell's program for https: and mailto: adds what it is
# asked to open to $WORK/url.txt (url_opened <url> waits for it).
record_urls() {
    local handler
    handler="\"$(winepath -w "$DRIVERS/e2e_driver.exe" 2>/dev/null)\" url \"%1\""
    RECORDED_SCHEMES=(https mailto)
    for scheme in "${RECORDED_SCHEMES[@]}"; do
        wine reg export "HKLM\\Software\\Classes\\$scheme" "$(winepath -w "$WORK/$scheme.reg")" /y
        wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /d "$handler" /f
    done >/dev/null 2>&1
    export QUILLOMAR_URL_HANDLER_OUTPUT
    QUILLOMAR_URL_HANDLER_OUTPUT=$(winepath -w "$WORK/url.txt" 2>/dev/null)
}
url_string() { # url_string <id>: that string of the saver's resource script
    awk -v id="$1" '$1 == id { gsub("\"", ""); print $2 }' "$(dirname "$0")/../../resources/quillomar.rc"
}
url_opened() { wait_for 20 grep -qsF "\"$1\"" "$WORK/url.txt"; }

driver() { wine "$DRIVERS/e2e_driver.exe" "$@" 2>/dev/null | tr -d '\r'; } # see driver.cpp

# start_saver <arguments...>: starts Quillomar.scr in the background; SAVER_PID is its process.
start_saver() {
    wine "$SCR" "$@" >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
    STARTED_PIDS+=("$SAVER_PID")
}

run_saver() { # run_saver <seconds> <arguments...>: to its end; EXIT_STATUS as wait_exit
    start_saver "${@:2}"
    wait_exit "$SAVER_PID" "$1"
}

visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .; }
# wait_window <name regex> <seconds>: the X window id of a visible window with that name.
wait_window() { wait_for "$2" visible_window "$1" >/dev/null && visible_window "$1"; }

# Input is retried (checks.sh); searches and focus changes may fail for real.
xdotool() {
    case $1 in
    click | key | mousemove | mousemove_relative) retry command xdotool "$@" ;;
    *) command xdotool "$@" ;;
    esac
}

# press_key <X window id> <key>: focus the window, then type as the keyboard would (XTEST).
press_key() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key "$2"
}

screenshot() { import -window "${2:-root}" "$1" 2>/dev/null; }

gl_screenshot() { picture "$1" "gl:$2"; } # gl_screenshot <file> <width>x<height>

reg_value() { # reg_value <name> [<key>]: "TYPE DATA" of that value (the saver's key), or nothing
    wine reg query "${2:-HKCU\Software\Tarnwick\Quillomar}" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; sub(/^ /, ""); print }'
}

reg_reset() { wine reg delete 'HKCU\Software\Tarnwick\Quillomar' /f >/dev/null 2>&1 || true; }

reg_set_dword() { # reg_set_dword <name> <value>
    wine reg add 'HKCU\Software\Tarnwick\Quillomar' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}

values() { # values <five numbers>: what the saver's key holds, in the order below
    local name actual=
    for name in ReleaseLogging ShowFramerate CurrentConfigureSheet VersionMajor VersionMinor; do
        actual+=" $(reg_value $name | sed 's/^REG_DWORD 0x//')"
    done
    [ "$actual" = " $*" ] || { echo "the values are$actual" && false; }
}

# reg_import <name>=<data as in a .reg file>...: the saver's key holds just these values.
reg_import() {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n' \
        'HKEY_CURRENT_USER\Software\Tarnwick\Quillomar' >"$WORK/values.reg"
    printf '"%s\r\n' "${@/=/\"=}" >>"$WORK/values.reg" # "name"=data
    reg_reset
    wine reg import "$(winepath -w "$WORK/values.reg" 2>/dev/null)" >/dev/null 2>&1
}

# start_parent [<go-file>]: the driver's parent window; PARENT_PID, PARENT_WINDOW,
# FOREGROUND_WINDOW; its output goes on in $WORK/parent.out.
start_parent() {
    rm -f "$WORK/parent.out"
    wine "$DRIVERS/e2e_driver.exe" parent "$@" >"$WORK/parent.out" 2>&1 &
    PARENT_PID=$!
    STARTED_PIDS+=("$PARENT_PID")
    wait_for 15 grep -q '^foreground' "$WORK/parent.out" || return 1
    read -r PARENT_WINDOW FOREGROUND_WINDOW <<<"$(awk '{ printf "%d ", $2 }' "$WORK/parent.out")"
}
