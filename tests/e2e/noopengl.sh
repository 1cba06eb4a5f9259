#!/usr/bin/env bash
# On a display without OpenGL the saver reports the failed set-up step in a box captioned with
# its name and, once the user dismisses it, exits with status 1.
. "$(dirname "$0")/lib.sh"

session_script=$(dirname "$0")/../../scripts/wine-session
QUILLOMAR_XVFB_ARGS="-extension GLX" QUILLOMAR_PREFIX_TEMPLATE=$SESSION/prefix \
    "$session_script" start "$WORK/no-gl" >/dev/null
trap '"$session_script" stop "$WORK/no-gl" >/dev/null 2>&1; cleanup' EXIT
set -a
# shellcheck disable=SC1091
. "$WORK/no-gl/session.env"
set +a

start_saver /s
driver dismiss Quillomar 20 >"$WORK/box.out"
check "a box captioned Quillomar reads \"ChoosePixelFormat failed.\"" \
    grep -qx 'text: ChoosePixelFormat failed.' "$WORK/box.out"
expect_exit "the saver exits with status 1 once it is dismissed" "$SAVER_PID" 10 1

finish
