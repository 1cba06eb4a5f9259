#!/usr/bin/env bash
# The setup program as a user or an administrator runs it, silently (/S): the saver in the
# system folder (the very file the other end-to-end tests run), the entry in Apps, Quillomar the
# current screen saver; installing twice is harmless; the uninstaller takes the saver, its entry
# and the current saver setting, and leaves the user's settings.
. "$(dirname "$0")/lib.sh"

SETUP=$(ls "$BUILD_DIR"/packaging/Quillomar-*-setup.exe)
VERSION=${SETUP##*/Quillomar-}
VERSION=${VERSION%-setup.exe}
INSTALLED=$(winepath -u 'C:\windows\system32\Quillomar.scr' 2>/dev/null)
APPS='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomar'
DESKTOP='HKCU\Control Panel\Desktop'
restore() { wine reg delete "$DESKTOP" /v SCRNSAVE.EXE /f; wine reg delete "$APPS" /f; } >/dev/null 2>&1
trap 'restore; rm -f "$INSTALLED"; cleanup' EXIT

apps_entry_is_ours() {
    local saver='C:\windows\system32\Quillomar.scr'
    [ "$(reg_value DisplayName "$APPS")" = "REG_SZ Quillomar" ] &&
        [ "$(reg_value DisplayVersion "$APPS")" = "REG_SZ $VERSION" ] &&
        [ "$(reg_value Publisher "$APPS")" = "REG_SZ Tarnwick" ] &&
        [ "$(reg_value DisplayIcon "$APPS")" = "REG_SZ $saver,0" ] &&
        [[ "$(reg_value UninstallString "$APPS")" == 'REG_SZ "'*'\Uninstall.exe"' ]] &&
        [[ "$(reg_value QuietUninstallString "$APPS")" == 'REG_SZ "'*'\Uninstall.exe" /S' ]] &&
        [[ "$(reg_value EstimatedSize "$APPS")" =~ ^REG_DWORD\ 0x[1-9a-f] ]] &&
        [ "$(reg_value NoModify "$APPS")" = "REG_DWORD 0x1" ] &&
        [ "$(reg_value NoRepair "$APPS")" = "REG_DWORD 0x1" ]
}
current_saver_is_ours() {
    [ "$(reg_value SCRNSAVE.EXE "$DESKTOP")" = 'REG_SZ C:\windows\system32\Quillomar.scr' ] &&
        [ "$(reg_value ScreenSaveActive "$DESKTOP")" = "REG_SZ 1" ]
}

reg_set_dword ShowFramerate 1 # the user's settings, from an earlier saver
for run in first second; do
    wine "$SETUP" /S >/dev/null 2>&1
    check "the $run silent install exits with 0" [ $? = 0 ]
    check "and puts the saver in the system folder" cmp -s "$SCR" "$INSTALLED"
    check "with its entry in Apps" apps_entry_is_ours
    check "and makes it the current screen saver" current_saver_is_ours
done

uninstall=$(reg_value QuietUninstallString "$APPS")
eval "wine ${uninstall#REG_SZ }" >/dev/null 2>&1
# The uninstaller runs from a copy of itself: the command returns before its work is done.
check "the silent uninstall removes the saver" wait_for 30 test ! -e "$INSTALLED"
check "and its entry in Apps" wait_for 10 eval '! wine reg query "$APPS" >/dev/null 2>&1'
check "and the current saver setting" eval '[ -z "$(reg_value SCRNSAVE.EXE "$DESKTOP")" ]'
check "but keeps the user's settings" [ "$(reg_value ShowFramerate)" = "REG_DWORD 0x1" ]

reg_reset
finish
