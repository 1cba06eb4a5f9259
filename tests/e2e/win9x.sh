#!/usr/bin/env bash
# The Windows 95 family, which Wine emulates for the saver alone: with the screen-saver password
# option on, the system's password provider (PASSWORD.CPL beside the program, here one of the
# tests' own that answers as told) decides whether input ends the saver, and the system is told
# that a saver runs. The password-change switch calls the system's network provider (MPR.DLL,
# here one of the tests' own that records the call).
#
# Copies of the program run from scratch directories, with or without the providers beside them;
# the build tree's copy and the system's settings are left as they were.
. "$(dirname "$0")/lib.sh"

APP_DEFAULTS='HKCU\Software\Wine\AppDefaults\Quillomar.scr'
DESKTOP='HKCU\Control Panel\Desktop'
MODULES=$DRIVERS/win9x
VERIFIER=$WORK/verifier # the test verifier's answer, its call log and its release file
export QUILLOMAR_TEST_VERIFIER="Z:$VERIFIER"
export QUILLOMAR_TEST_PROVIDER_LOG="Z:$WORK/provider.log"
mkdir -p "$VERIFIER" "$WORK/with-verifier" "$WORK/without-verifier" "$WORK/with-provider" \
    "$WORK/without-function"
cp "$SCR" "$MODULES/PASSWORD.CPL" "$WORK/with-verifier/"
cp "$SCR" "$MODULES/without-verifier/PASSWORD.CPL" "$WORK/without-function/"
cp "$SCR" "$WORK/without-verifier/"
cp "$SCR" "$MODULES/MPR.DLL" "$WORK/with-provider/"

# "<type> <data>" of a registry value, or nothing when it is missing.
reg_read() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { print $2, $3 }'
}

reg_restore() { # reg_restore <key> <value> <"type data" as reg_read printed it, or nothing>
    if [ -n "$3" ]; then
        # shellcheck disable=SC2086
        set -- "$1" "$2" $3
        wine reg add "$1" /v "$2" /t "$3" /d "${4:-}" /f >/dev/null 2>&1
    else
        wine reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true
    fi
}

# The emulation is removed at the end whatever was there before: one found now can only be left
# over from a run that was killed, and every other test expects the NT family.
saved_password_option=$(reg_read "$DESKTOP" ScreenSaveUsePassword)
restore_system() {
    wine reg delete "$APP_DEFAULTS" /f >/dev/null 2>&1 || true
    reg_restore "$DESKTOP" ScreenSaveUsePassword "$saved_password_option"
    wine "$DRIVERS/saver_state.exe" clear >/dev/null 2>&1
}
trap 'restore_system; cleanup' EXIT

emulate() { # emulate <win95|win98|winme|nt>: the version the saver's next start sees
    if [ "$1" = nt ]; then
        wine reg delete "$APP_DEFAULTS" /v Version /f >/dev/null 2>&1 || true
    else
        wine reg add "$APP_DEFAULTS" /v Version /t REG_SZ /d "$1" /f >/dev/null 2>&1
    fi
}

password_option() { # password_option <type> <data>
    wine reg add "$DESKTOP" /v ScreenSaveUsePassword /t "$1" /d "$2" /f >/dev/null 2>&1
}

answer() { # answer <words>: what the test verifier answers from its next call on
    echo "$*" >"$VERIFIER/answer.new" && mv -f "$VERIFIER/answer.new" "$VERIFIER/answer"
}

verifier_calls() { if [ -f "$VERIFIER/calls" ]; then wc -l <"$VERIFIER/calls"; else echo 0; fi; }

# saver_state <cursor|running>: as another program sees it (see saver_state.cpp).
saver_state() { wine "$DRIVERS/saver_state.exe" | tr -d '\r' | awk -v what="$1" '$1 == what { print $2 }'; }

wait_for() { # wait_for <seconds> <command...>: until the command succeeds
    local seconds=$1 i
    shift
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

calls_are() { [ "$(verifier_calls)" = "$1" ]; }

# start_copy <directory>: the copy of the saver in it, full screen; the mouse stays still.
start_copy() {
    rm -f "$VERIFIER/calls" "$VERIFIER/release"
    xdotool mousemove 512 384
    wine "$1/Quillomar.scr" /s >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
    STARTED_PIDS+=("$SAVER_PID")
    SAVER_WINDOW=$(wait_window '^Screen Saver$' 15)
    # Its first paint hides the cursor again: let it pass before any verifier shows one.
    sleep 1
}

# The verifier refuses, then accepts. While it asks (it waits for its release), input to the
# saver asks nothing more; after a refusal the cursor is hidden again and a close request within
# 200 ms is refused without asking.
wine "$DRIVERS/saver_state.exe" clear >/dev/null
emulate win98
password_option REG_DWORD 1
answer refuse wait
start_copy "$WORK/with-verifier"
check "win98: the saver runs" [ -n "$SAVER_WINDOW" ]
check "win98 with a verifier: the system is told that a saver runs" [ "$(saver_state running)" = 1 ]
press_key "$SAVER_WINDOW" a
check "a key asks the verifier" wait_for 10 calls_are 1
check "the verifier asks with its cursor shown" [ "$(saver_state cursor)" = shown ]
press_key "$SAVER_WINDOW" b
touch "$VERIFIER/release"
check "the verifier answers" wait_for 10 test ! -e "$VERIFIER/release"
sleep 0.5
expect_exit "a refusal keeps the saver running" "$SAVER_PID" 1 running
check "a key during the verification asks nothing more" calls_are 1
check "after a refusal the cursor is hidden again" [ "$(saver_state cursor)" = hidden ]

answer refuse key
press_key "$SAVER_WINDOW" a
check "a key asks again" wait_for 10 calls_are 2
sleep 0.5
check "a close request right after a refusal is refused without asking" calls_are 2
expect_exit "and the saver goes on" "$SAVER_PID" 1 running

# Mouse moves during the verification do not count: the reference point is where the cursor was
# when the close was refused.
answer refuse wait
press_key "$SAVER_WINDOW" a
check "a key asks a third time" wait_for 10 calls_are 3
xdotool mousemove_relative 40 0
sleep 0.3
touch "$VERIFIER/release"
check "the verifier answers again" wait_for 10 test ! -e "$VERIFIER/release"
sleep 0.3
xdotool mousemove_relative 3 1
sleep 1
check "a drift of 4 pixels from the cursor at the refusal asks nothing" calls_are 3
expect_exit "and the saver goes on" "$SAVER_PID" 1 running

answer accept
press_key "$SAVER_WINDOW" a
expect_exit "an accepted password ends the saver with status 0" "$SAVER_PID" 15 0
check "after being asked once more" calls_are 4
check "the system is told that the saver stopped" [ "$(saver_state running)" = 0 ]

# The other members of the family, and the option stored as four bytes of binary data.
for version in win95 winme; do
    emulate $version
    if [ $version = win95 ]; then
        password_option REG_DWORD 1
    else
        password_option REG_BINARY 01000000
    fi
    answer refuse
    start_copy "$WORK/with-verifier"
    press_key "$SAVER_WINDOW" a
    check "$version: a key asks the verifier" wait_for 10 calls_are 1
    expect_exit "$version: a refusal keeps the saver running" "$SAVER_PID" 1 running
    answer accept
    sleep 0.3
    press_key "$SAVER_WINDOW" a
    expect_exit "$version: an accepted password ends it with status 0" "$SAVER_PID" 15 0
done

# Where no verifier is asked, the first close request ends the saver: without PASSWORD.CPL, with
# a PASSWORD.CPL that lacks the verifier function, with the option off, and on the NT family
# (which verifies passwords itself).
answer refuse
for case in "win98 1 without-verifier" "win98 1 without-function" "win98 0 with-verifier" \
    "nt 1 with-verifier"; do
    read -r version option copy <<<"$case"
    emulate "$version"
    password_option REG_DWORD "$option"
    start_copy "$WORK/$copy"
    check "$case: the system is not told that a saver runs" [ "$(saver_state running)" = 0 ]
    press_key "$SAVER_WINDOW" a
    expect_exit "$case: the first key ends the saver with status 0" "$SAVER_PID" 15 0
    check "$case: no verifier was asked" calls_are 0
done

# The password change: the network provider gets "SCRSAVE", the window given (or the foreground
# window when none or no window is given) and two zeros; the mode exits with 0. Without the
# override Wine's own provider, a stub, answers.
emulate win98
change_password() { # change_password <switch format>: PARENT, FOREGROUND, STATUS
    wine "$DRIVERS/parent_host.exe" "Z:$WORK/with-provider/Quillomar.scr" "$1" |
        tr -d '\r' >"$WORK/host.out"
    PARENT=$(awk '$1 == "parent" { print $2 }' "$WORK/host.out")
    FOREGROUND=$(awk '$1 == "foreground" { print $2 }' "$WORK/host.out")
    STATUS=$(awk '$1 == "exit" { print $2 }' "$WORK/host.out")
}
provider_calls() { [ ! -f "$WORK/provider.log" ] || tr -d '\r' <"$WORK/provider.log"; }
for format in "/a %u" "-A%u" "/a" "/a 99999"; do
    rm -f "$WORK/provider.log"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n,b" change_password "$format"
    if [[ $format == *%u ]]; then expected=$PARENT; else expected=$FOREGROUND; fi
    check "'$format' exits with 0 (status $STATUS)" [ "$STATUS" = 0 ]
    check "'$format' asks the provider once for SCRSAVE over window $expected" \
        [ "$(provider_calls)" = "PwdChangePasswordA SCRSAVE $expected 0 0" ]
done
rm -f "$WORK/provider.log"
change_password "/a %u"
check "with Wine's own provider '/a' exits with 0 (status $STATUS)" [ "$STATUS" = 0 ]
check "and the tests' provider is not asked" [ -z "$(provider_calls)" ]

finish
