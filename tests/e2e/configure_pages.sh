#!/usr/bin/env bash
# The sheet's two pages and what they record: it opens on the page last shown (the first on a
# first run or when the stored index names no page), each page writes its index the moment it
# becomes active, and the Introduction page writes version 1.1 and shows it.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

reg_reset
reg_set_dword VersionMajor 3
reg_set_dword VersionMinor 3
check "a first configuration start opens the sheet" open_sheet /c
check "on the Introduction page" [ "$(current_page)" = Introduction ]
sheet_dump
check "the version control reads \"Version 1.1\"" [ "$(control_text 1074)" = "Version 1.1" ]
check "VersionMajor is written as 1, though 3 was stored" [ "$(reg_value VersionMajor)" = "REG_DWORD 0x1" ]
check "VersionMinor is written as 1, though 3 was stored" [ "$(reg_value VersionMinor)" = "REG_DWORD 0x1" ]
check "CurrentConfigureSheet is 0" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x0" ]

check "a click on the tabs and Right show Credits" show_page Credits
check "Credits writes CurrentConfigureSheet 1 at once" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x1" ]
check "back to Introduction" show_page Introduction
check "Introduction writes 0 at once" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x0" ]
check "and Credits again" show_page Credits
close_sheet Return
expect_exit "Return closes the sheet; the process ends with the dialog's 1" "$SAVER_PID" 20 1
check "Credits is remembered" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x1" ]

reg_set_dword VersionMajor 3
reg_set_dword VersionMinor 4
check "the next start opens the sheet" open_sheet /c
check "on Credits, the page last shown" [ "$(current_page)" = Credits ]
close_sheet Return
expect_exit "closed without visiting Introduction" "$SAVER_PID" 20 1
check "VersionMajor is left as it was" [ "$(reg_value VersionMajor)" = "REG_DWORD 0x3" ]
check "VersionMinor is left as it was" [ "$(reg_value VersionMinor)" = "REG_DWORD 0x4" ]
check "CurrentConfigureSheet stays 1" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x1" ]

# A stored index that names no page opens the first page, which then records itself.
for stored in 2 4294967295 1000; do
    reg_set_dword CurrentConfigureSheet "$stored"
    check "stored index $stored is in the registry" \
        [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD $(printf 0x%x "$stored")" ]
    check "stored index $stored: the sheet opens" open_sheet /c
    check "stored index $stored: on Introduction" [ "$(current_page)" = Introduction ]
    close_sheet Return
    expect_exit "stored index $stored: closed" "$SAVER_PID" 20 1
    check "stored index $stored: replaced by 0" [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x0" ]
done
reg_reset

finish
