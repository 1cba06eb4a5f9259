#!/usr/bin/env bash
# Every start, whatever its mode, creates the settings key with its five values.
. "$(dirname "$0")/lib.sh"

expect_initial_values() {
    [ "$(reg_value ReleaseLogging)" = "REG_DWORD 0x0" ] &&
        [ "$(reg_value ShowFramerate)" = "REG_DWORD 0x0" ] &&
        [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x0" ] &&
        [ "$(reg_value VersionMajor)" = "REG_DWORD 0x1" ] &&
        [ "$(reg_value VersionMinor)" = "REG_DWORD 0x1" ]
}

for arguments in /a /x "/p 0"; do
    reg_reset
    check "no key before '$arguments'" [ -z "$(reg_value ShowFramerate)" ]
    # shellcheck disable=SC2086
    run_saver 10 $arguments
    check "'$arguments' leaves the key with all five initial values" expect_initial_values
done

reg_reset
reg_set_dword ShowFramerate 2
reg_set_dword VersionMajor 7
run_saver 10 /x
check "stored values are kept, not reset" \
    [ "$(reg_value ShowFramerate)" = "REG_DWORD 0x2" -a "$(reg_value VersionMajor)" = "REG_DWORD 0x7" ]
check "missing ones are added" [ "$(reg_value VersionMinor)" = "REG_DWORD 0x1" ]
reg_reset

finish
