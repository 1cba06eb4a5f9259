#!/usr/bin/env bash
# The Windows 95 family, which Wine emulates for the saver alone: with the password option on,
# the password provider (PASSWORD.CPL beside the program) decides whether input ends the saver;
# the password change calls the network provider (MPR.DLL). Both are the tests' own
# (tests/host/password_modules.cpp), beside copies of the program in scratch directories.
. "$(dirname "$0")/lib.sh"

APP_DEFAULTS='HKCU\Software\Wine\AppDefaults\Quillomar.scr'
DESKTOP='HKCU\Control Panel\Desktop'
VERIFIER=$WORK/verifier # the verifier's answer, its calls and its release
export QUILLOMAR_TEST_VERIFIER="Z:$VERIFIER" QUILLOMAR_TEST_PROVIDER_LOG="Z:$WORK/provider.log"
mkdir -p "$VERIFIER" "$WORK/with-verifier" "$WORK/without-function"
cp "$SCR" "$DRIVERS/win9x/PASSWORD.CPL" "$DRIVERS/win9x/MPR.DLL" "$WORK/with-verifier/"
cp "$SCR" "$WORK/without-function/"
cp "$DRIVERS/win9x/MPR.DLL" "$WORK/without-function/PASSWORD.CPL" # without the verifier

# Every other test expects the NT family without a password option.
restore() { wine reg delete "$APP_DEFAULTS" /f; wine reg delete "$DESKTOP" /v ScreenSaveUsePassword /f; }
trap 'restore >/dev/null 2>&1; cleanup' EXIT
wine reg add "$APP_DEFAULTS" /v Version /t REG_SZ /d win98 /f >/dev/null 2>&1
wine reg add "$DESKTOP" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1

answer() { echo "$*" >"$VERIFIER/answer.new" && mv -f "$VERIFIER/answer.new" "$VERIFIER/answer"; }
calls_are() { [ "$(cat "$VERIFIER/calls" 2>/dev/null | wc -l)" = "$1" ]; }

start_copy() { # start_copy <directory>: its copy of the saver full screen; the mouse stays still
    local SCR=$1/Quillomar.scr
    rm -f "$VERIFIER/calls" "$VERIFIER/release"
    xdotool mousemove 512 384
    start_saver /s
    SAVER_WINDOW=$(wait_window '^Screen Saver$' 15)
    sleep 1
}

# The verifier refuses, then accepts. While it asks (it waits for its release), input asks
# nothing more; after a refusal a close request within 200 ms is refused without asking, and
# mouse moves are measured from where the cursor was then.
answer refuse wait
start_copy "$WORK/with-verifier"
press_key "$SAVER_WINDOW" a
check "a key asks the verifier" wait_for 10 calls_are 1
press_key "$SAVER_WINDOW" b
xdotool mousemove_relative 40 0
sleep 0.3 # for the saver to see both
touch "$VERIFIER/release"
check "the verifier answers" wait_for 10 test ! -e "$VERIFIER/release"
sleep 0.5
expect_exit "a refusal keeps the saver running" "$SAVER_PID" 1 running
check "input during the verification asked nothing more" calls_are 1
xdotool mousemove_relative 3 1
sleep 1
check "a drift of 4 pixels from the cursor at the refusal asks nothing" calls_are 1

answer refuse key
press_key "$SAVER_WINDOW" a
check "a key asks again" wait_for 10 calls_are 2
sleep 0.5
check "a close request right after a refusal is refused without asking" calls_are 2
expect_exit "and the saver goes on" "$SAVER_PID" 1 running

answer accept
press_key "$SAVER_WINDOW" a
expect_exit "an accepted password ends the saver with status 0" "$SAVER_PID" 15 0
check "after being asked once more" calls_are 3

start_copy "$WORK/without-function"
press_key "$SAVER_WINDOW" a
expect_exit "a PASSWORD.CPL without the verifier: the first key ends it" "$SAVER_PID" 15 0
check "without asking" calls_are 0

# The password change: the provider gets "SCRSAVE", the window given (else the foreground
# window) and two zeros; the mode exits with 0. (Wine's own MPR.DLL wins without the override.)
SCR=$WORK/with-verifier/Quillomar.scr
check "a parent window" start_parent
for window in "$PARENT_WINDOW" ""; do
    rm -f "$WORK/provider.log"
    # shellcheck disable=SC2086
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n,b" run_saver 15 /a $window
    check "'/a $window' exits with 0 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
    check "'/a $window' asks the provider once" [ "$(tr -d '\r' <"$WORK/provider.log")" = \
        "PwdChangePasswordA SCRSAVE ${window:-$FOREGROUND_WINDOW} 0 0" ]
done

finish
