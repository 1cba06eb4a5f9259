#!/usr/bin/env bash
# Faults from outside the saver, each ending as it should and promptly, never with a crash or a
# hang: a preview parent whose program is killed, a settings key that cannot be created, and a
# build without its font sheet. (No OpenGL at all is noopengl.sh; a password provider without
# its verifier function is in win9x.sh.)
. "$(dirname "$0")/lib.sh"

# start_owner: a program of the tests' own showing one plain window; OWNER_PID and OWNER_WINDOW.
start_owner() {
    wine "$DRIVERS/window_owner.exe" >"$WORK/owner.out" 2>&1 &
    OWNER_PID=$!
    STARTED_PIDS+=("$OWNER_PID")
    OWNER_WINDOW=
    local i
    for ((i = 0; i < 150; i++)); do
        OWNER_WINDOW=$(tr -d '\r' <"$WORK/owner.out" | awk '$1 == "window" { print $2 }')
        [ -n "$OWNER_WINDOW" ] && return 0
        sleep 0.1
    done
    return 1
}

# The preview's parent goes away without a word: its program is killed outright.
check "a window owner starts" start_owner
start_saver /p "$OWNER_WINDOW"
for ((i = 0; i < 100; i++)); do
    [ -n "$(gl_window 152x112)" ] && break
    sleep 0.1
done
check "the preview draws in the owner's window" [ -n "$(gl_window 152x112)" ]
expect_exit "the preview runs while its parent is there" "$SAVER_PID" 1 running
kill -9 "$OWNER_PID"
expect_exit "the parent's program killed: the preview ends with status 0" "$SAVER_PID" 15 0

# A settings key that cannot be created: a volatile key above it refuses lasting keys below.
reg_reset
check "Software\\Tarnwick made volatile" \
    wine "$DRIVERS/volatile_key.exe" 'Software\Tarnwick' >/dev/null 2>&1
start_owner
for arguments in /s /c "/p $OWNER_WINDOW" /x; do
    # shellcheck disable=SC2086
    run_saver 15 $arguments
    check "'$arguments' without a settings key stops at once with status 1, no box (status $EXIT_STATUS)" \
        [ "$EXIT_STATUS" = 1 ]
done
check "and no settings key was made" [ -z "$(reg_value ShowFramerate)" ]
kill "$OWNER_PID" 2>/dev/null
wine reg delete 'HKCU\Software\Tarnwick' /f >/dev/null 2>&1
run_saver 10 /x
check "with the key creatable again, a start stores the values" \
    [ "$(reg_value VersionMajor)" = "REG_DWORD 0x1" ]

# Built without its font sheet: the renderer's start refuses, full screen and in the preview.
SCR=$DRIVERS/without-font/Quillomar.scr
run_saver 20 /s
check "no font sheet: full screen stops with status 1, no box (status $EXIT_STATUS)" \
    [ "$EXIT_STATUS" = 1 ]
check "and its window is gone" \
    [ -z "$(xdotool search --onlyvisible --name '^Screen Saver$' 2>/dev/null)" ]
check "a window owner starts" start_owner
run_saver 20 /p "$OWNER_WINDOW"
check "no font sheet: the preview stops with status 1 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 1 ]
kill "$OWNER_PID" 2>/dev/null
reg_reset

finish
