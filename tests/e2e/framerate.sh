#!/usr/bin/env bash
# Full screen shows the frame rate in the top right corner only when ShowFramerate is 1.
. "$(dirname "$0")/lib.sh"

# White pixels in the corner where the frame rate is written, after the first sample.
corner_white_pixels() {
    local setting=$1
    reg_reset
    reg_set_dword ShowFramerate "$setting"
    full_screen_shot || { echo -1; return; }
    white_pixels "$WORK/corner.png"
}

check "ShowFramerate 1 writes digits in the corner" [ "$(corner_white_pixels 1)" -gt 15 ]
check "ShowFramerate 0 writes nothing" [ "$(corner_white_pixels 0)" = 0 ]
check "ShowFramerate 2 writes nothing" [ "$(corner_white_pixels 2)" = 0 ]
reg_reset

finish
