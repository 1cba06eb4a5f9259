#!/usr/bin/env bash
# Two monitors side by side (the session's heads: 1024 x 768, the primary, and 800 x 600 to its
# right, 1824 x 768 in all): the saver covers both and draws bananas on both, the frame rate
# lies in the primary's top right corner, not the window's, and a mouse move on the second
# monitor ends it.
. "$(dirname "$0")/lib.sh"

on_both() { # a frame with bananas on either monitor
    gl_screenshot "$WORK/shot.png" 1824x768 &&
        [ "$(yellow_pixels "$WORK/shot.png" 1024x768+0+0)" -gt 20 ] &&
        [ "$(yellow_pixels "$WORK/shot.png" 800x600+1024+0)" -gt 20 ]
}
reg_import ShowFramerate=dword:00000001
start_saver /s
check "the saver's window covers both monitors" eval 'wait_window "^Screen Saver$" 15 |
    xargs -I{} xwininfo -id {} | grep -q "geometry 1824x768+0+0"'
check "bananas show on both within 20 s" wait_for 20 on_both
check "the frame rate lies in the primary's top right corner" \
    [ "$(white_pixels "$WORK/shot.png" 60x40+964+22)" -gt 15 ]
check "and not in the window's" [ "$(white_pixels "$WORK/shot.png" 60x40+1764+22)" = 0 ]
xdotool mousemove 1400 300
expect_exit "a mouse move on the second monitor ends it" "$SAVER_PID" 10 0
reg_reset
finish
