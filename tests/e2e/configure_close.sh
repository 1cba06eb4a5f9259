#!/usr/bin/env bash
# OK (by keyboard or mouse), Escape and the caption's close box end the sheet and the process,
# which exits with the host dialog's 1; nothing is applied, so the settings key is exactly as it
# was when the sheet shows the page it last recorded.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

reg_reset
reg_set_dword ReleaseLogging 1
reg_set_dword ShowFramerate 1
reg_set_dword CurrentConfigureSheet 0
reg_set_dword VersionMajor 1
reg_set_dword VersionMinor 1
wine reg add 'HKCU\Software\Tarnwick\Quillomar' /v Unrelated /t REG_SZ /d "left alone" /f \
    >/dev/null 2>&1
export_key "$WORK/before.reg"

for how in Return click Escape box; do
    check "$how: the sheet opens" open_sheet /c
    close_sheet "$how"
    expect_exit "$how: the process ends" "$SAVER_PID" 20 1
    check "$how: no sheet is left" [ "$(sheet_count)" = 0 ]
    export_key "$WORK/after.reg"
    check "$how: the settings key is unchanged" cmp -s "$WORK/before.reg" "$WORK/after.reg"
done
check "the key was exported" grep -q "Unrelated" <(iconv -f UTF-16 -t UTF-8 "$WORK/before.reg")
reg_reset

finish
