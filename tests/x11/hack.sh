#!/usr/bin/env bash
# The Linux program on a virtual display: in its own window (bananas; the frame rate with --fps
# and with ShowFramerate 1, where the window's size puts it; a key ends it, a lone modifier does
# not; its first start stores the initial values), in the root window (SIGTERM ends it at once,
# status 0), in foreign 24-bit single-buffered and 32-bit ARGB windows (titles and bananas; the
# window's end ends it quietly); as a user whose settings file it cannot use (a read-only
# directory, a file it may not read, a file where the directory belongs): one line says so, it
# draws on the initial values, --fps still shows the rate, SIGTERM ends it with status 0 and the
# file is as it was; and what it refuses: no display, no GLX, bad switches.
. "$(dirname "$0")/lib.sh"

check "a display" start_display

own_window() { xdotool search --name '^Quillomar$' 2>/dev/null | head -n 1 | grep .; }
start_hack --fps
WINDOW=$(wait_for 10 own_window >/dev/null && own_window)
check "a window titled Quillomar: bananas" wait_for 10 shows yellow "$WORK/own.png" "$WINDOW" 20
check "is 1024x768" [ "$(identify -format %wx%h "$WORK/own.png")" = 1024x768 ]
check "--fps writes the frame rate in the top right corner" \
    wait_for 10 shows white "$WORK/own.png" "$WINDOW" 15 60x40+964+22
retry xdotool windowsize --sync "$WINDOW" 600 400
check "resized to 600x400, it draws the corner where the new size puts it" \
    wait_for 10 shows white "$WORK/resized.png" "$WINDOW" 15 80x40+520+5
retry xdotool windowfocus --sync "$WINDOW"
retry xdotool key shift
expect_exit "shift alone keeps it running" "$HACK_PID" 1 running
retry xdotool key q
expect_exit "q ends it" "$HACK_PID" 5 0
SETTINGS=$XDG_CONFIG_HOME/quillomar/settings
check "its first start stored the five initial values" diff <(tail -n 5 "$SETTINGS") \
    <(printf '"%s"=dword:%08x\n' ReleaseLogging 0 ShowFramerate 0 CurrentConfigureSheet 0 \
        VersionMajor "$(version MAJOR)" VersionMinor "$(version MINOR)")
sed -i '/"ShowFramerate"/s/0$/1/' "$SETTINGS"
start_hack --root --delay 0
check "--root draws bananas on the root window" wait_for 10 shows yellow "$WORK/root.png" root 20
check "and ShowFramerate 1 in the settings writes the frame rate" \
    wait_for 10 shows white "$WORK/root.png" root 15 60x40+964+22
kill -TERM "$HACK_PID"
expect_exit "SIGTERM ends it" "$HACK_PID" 1 0
rm "$SETTINGS"

for kind in plain argb; do
    rm -f "$WORK/foreign.out" # before the child opens it, or the last window's id could be read
    "$FOREIGN_WINDOW" "$kind" >"$WORK/foreign.out" 2>&1 &
    FOREIGN_PID=$!
    STARTED_PIDS+=("$FOREIGN_PID")
    wait_for 10 grep -qs . "$WORK/foreign.out"
    read -r foreign description <"$WORK/foreign.out"
    start_hack --window-id "$foreign"
    check "--window-id of a $description window: bananas" \
        wait_for 10 shows yellow "$WORK/$kind.png" "$foreign" 5
    check "and titles" [ "$(white_pixels "$WORK/$kind.png" 200x40+100+70)" -gt 50 ]
    kill -TERM "$FOREIGN_PID"
    expect_exit "the window's end ends it" "$HACK_PID" 5 0
    check "quietly" [ ! -s "$HACK_LOG" ]
done

start_hack
wait_for 10 own_window >/dev/null
kill -INT "$HACK_PID"
expect_exit "SIGINT ends it too" "$HACK_PID" 1 0

chmod 711 "$WORK"
CONFIG=$WORK/home/.config/quillomar
RUN_AS=(env -u XDG_CONFIG_HOME HOME="$WORK/home")
[ "$(id -u)" = 0 ] && RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups "${RUN_AS[@]}")
for broken in read-only unreadable not-a-directory; do
    rm -rf "$WORK/home" && mkdir -p "$CONFIG"
    FILE=$CONFIG/settings REASON="Permission denied"
    [ $broken = not-a-directory ] && rmdir "$CONFIG" && FILE=$CONFIG REASON="Not a directory"
    echo "Quillomar settings 1" >"$FILE" # no values yet: the start would write them
    [ "$(id -u)" = 0 ] && chown -R 65534:65534 "$WORK/home"
    BEFORE=$(cksum <"$FILE")
    case $broken in read-only) chmod 555 "$CONFIG" ;; unreadable) chmod 000 "$FILE" ;; esac
    start_hack --root --fps
    check "$broken settings: bananas" wait_for 10 shows yellow "$WORK/$broken.png" root 20
    check "and --fps" wait_for 10 shows white "$WORK/$broken.png" root 15 60x40+964+22
    kill -TERM "$HACK_PID"
    expect_exit "SIGTERM ends it" "$HACK_PID" 1 0
    check "one line says why" [ "$(cat "$HACK_LOG")" = "quillomar: cannot use $CONFIG/settings \
($REASON); running with the initial values" ]
    chmod -R u+rwX "$WORK/home"
    check "the file is as it was" [ "$(cksum <"$FILE")" = "$BEFORE" ]
done

refuses() { # refuses <first line on stderr> <switches...>: status 1 and that line first
    "$QUILLOMAR" "${@:2}" >/dev/null 2>"$WORK/refused.err"
    local status=$?
    [ "$status" = 1 ] && [ "$(head -n 1 "$WORK/refused.err")" = "$1" ] ||
        { echo "status $status: $(head -n 1 "$WORK/refused.err")" && false; }
}
check "an unknown switch is named, status 1" refuses "quillomar: unknown switch: --bogus" --bogus
check "and the usage follows" grep -q '^usage: quillomar' "$WORK/refused.err"
check "a window that does not exist" refuses "quillomar: no window 0x3fffff" -window-id 0x3fffff
no_display() {
    env -u DISPLAY "$QUILLOMAR" --root 2>"$WORK/refused.err"
    [ $? = 1 ] && [ "$(wc -l <"$WORK/refused.err")" = 1 ]
}
check "no display: status 1 and one line" no_display
start_display -extension GLX
check "a display without GLX" refuses "quillomar: this display has no OpenGL (GLX)" --root
finish
