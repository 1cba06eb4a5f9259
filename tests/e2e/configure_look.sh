#!/usr/bin/env bash
# The configuration sheet as a user meets it, over a program's windows (A in front, B behind):
# pages, version, OK, links, one sheet at a time, the page remembered, the process's 1 however
# the sheet is closed, and the owner of its hidden host dialog for each form of command line.
# With QUILLOMAR_SCREENSHOTS set to a directory, both pages are saved there for the README.
. "$(dirname "$0")/lib.sh"

RESOURCES=$(dirname "$0")/../../resources
SHEET_NAME='^Quillomar by Tarnwick$'

# The shell's programs for https: and mailto: become a recorder until the test ends.
HANDLER="\"$(winepath -w "$DRIVERS/url_handler_probe.exe" 2>/dev/null)\" \"%1\""
for scheme in https mailto; do
    wine reg export "HKLM\\Software\\Classes\\$scheme" "$(winepath -w "$WORK/$scheme.reg")" /y
    wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /d "$HANDLER" /f
done >/dev/null 2>&1
restore_schemes() {
    for scheme in https mailto; do
        wine reg import "$(winepath -w "$WORK/$scheme.reg")" >/dev/null 2>&1
    done
    cleanup
}
trap restore_schemes EXIT
export QUILLOMAR_URL_HANDLER_OUTPUT
QUILLOMAR_URL_HANDLER_OUTPUT=$(winepath -w "$WORK/url.txt" 2>/dev/null)

url_string() { awk -v id="$1" '$1 == id { gsub("\"", ""); print $2 }' "$RESOURCES/quillomar.rc"; }
open_sheet() { start_saver "$@" && wait_window "$SHEET_NAME" 20 >/dev/null; } # SAVER_PID
sheet_count() { xdotool search --onlyvisible --name "$SHEET_NAME" 2>/dev/null | wc -l; }
sheet_index_is() { [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x$1" ]; }
click() { xdotool mousemove "$1" "$2" click 1; }
close_on() { press_key "$(wait_window "$SHEET_NAME" 10)" "$1"; }

# sheet_dump: the cursor and the sheet as sheet_probe.cpp reads them, into $WORK/dump.txt.
sheet_dump() { wine "$DRIVERS/sheet_probe.exe" 2>/dev/null | tr -d '\r' >"$WORK/dump.txt"; }
is_page() { sheet_dump && grep -qx "page \"$1\"" "$WORK/dump.txt"; }
field() { # field <line start> <n> [<m>]: fields n to m of the dump's first line that starts so
    awk -v p="$1 " -v n="$2" -v m="${3:-$2}" 'index($0, p) == 1 {
        for (i = n; i <= m; i++) printf "%s%s", $i, i < m ? " " : "\n"; exit }' "$WORK/dump.txt"
}
box() { field "control $1" 4 7; } # box <n>: x y w h of the page's n-th control's client area
owner_is() { [ "$(field host 2 4)" = "1 0 $1" ]; } # the host exists, hidden, owned by that window

# A click on the first tab, then Right for the second, as a user would, again while the keyboard
# is elsewhere still. Clicks land 12 pixels apart in turn, never making a double click.
TAB_CLICKS=0
show_page() { wait_for 10 tab_to "$1"; } # show_page Introduction|Credits
tab_to() {
    sheet_dump
    TAB_CLICKS=$((TAB_CLICKS + 1))
    click $(($(field tabs 2) + 8 + TAB_CLICKS % 2 * 12)) $(($(field tabs 3) + 10))
    if [ "$1" = Credits ]; then xdotool sleep 0.2 key Right; fi
    wait_for 1 is_page "$1"
}

# pixels <image> <x> <y> <w> <h> <awk program>: the program reads "x y r g b" for each pixel of
# that part of the image; blue is b > 200 with r and g < 80, dark is all three < 100.
pixels() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
        awk -F'[,:() ]+' '!/^#/ { print $1, $2, $3, $4, $5 }' | awk "$6"
}
is_link() { # blue (and only blue) pixels, with one row of them under every blue column
    pixels "$@" '$5 > 200 && $3 < 80 && $4 < 80 { n++; row[$2]++; column[$1] }
        $3 < 100 && $4 < 100 && $5 < 100 { dark++ }
        END {
            for (y in row) if (row[y] > best) best = row[y]
            exit !(n > 30 && !dark && best >= 0.9 * length(column))
        }'
}
is_text() { # dark pixels and nothing blue
    pixels "$@" '$5 > 200 && $3 < 80 && $4 < 80 { blue++ }
        $3 < 100 && $4 < 100 && $5 < 100 { dark++ }
        END { exit !(dark > 20 && !blue) }'
}
picture_is_centred() { # in its frame (x y w h), exactly, as far as the frame shows it
    local width height
    read -r width height < <(identify -format '%w %h' "$RESOURCES/introduction.bmp")
    convert "$WORK/introduction.png" -crop "$3x$4+$1+$2" +repage "$WORK/shown.png"
    convert "$RESOURCES/introduction.bmp" \
        -crop "$3x$4+$(((width - $3) / 2))+$(((height - $4) / 2))" +repage "$WORK/expected.png"
    [ "$(compare -metric AE "$WORK/shown.png" "$WORK/expected.png" null: 2>&1)" = 0 ]
}
# shellcheck disable=SC2046
introduction_drawn() { # links 4 and 5, the version 3, the picture 1
    local shot=$WORK/introduction.png
    screenshot "$shot" &&
        is_link "$shot" $(box 4) &&
        is_link "$shot" $(box 5) &&
        is_text "$shot" $(box 3) &&
        picture_is_centred $(box 1)
}
credits_drawn() { # the heading 1 and the lines 3 to 10
    local n
    screenshot "$WORK/credits.png"
    for n in 1 3 4 5 6 7 8 9 10; do
        # shellcheck disable=SC2046
        is_text "$WORK/credits.png" $(box $n) || return 1
    done
}

cursor_is() { # cursor_is <x> <y> <=|!=> <cursor>: the mouse is there, with (or not) it; CURSOR
    sheet_dump
    CURSOR=$(awk -v at="$1 $2" '$1 == "cursor" && $3 " " $4 == at { print $2 }' "$WORK/dump.txt")
    [ -n "$CURSOR" ] && test "$CURSOR" "$3" "$4"
}
hover() { xdotool mousemove "$1" "$2" && wait_for 5 cursor_is "$@"; } # as cursor_is, in 5 s
opens() { # opens <x> <y> <url>: a click there hands the recorder exactly that URL
    rm -f "$WORK/url.txt"
    click "$1" "$2"
    wait_for 20 grep -qsF "\"$3\"" "$WORK/url.txt"
}
ok_is_centred() { # OK's middle within a pixel of the middle of the sheet's client area
    local off=$((2 * ($(field "button ok" 5) - $(field sheet 2)) + $(field "button ok" 7)))
    off=$((off - $(field sheet 4)))
    [ "${off#-}" -le 2 ]
}

check "a program shows windows A (FOREGROUND_WINDOW) and B (PARENT_WINDOW)" start_parent
reg_reset
reg_set_dword VersionMajor 3
reg_set_dword VersionMinor 3
check "a first start with '/c' opens the sheet" open_sheet /c
FIRST_PID=$SAVER_PID
check "on the Introduction page" wait_for 10 is_page Introduction
check "its hidden host is owned by A, the window in front" owner_is "$FOREGROUND_WINDOW"
check "the version reads \"Version 1.1\"" grep -q '^control 3 .*"Version 1.1"$' "$WORK/dump.txt"
check "VersionMajor and VersionMinor are written as 1, though 3 was stored" \
    [ "$(reg_value VersionMajor) $(reg_value VersionMinor)" = "REG_DWORD 0x1 REG_DWORD 0x1" ]
check "CurrentConfigureSheet is 0" sheet_index_is 0
check "OK is visible and enabled; Cancel and Apply neither" \
    [ "$(field "button ok" 3 4) $(field "button cancel" 3 4) $(field "button apply" 3 4)" = \
    "1 1 0 0 0 0" ]
check "OK sits in the middle" ok_is_centred

start_saver
expect_exit "a second start while the sheet is open exits with 1" "$SAVER_PID" 20 1
check "still exactly one sheet" [ "$(sheet_count)" = 1 ]
check "the first saver is still running" kill -0 "$FIRST_PID"
SAVER_PID=$FIRST_PID

xdotool mousemove 0 0
check "Introduction is drawn: blue underlined links, the picture centred" \
    wait_for 10 introduction_drawn
if [ -n "${QUILLOMAR_SCREENSHOTS:-}" ]; then
    screenshot "$QUILLOMAR_SCREENSHOTS/configure-introduction.png" "$(wait_window "$SHEET_NAME" 5)"
fi
# Points below the picture, away from every link, and inside each link away from its text.
read -r x y w h < <(box 1)
PLAIN=("$((x + 10))" "$((y + h + 12))")
read -r x y w h < <(box 4)
WWW=("$((x + 2))" "$((y + 2))")
read -r x y w h < <(box 5)
EMAIL=("$((x + 3))" "$((y + h / 2))")
xdotool mousemove "${PLAIN[@]}" sleep 0.5
check "away from the links the page shows its cursor" cursor_is "${PLAIN[@]}" != ""
ARROW=$CURSOR
check "over the web link the cursor changes" hover "${WWW[@]}" != "$ARROW"
check "over the e-mail link too" hover "${EMAIL[@]}" != "$ARROW"
check "back on the page, its cursor again" hover "${PLAIN[@]}" = "$ARROW"
check "a click on the web link opens string 1016" opens "${WWW[@]}" "$(url_string IDS_WWW)"
check "the e-mail link opens string 1015" opens "${EMAIL[@]}" "$(url_string IDS_EMAIL)"
check "the sheet stays open on Introduction" is_page Introduction

check "a click on the tabs and Right show Credits" show_page Credits
check "Credits writes CurrentConfigureSheet 1 at once" sheet_index_is 1
xdotool mousemove 0 0 # no tab lit up under the mouse in the picture
check "the Credits page is drawn" wait_for 10 credits_drawn
if [ -n "${QUILLOMAR_SCREENSHOTS:-}" ]; then
    screenshot "$QUILLOMAR_SCREENSHOTS/configure-credits.png" "$(wait_window "$SHEET_NAME" 5)"
fi
check "back to Introduction" show_page Introduction
check "Introduction writes 0 at once" sheet_index_is 0
check "and Credits again" show_page Credits
read -r x y w h < <(field "button ok" 5 8)
click $((x + w / 2)) $((y + h / 2))
expect_exit "a click on OK ends the sheet" "$SAVER_PID" 20 1
check "no sheet is left" [ "$(sheet_count)" = 0 ]

reg_set_dword VersionMinor 4
check "'/c:<B>' opens the sheet" open_sheet "/c:$PARENT_WINDOW"
check "on Credits, the page last shown" wait_for 10 is_page Credits
check "its host is owned by B" owner_is "$PARENT_WINDOW"
close_on Escape
expect_exit "Escape ends it" "$SAVER_PID" 20 1
check "without Introduction, VersionMinor is left as it was" \
    [ "$(reg_value VersionMinor)" = "REG_DWORD 0x4" ]

reg_set_dword CurrentConfigureSheet 2
check "a start with no switch opens the sheet" open_sheet
check "on Introduction, as the stored index names no page" wait_for 10 is_page Introduction
check "which replaces the index with 0" sheet_index_is 0
check "its host is owned by no window" owner_is 0
close_on alt+F4
expect_exit "Alt+F4 ends it" "$SAVER_PID" 20 1

check "'/c:99999', no window, opens the sheet" open_sheet /c:99999
check "on Introduction" wait_for 5 is_page Introduction
check "its host is owned by A, the window in front" owner_is "$FOREGROUND_WINDOW"
close_on Return
expect_exit "Return ends it" "$SAVER_PID" 20 1
reg_reset

finish
