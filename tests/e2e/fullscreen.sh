#!/usr/bin/env bash
# Full screen (/s and its other forms): bananas, the frame rate in the top right corner when
# ShowFramerate reads as 1; a key, a click, the wheel, a side button or a mouse move of more
# than 4 pixels ends it with status 0, smaller drifts, a change of power source and an automatic
# wake do not, a user's waking the machine does; a locked session draws nothing until unlocked;
# F1 opens the web address and ends it, but opens nothing on a secure saver's desktop; a second
# start brings the first forward and exits. A 4-byte binary ShowFramerate, as a hand edit could
# leave it, reads as its number.
. "$(dirname "$0")/lib.sh"

# start_full_screen <arguments...>: starts the saver; its frame after the first frame-rate
# sample is $WORK/shot.png, with bananas.
# The last saver's windows may linger a moment after its exit: wait until they are gone, and
# take the picture again while the new one is still settling.
start_full_screen() {
    wait_for 10 eval '! visible_window "^Screen Saver$" >/dev/null'
    xdotool mousemove 512 384 # where Wine puts the pointer when the saver takes the focus
    start_saver "$@"
    SAVER_WINDOW=$(wait_window '^Screen Saver$' 15) || return 1
    sleep 2.5
    wait_for 5 shows_bananas
}
shows_bananas() {
    gl_screenshot "$WORK/shot.png" 1024x768 && [ "$(yellow_pixels "$WORK/shot.png")" -gt 20 ]
}
digits() { white_pixels "$WORK/shot.png" 60x40+964+22; } # around the frame rate's line

reg_import ShowFramerate=hex:01,00,00,00
check "/s shows bananas" start_full_screen /s
check "ShowFramerate binary 01 00 00 00 writes digits in the corner" [ "$(digits)" -gt 15 ]
press_key "$SAVER_WINDOW" a
expect_exit "a key ends it" "$SAVER_PID" 10 0

reg_import ShowFramerate=dword:00000000
check "-S shows bananas" start_full_screen -S
check "ShowFramerate 0 writes nothing" [ "$(digits)" = 0 ]
xdotool click 1
expect_exit "a click ends it" "$SAVER_PID" 10 0

check "s shows bananas" start_full_screen s
xdotool mousemove_relative 3 1
driver power 10 # PBT_APMPOWERSTATUSCHANGE: a laptop's battery running down
driver power 18 # PBT_APMRESUMEAUTOMATIC: any wake, with or without a user
sleep 2.5
expect_exit "a drift of 3 right and 1 down, a power change and a wake keep it running" "$SAVER_PID" 1 running
xdotool mousemove_relative 0 1
expect_exit "one more pixel down, measured from the start, ends it" "$SAVER_PID" 10 0

for button in 4 5 6 7 8 9; do # the wheel up, down, left and right; the side buttons
    xdotool mousemove 512 384
    start_saver /s
    SAVER_WINDOW=$(wait_window '^Screen Saver$' 15) && sleep 1
    xdotool click "$button"
    expect_exit "pointer button $button ends it" "$SAVER_PID" 10 0
    [ "$EXIT_STATUS" != running ] || kill -9 "$SAVER_PID" # so that the next start is the first
    wait_for 10 eval '! visible_window "^Screen Saver$" >/dev/null'
done

record_urls
check "/s for F1" start_full_screen /s
press_key "$SAVER_WINDOW" F1
check "F1 opens the web address" url_opened "$(url_string IDS_WWW)"
expect_exit "and ends the saver" "$SAVER_PID" 10 0
rm -f "$WORK/url.txt"
SCR_PATH=$(winepath -w "$SCR" 2>/dev/null)
check "F1 on a desktop of its own, as a secure saver runs, ends it with 0" \
    driver desktop Secure "$SCR_PATH"
check "F1 on the Default desktop likewise" driver desktop Default "$SCR_PATH"
check "opens the web address there, and only there" eval 'url_opened "$(url_string IDS_WWW)" &&
    [ "$(grep -o https "$WORK/url.txt")" = https ]'

swaps() { grep -c 'trace:wgl:.*SwapBuffers' "$WORK/saver.out"; } # frames presented so far
WINEDEBUG=-all,+wgl check "/s for a lock" start_full_screen /s
driver session 7 # WTS_SESSION_LOCK
sleep 1
locked=$(swaps)
sleep 5
check "a locked session draws no frame in 5 s" [ "$(swaps)" = "$locked" ]
driver session 8 # WTS_SESSION_UNLOCK
check "unlocked, it draws again" wait_for 5 eval '[ "$(swaps)" -gt "$locked" ]'
driver power 7 # PBT_APMRESUMESUSPEND
expect_exit "a user's waking the machine ends it" "$SAVER_PID" 10 0

check "bananas again" start_full_screen /s
first=$SAVER_PID
start_saver /s
expect_exit "a second start exits with 0" "$SAVER_PID" 10 0
check "and leaves a single saver window" \
    [ "$(xdotool search --onlyvisible --name '^Screen Saver$' | wc -l)" = 1 ]
expect_exit "the first keeps running" "$first" 1 running
press_key "$SAVER_WINDOW" Escape
expect_exit "the first still ends on a key" "$first" 10 0

reg_reset
finish
