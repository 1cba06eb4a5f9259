#!/usr/bin/env bash
# What every start does before its mode: bad command lines end with -1 (255 through Wine) and
# show nothing; the settings key is made with its five values, stored values are kept and
# values of the wrong kind replaced; a settings key that cannot be made stops every mode at once
# with status 1, no box.
. "$(dirname "$0")/lib.sh"
MAJOR=$(printf %x "$(version MAJOR)") # as values shows them
MINOR=$(printf %x "$(version MINOR)")

saver_windows() { xdotool search --name '^(Screen Saver|Preview|Quillomar)$' 2>/dev/null | wc -l; }
bad_switch() { # bad_switch <arguments...>
    run_saver 10 "$@"
    check "'$*' exits with -1 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 255 ]
    check "'$*' showed no window" [ "$(saver_windows)" = 0 ]
}

reg_reset
bad_switch /x
check "the first start made the key with its five initial values" values 0 0 0 "$MAJOR" "$MINOR"
reg_import ShowFramerate=dword:00000002 VersionMajor=dword:00000007 ReleaseLogging=hex: \
    CurrentConfigureSheet=hex:01,00
bad_switch /p 99999
check "stored values kept, missing ones added, binaries of 0 and 2 bytes replaced" \
    values 0 2 0 7 "$MINOR"
bad_switch /l 0

# A volatile key above the settings key refuses lasting keys below it.
check "Software\\Tarnwick made volatile" driver volatile 'Software\Tarnwick'
check "a parent window" start_parent
for arguments in /s /c "/p $PARENT_WINDOW" /x; do
    # shellcheck disable=SC2086
    run_saver 15 $arguments
    check "'$arguments' without a settings key stops at once with status 1 (status $EXIT_STATUS)" \
        [ "$EXIT_STATUS" = 1 ]
    check "'$arguments' showed no window" [ "$(saver_windows)" = 0 ]
done
check "and no settings key was made" [ -z "$(reg_value ShowFramerate)" ]
retry wine reg delete 'HKCU\Software\Tarnwick' /f >/dev/null 2>&1 # a busy session may miss it
run_saver 10 /x
check "with the key possible again, a start stores the values" values 0 0 0 "$MAJOR" "$MINOR"
reg_reset

finish
