#!/usr/bin/env bash
# On a display without OpenGL the saver reports the failed set-up step in a box captioned with
# its name and, once the user dismisses it, exits with status 1.
. "$(dirname "$0")/lib.sh"

no_gl=$WORK/no-gl
session_script=$(dirname "$0")/../../scripts/wine-session
QUILLOMAR_XVFB_ARGS="-extension GLX" QUILLOMAR_PREFIX_TEMPLATE=$SESSION/prefix \
    "$session_script" start "$no_gl" >/dev/null
stop_no_gl() { "$session_script" stop "$no_gl" >/dev/null 2>&1; }
trap 'stop_no_gl; cleanup' EXIT

set -a
# shellcheck disable=SC1091
. "$no_gl/session.env"
set +a
check "the display has no GLX" bash -c '! xdpyinfo | grep -q GLX'

start_saver /s
wine "$DRIVERS/dismiss_box.exe" Quillomar 20 >"$WORK/box.out" 2>&1
cat "$WORK/box.out"
check "a box captioned Quillomar reads \"ChoosePixelFormat failed.\"" \
    grep -qx 'text: ChoosePixelFormat failed.' <(tr -d '\r' <"$WORK/box.out")
expect_exit "the saver exits with status 1 once it is dismissed" "$SAVER_PID" 10 1

finish
