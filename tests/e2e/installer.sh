#!/usr/bin/env bash
# The setup and its uninstaller, silent (/S), also while a preview (as the display settings run
# one) holds the installed saver open: what a user sees at once and after the next restart, the
# Apps entry, the current saver, their settings kept.
. "$(dirname "$0")/lib.sh"

VERSION=$(version)
SAVER='C:\windows\system32\Quillomar.scr'
INSTALLED=$(winepath -u "$SAVER" 2>/dev/null)
APPS='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomar'
DESKTOP='HKCU\Control Panel\Desktop'
NOW='HKCU\Software\Wine\Temporary System Parameters\Control Panel\Desktop' # a session's, in Wine
RESTART='HKLM\System\CurrentControlSet\Control\Session Manager'

removals() { # the files of the system folder that the next restart deletes, the last one last
    reg_value PendingFileRenameOperations "$RESTART" | sed 's/^REG_MULTI_SZ //; s/\\0/\n/g' |
        paste -d ' ' - - | sed -n 's/^\\??\\C:\\windows\\system32\\\([^ ]*\) $/\1/p'
}
restore() {
    for name in $(removals); do rm -f "${INSTALLED%/*}/$name"; done
    wine reg delete "$RESTART" /v PendingFileRenameOperations /f
    wine reg delete "$DESKTOP" /v SCRNSAVE.EXE /f
    wine reg delete "$APPS" /f
} >/dev/null 2>&1
trap 'restore; rm -f "$INSTALLED"; cleanup' EXIT
hold_by_preview() { # a preview of the installed saver, as the display settings run one
    start_parent
    wine "$SAVER" /p "$PARENT_WINDOW" >/dev/null 2>&1 &
    STARTED_PIDS+=($!)
    wait_for 15 grep -q '^preview' "$WORK/parent.out"
}

restore
reg_set_dword ShowFramerate 1 # the user's settings, from an earlier saver
wine "$BUILD_DIR/packaging/Quillomar-$VERSION-setup.exe" /S >/dev/null 2>&1
check "the silent install exits with 0" [ $? = 0 ]
check "and puts the saver in the system folder" cmp -s "$SCR" "$INSTALLED"
check "with its entry in Apps" [ "$(reg_value DisplayName "$APPS"), $(reg_value DisplayVersion \
    "$APPS")" = "REG_SZ Quillomar, REG_SZ $VERSION" ]
check "and makes it the current saver, for this session too" [ "$(reg_value SCRNSAVE.EXE \
    "$DESKTOP"), $(reg_value ScreenSaveActive "$NOW")" = "REG_SZ $SAVER, REG_SZ 1" ]

printf older >>"$INSTALLED" # an older saver, told from the new one by its end
hold_by_preview
wine "$BUILD_DIR/packaging/Quillomar-$VERSION-setup.exe" /S >/dev/null 2>&1
check "installing over a saver that a preview holds exits with 0" [ $? = 0 ]
check "and puts the new saver in its place at once" cmp -s "$SCR" "$INSTALLED"
check "and deletes the held one at the next restart" \
    cmp -s <(cat "$SCR"; printf older) "${INSTALLED%/*}/$(removals | tail -n 1)"

hold_by_preview
eval "wine $(reg_value QuietUninstallString "$APPS" | sed 's/^REG_SZ //')" >/dev/null 2>&1
check "uninstalling while a preview holds the saver exits with 0" [ $? = 0 ]
# The uninstaller works from a copy of itself: the command returns before its work is done.
check "and removes its Apps entry" wait_for 30 eval '! wine reg query "$APPS" >/dev/null 2>&1'
check "and the saver from the system folder" [ ! -e "$INSTALLED" ]
check "which the next restart deletes" cmp -s "$SCR" "${INSTALLED%/*}/$(removals | tail -n 1)"
check "and the current saver setting" [ -z "$(reg_value SCRNSAVE.EXE "$DESKTOP")" ]
check "but keeps the user's settings" [ "$(reg_value ShowFramerate)" = "REG_DWORD 0x1" ]

reg_reset
finish
