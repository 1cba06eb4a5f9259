#!/usr/bin/env bash
# Full screen: each form of the switch shows bananas; a key, a click or a mouse move of more than
# 4 pixels ends it with exit status 0; smaller drifts do not; a second start brings the first
# forward and exits at once.
. "$(dirname "$0")/lib.sh"

CENTRE_X=512
CENTRE_Y=384

# start_full_screen <arguments...>: starts the saver and waits for bananas on the screen.
start_full_screen() {
    xdotool mousemove "$CENTRE_X" "$CENTRE_Y"
    start_saver "$@"
    SAVER_WINDOW=$(wait_window '^Screen Saver$' 15) || return 1
    local i
    for i in $(seq 30); do
        gl_screenshot "$WORK/shot.png" 1024x768 &&
            [ "$(yellow_pixels "$WORK/shot.png")" -gt 20 ] && return 0
        sleep 0.5
    done
    return 1
}

for form in /s -S s "/S 99"; do
    # shellcheck disable=SC2086
    check "$form shows bananas" start_full_screen $form
    press_key "$SAVER_WINDOW" a
    expect_exit "$form ends with status 0 on a key press" "$SAVER_PID" 10 0
done

check "bananas again" start_full_screen /s
xdotool click 1
expect_exit "a click ends it with status 0" "$SAVER_PID" 10 0

check "bananas again" start_full_screen /s
xdotool mousemove_relative 5 0
expect_exit "a mouse move of 5 pixels ends it" "$SAVER_PID" 10 0

check "bananas again" start_full_screen /s
xdotool mousemove_relative 3 1
sleep 1
expect_exit "a drift of 3 right and 1 down keeps it running" "$SAVER_PID" 1 running
xdotool mousemove_relative 0 1
expect_exit "one more pixel down, measured from the start, ends it" "$SAVER_PID" 10 0

check "bananas again" start_full_screen /s
first=$SAVER_PID
start_saver /s
expect_exit "a second start exits with 0" "$SAVER_PID" 10 0
check "and leaves a single saver window" \
    [ "$(xdotool search --onlyvisible --name '^Screen Saver$' | wc -l)" = 1 ]
expect_exit "the first keeps running" "$first" 1 running
press_key "$SAVER_WINDOW" Escape
expect_exit "the first still ends on a key" "$first" 10 0

finish
