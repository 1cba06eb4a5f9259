#!/usr/bin/env bash
# Settings stored with the wrong kind of value, as another program or a hand edit could leave
# them: the saver and the sheet still start, take a four-byte binary as its number and anything
# else as the initial value, and write every value back as a proper number.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

NAMES=(ReleaseLogging ShowFramerate CurrentConfigureSheet VersionMajor VersionMinor)
INITIAL=(0 0 0 1 1)

LONG_TEXT=$(printf '7%.0s' $(seq 10000))
# The kinds, each as the data of a .reg line, and the number all five then read as ("initial"
# for each option's own initial value).
KIND_NAMES=(text long-text binary-0 binary-2 binary-4 binary-8 multi-string qword)
KIND_DATA=('"1"' "\"$LONG_TEXT\"" 'hex:' 'hex:01,00' 'hex:01,00,00,00'
    'hex:01,00,00,00,00,00,00,00' 'hex(7):31,00,00,00,00,00' 'hex(b):01,00,00,00,00,00,00,00')
KIND_READS=(initial initial initial initial 1 initial initial initial)

# store_kind <.reg data> [<names...>]: the saver's key holds just these values, all with it.
store_kind() {
    local data=$1 name
    shift
    local names=("$@")
    [ ${#names[@]} -gt 0 ] || names=("${NAMES[@]}")
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Tarnwick\\Quillomar]\r\n'
        for name in "${names[@]}"; do
            printf '"%s"=%s\r\n' "$name" "$data"
        done
    } >"$WORK/kind.reg"
    reg_reset
    wine reg import "$(winepath -w "$WORK/kind.reg" 2>/dev/null)" >/dev/null 2>&1
}

# expect_numbers <what> <reads>: every value is now a REG_DWORD holding what it read as.
expect_numbers() {
    local what=$1 reads=$2 i expected
    for i in "${!NAMES[@]}"; do
        expected=$reads
        [ "$reads" = initial ] && expected=${INITIAL[$i]}
        check "$what: ${NAMES[$i]} is the number $expected" \
            [ "$(reg_value "${NAMES[$i]}")" = "REG_DWORD $(printf 0x%x "$expected")" ]
    done
}

store_kind '"x"'
check "a wrong kind is in the registry before the start" \
    [ "$(reg_value ShowFramerate)" = "REG_SZ x" ]

for k in "${!KIND_NAMES[@]}"; do
    kind=${KIND_NAMES[$k]}
    store_kind "${KIND_DATA[$k]}"
    run_saver 10 /x
    check "$kind: a bad switch still ends as one (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 255 ]
    expect_numbers "$kind, after /x" "${KIND_READS[$k]}"
done

# The sheet opens on the page the repaired index names; the Introduction page then writes the
# version 1.1 and its own index.
for k in "${!KIND_NAMES[@]}"; do
    kind=${KIND_NAMES[$k]}
    store_kind "${KIND_DATA[$k]}"
    page=Introduction
    [ "${KIND_READS[$k]}" = 1 ] && page=Credits
    if check "$kind: the sheet opens" open_sheet /c; then
        check "$kind: on $page" [ "$(current_page)" = "$page" ]
        close_sheet Return
    fi
    expect_exit "$kind: the sheet closes" "$SAVER_PID" 20 1
    expect_numbers "$kind, after the sheet" "${KIND_READS[$k]}"
done

# Numbers that name no page: kept as they are until a page records itself.
for stored in 7 -1; do
    store_kind "dword:$(printf %08x $((stored & 0xFFFFFFFF)))" CurrentConfigureSheet
    check "sheet index $stored: the sheet opens" open_sheet /c
    check "sheet index $stored: on Introduction" [ "$(current_page)" = Introduction ]
    close_sheet Return
    expect_exit "sheet index $stored: closed" "$SAVER_PID" 20 1
    check "sheet index $stored: replaced by 0" \
        [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x0" ]
done

# Full screen with ShowFramerate of three kinds: bananas in every case, digits only where the
# value reads as 1.
full_screen_with() { # full_screen_with <.reg data>: SHOT_YELLOW, SHOT_CORNER
    store_kind "$1" ShowFramerate
    SHOT_YELLOW=-1 SHOT_CORNER=-1
    full_screen_shot || return
    SHOT_YELLOW=$(yellow_pixels "$WORK/shot.png")
    SHOT_CORNER=$(white_pixels "$WORK/corner.png")
}

full_screen_with 'hex:01,00,00,00'
check "ShowFramerate binary 01 00 00 00: bananas" [ "$SHOT_YELLOW" -gt 0 ]
check "ShowFramerate binary 01 00 00 00: digits" [ "$SHOT_CORNER" -gt 15 ]
check "ShowFramerate binary: ended by the key (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
full_screen_with '"1"'
check "ShowFramerate text \"1\": bananas" [ "$SHOT_YELLOW" -gt 0 ]
check "ShowFramerate text \"1\": no digits" [ "$SHOT_CORNER" = 0 ]
full_screen_with "\"$LONG_TEXT\""
check "ShowFramerate of 10000 characters: bananas" [ "$SHOT_YELLOW" -gt 0 ]
check "ShowFramerate of 10000 characters: no digits" [ "$SHOT_CORNER" = 0 ]
check "ShowFramerate of 10000 characters: repaired" [ "$(reg_value ShowFramerate)" = "REG_DWORD 0x0" ]
reg_reset

finish
