#!/usr/bin/env bash
# The preview (/p and /l), over a window of the driver's as the display control panel would
# host it: it fills its parent, shows the three titles and ends with its parent, also within a
# second when the parent's program is killed outright. A parent without area gets a preview that
# waits for one.
. "$(dirname "$0")/lib.sh"

for switch in /p /l; do
    rm -f "$WORK/end" "$WORK/preview.png"
    check "$switch: a parent window" start_parent "Z:$WORK/end"
    start_saver "$switch" "$PARENT_WINDOW"
    check "$switch: the preview fills its parent" \
        wait_for 15 grep -q '^preview 152 112' "$WORK/parent.out"
    sleep 2
    check "$switch: the preview's picture" gl_screenshot "$WORK/preview.png" 152x112
    # Three title lines, centred at 30 %, 50 % and 70 % of the height; nothing above them.
    for row in 34 56 78; do
        check "$switch: white title text on row $row" \
            [ "$(white_pixels "$WORK/preview.png" 152x9+0+$((row - 4)))" -gt 10 ]
    done
    check "$switch: nothing white above" [ "$(white_pixels "$WORK/preview.png" 152x8+0+0)" = 0 ]
    expect_exit "$switch: it runs while its parent is there" "$SAVER_PID" 1 running
    if [ $switch = /p ]; then
        touch "$WORK/end"
        expect_exit "$switch: its parent's end ends it" "$SAVER_PID" 5 0
    else
        kill -9 "$PARENT_PID"
        expect_exit "$switch: its parent's program killed, it ends" "$SAVER_PID" 1 0
    fi
done

rm -f "$WORK/end"
check "a parent without area (Wine keeps it 104 pixels wide)" start_parent "Z:$WORK/end" 0 0
start_saver /p "$PARENT_WINDOW"
check "gets a preview 0 pixels high" wait_for 15 grep -qE '^preview [0-9]+ 0\s*$' "$WORK/parent.out"
expect_exit "which keeps running" "$SAVER_PID" 2 running
touch "$WORK/end"
expect_exit "until its parent ends" "$SAVER_PID" 5 0

finish
