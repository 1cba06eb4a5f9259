#!/usr/bin/env bash
# Full screen shows the frame rate in the top right corner only when ShowFramerate is 1.
. "$(dirname "$0")/lib.sh"

# White pixels in the corner where the frame rate is written, after the first sample.
corner_white_pixels() {
    local setting=$1
    reg_reset
    reg_set_dword ShowFramerate "$setting"
    start_saver /s
    local window
    window=$(wait_window '^Screen Saver$' 15) || { echo -1; return; }
    sleep 3
    gl_screenshot "$WORK/shot.png" 1024x768
    press_key "$window" a
    wait_exit "$SAVER_PID" 10
    # 97 % of the width, 5.5 % of the height is the text line's centre on the 1024 x 768 screen.
    convert "$WORK/shot.png" -crop 60x40+964+22 +repage "$WORK/corner.png"
    white_pixels "$WORK/corner.png"
}

check "ShowFramerate 1 writes digits in the corner" [ "$(corner_white_pixels 1)" -gt 15 ]
check "ShowFramerate 0 writes nothing" [ "$(corner_white_pixels 0)" = 0 ]
check "ShowFramerate 2 writes nothing" [ "$(corner_white_pixels 2)" = 0 ]
reg_reset

finish
