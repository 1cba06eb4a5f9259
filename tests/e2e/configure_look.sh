#!/usr/bin/env bash
# The configuration sheet as a user meets it over a program's windows (A in front, B behind):
# both pages, the links, one sheet at a time, the page remembered, the process's 1, the owner of
# its hidden host for each command line. QUILLOMAR_SCREENSHOTS=<dir> saves both pages there.
. "$(dirname "$0")/lib.sh"

RESOURCES=$(dirname "$0")/../../resources
SHEET_NAME='^Quillomar by Tarnwick$'

record_urls
THEMES='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
FONTS='HKCU\Control Panel\Desktop'
COLOURS='HKCU\Control Panel\Colors'
wine reg export "$THEMES" "$(winepath -w "$WORK/themes.reg")" /y >/dev/null 2>&1
wine reg export "$COLOURS" "$(winepath -w "$WORK/colours.reg")" /y >/dev/null 2>&1
restore() {
    wine reg import "$(winepath -w "$WORK/themes.reg")"
    wine reg import "$(winepath -w "$WORK/colours.reg")"
    wine reg delete "$FONTS" /v LogPixels /f
} >/dev/null 2>&1
trap 'restore; cleanup' EXIT

sheet_key() { press_key "$(wait_window "$SHEET_NAME" 10)" "$1"; }
index_is() { [ "$(reg_value CurrentConfigureSheet)" = "REG_DWORD 0x$1" ]; }

sheet_dump() { driver sheet >"$WORK/dump.txt"; }
is_page() { sheet_dump && grep -q "^page .* \"$1\"$" "$WORK/dump.txt"; }
field() { # field <start> <n> [<m>]: fields n to m of driver.cpp's Print_Sheet so starting
    awk -v p="$1 " -v n="$2" -v m="${3:-$2}" 'index($0, p) == 1 {
        for (i = n; i <= m; i++) printf "%s%s", $i, i < m ? " " : "\n"; exit }' "$WORK/dump.txt"
}
dark() { convert "$1" -crop "1x1+$2+$3" -format '%[fx:maxima < 0.15]' info: | grep -q 1; }
picture_fills() { # the picture's black reaches the corners of its frame (control 1) on screen
    local x y w h
    read -r x y w h < <(box 1)
    screenshot "$WORK/frame.png" && dark "$WORK/frame.png" $((x + 3)) $((y + 3)) &&
        dark "$WORK/frame.png" $((x + w - 4 < 1023 ? x + w - 4 : 1023)) \
            $((y + h - 4 < 767 ? y + h - 4 : 767))
}
texts_fit() { # every text of the page wholly inside its control
    awk '$1 == "control" && ($9 > $7 || $10 > $8) { print "  does not fit:", $0; bad = 1 }
        END { exit bad }' "$WORK/dump.txt"
}
box() { field "control $1" 5 8; } # box <n>: x y w h of the page's n-th control's client area

# opens_on <page> <owner> <arguments...>: a start shows the sheet there, its host owned so
opens_on() {
    start_saver "${@:3}"
    wait_window "$SHEET_NAME" 20 >/dev/null && wait_for 10 is_page "$1" &&
        [ "$(field host 2 4)" = "1 0 $2" ]
}
# shows <page> <index>: a click on the first tab, then Right for the second, show the page,
# which writes its index at once. Clicks land 12 pixels apart in turn, never a double click.
TAB_CLICKS=0
shows() { wait_for 10 tab_to "$1" && index_is "$2"; }
tab_to() {
    sheet_dump
    TAB_CLICKS=$((TAB_CLICKS + 1))
    xdotool mousemove $(($(field tabs 4) + 8 + TAB_CLICKS % 2 * 12)) $(($(field tabs 5) + 10))
    xdotool click 1
    if [ "$1" = Credits ]; then xdotool sleep 0.2 key Right; fi
    wait_for 1 is_page "$1"
}
# OK alone, shown and enabled, its middle within a pixel of the sheet's; Cancel hidden but
# enabled: a dialog ignores Escape and its close box while its Cancel is disabled.
buttons_are_ours() {
    local off=$((2 * ($(field ok 4) - $(field sheet 4)) + $(field ok 6) - $(field sheet 6)))
    [ "$(field ok 2 3) $(field cancel 2 3) $(field apply 2 3)" = "1 1 0 1 0 0" ] &&
        [ "${off#-}" -le 2 ]
}

# looks <kind> <image> <n>: control n of the page, in the picture. A picture is the middle of
# introduction.bmp, exactly; a link is blue pixels only (b > 200, r and g < 80), with a row of
# them under every blue column, on the page's own background (its corner is the colour of the
# page just left of it); text is dark pixels (all three < 100) and no blue.
looks() {
    local x y w h width height
    read -r x y w h < <(box "$3")
    convert "$2" -crop "${w}x$h+$x+$y" +repage "$WORK/part.png"
    if [ "$1" = picture ]; then
        read -r width height < <(identify -format '%w %h' "$RESOURCES/introduction.bmp")
        convert "$RESOURCES/introduction.bmp" \
            -crop "${w}x$h+$(((width - w) / 2))+$(((height - h) / 2))" +repage "$WORK/bitmap.png"
        [ "$(compare -metric AE "$WORK/part.png" "$WORK/bitmap.png" null: 2>&1)" = 0 ]
        return
    fi
    if [ "$1" = link ] && [ "$(pixel "$2" "$x" "$y")" != "$(pixel "$2" $((x - 3)) "$y")" ]; then
        return 1
    fi
    convert "$WORK/part.png" -depth 8 txt:- |
        awk -F'[,:() ]+' -v kind="$1" 'NR == 1 { next }
            $5 > 200 && $3 < 80 && $4 < 80 { blue++; row[$2]++; column[$1] }
            $3 < 100 && $4 < 100 && $5 < 100 { dark++ }
            END {
                for (y in row) if (row[y] > best) best = row[y]
                if (kind == "text") exit !(dark > 20 && !blue)
                exit !(blue > 30 && !dark && best >= 0.9 * length(column))
            }'
}
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; } # pixel <image> <x> <y>
# readable <n>...: on screen, the two commonest colours of each control n (the page's, the
# text's) read at 4.5 : 1 or more, by their relative luminance.
readable() {
    local x y w h n
    screenshot "$WORK/colours.png" || return 1
    for n in "$@"; do
        read -r x y w h < <(box "$n")
        convert "$WORK/colours.png" -crop "${w}x$h+$x+$y" -format %c histogram:info:- | sort -rn |
            awk -F'[(),:]+' 'function l(c) { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
                { y[NR] = 0.2126 * l($3) + 0.7152 * l($4) + 0.0722 * l($5) } NR == 2 { exit }
                END { hi = y[1] > y[2] ? y[1] : y[2]; exit (hi + 0.05) / (y[1] + y[2] - hi + 0.05) < 4.5 }' ||
            return 1
    done
}
drawn() { # drawn <page> <kind>:<n>...: a screenshot shows each control n of the page so
    local item
    screenshot "$WORK/$1.png" || return 1
    for item in "${@:2}"; do
        looks "${item%:*}" "$WORK/$1.png" "${item#*:}" || return 1
    done
}
save_page() { # save_page <file>: the sheet, for the README, when QUILLOMAR_SCREENSHOTS is set
    [ -z "${QUILLOMAR_SCREENSHOTS:-}" ] ||
        screenshot "$QUILLOMAR_SCREENSHOTS/$1" "$(wait_window "$SHEET_NAME" 5)"
}

cursor_is() { # cursor_is <x> <y> <=|!=> <cursor>: the mouse is there, with (or not) it; CURSOR
    sheet_dump
    CURSOR=$(awk -v at="$1 $2" '$1 == "cursor" && $3 " " $4 == at { print $2 }' "$WORK/dump.txt")
    [ -n "$CURSOR" ] && test "$CURSOR" "$3" "$4"
}
hover() { xdotool mousemove "$1" "$2" && wait_for 5 cursor_is "$@"; } # as cursor_is, in 5 s
opens() { # opens <x> <y> <url>: a click there hands the recorder exactly that URL
    xdotool mousemove "$1" "$2" click 1
    url_opened "$3"
}

check "a program shows windows A (FOREGROUND_WINDOW) and B (PARENT_WINDOW)" start_parent
reg_import VersionMajor=dword:00000003 VersionMinor=dword:00000003
check "'/c' opens the sheet on Introduction, its host owned by A, the window in front" \
    opens_on Introduction "$FOREGROUND_WINDOW" /c
FIRST_PID=$SAVER_PID
check "the version reads \"Version $(version)\"" grep -q "^control 3 .*\"Version $(version)\"" \
    "$WORK/dump.txt"
check "VersionMajor and VersionMinor are written as the version's, though 3 was stored" [ \
    "$(reg_value VersionMajor) $(reg_value VersionMinor)" = \
    "$(printf "REG_DWORD 0x%x REG_DWORD 0x%x" "$(version MAJOR)" "$(version MINOR)")" ]
check "OK is the only button shown, enabled, in the middle; Cancel is hidden, enabled" \
    buttons_are_ours
check "every text fits its control" texts_fit

driver foreground Other >/dev/null
start_saver
expect_exit "a second start while the sheet is open exits with 1" "$SAVER_PID" 20 1
check "and brings the sheet to the front" [ "$(driver foreground)" = "Quillomar by Tarnwick" ]

check "Introduction is drawn: blue underlined links, the picture centred" \
    wait_for 10 drawn introduction link:4 link:5 text:3 picture:1
save_page configure-introduction.png
# A point below the picture, away from every link, and one inside each link away from its text.
read -r x y w h < <(box 1)
PLAIN=("$((x + 10))" "$((y + h + 12))")
read -r x y w h < <(box 4)
WWW=("$((x + 3))" "$((y + h / 2))")
read -r x y w h < <(box 5)
EMAIL=("$((x + 3))" "$((y + h / 2))")
check "away from the links the page shows its cursor" hover "${PLAIN[@]}" != ""
ARROW=$CURSOR
check "over the web link the cursor changes" hover "${WWW[@]}" != "$ARROW"
check "over the e-mail link too" hover "${EMAIL[@]}" != "$ARROW"
check "back on the page, its cursor again" hover "${PLAIN[@]}" = "$ARROW"
check "a click on the web link opens IDS_WWW" opens "${WWW[@]}" "$(url_string IDS_WWW)"
check "the e-mail link opens IDS_EMAIL" opens "${EMAIL[@]}" "$(url_string IDS_EMAIL)"

check "the tabs show Credits, which writes CurrentConfigureSheet 1 at once" shows Credits 1
check "every text of Credits fits its control" texts_fit
check "the Credits page is drawn" wait_for 10 drawn credits text:{1,{3..10}}
save_page configure-credits.png
read -r x y w h < <(field ok 4 7)
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
expect_exit "a click on OK ends the sheet" "$FIRST_PID" 20 1

check "'/c:<B>' opens it on Credits, the page last shown, owned by B" \
    opens_on Credits "$PARENT_WINDOW" "/c:$PARENT_WINDOW"
sheet_key Escape
expect_exit "Escape ends it" "$SAVER_PID" 20 1

# The pages above are drawn in Wine's Light visual style, as a new prefix has it; without a
# visual style too, the links lie on the page's own background.
wine reg add "$THEMES" /v ThemeActive /d 0 /f >/dev/null 2>&1
reg_set_dword CurrentConfigureSheet 0
check "without a visual style '/c' opens the sheet" opens_on Introduction "$FOREGROUND_WINDOW" /c
check "its links lie on the page's own background" wait_for 10 drawn classic link:4 link:5
sheet_key Escape
expect_exit "and Escape ends it" "$SAVER_PID" 20 1
# A black page, as a high-contrast scheme paints it, where blue would hardly read.
for colour in ButtonFace="0 0 0" {ButtonText,WindowText}="255 255 255" HotTrackingColor="255 255 0"; do
    wine reg add "$COLOURS" /v "${colour%%=*}" /d "${colour#*=}" /f >/dev/null 2>&1
done
check "on a black page '/c' opens the sheet" opens_on Introduction "$FOREGROUND_WINDOW" /c
check "where its links read at 4.5 : 1 or more" wait_for 10 readable 4 5
sheet_key Escape
expect_exit "and Escape ends it" "$SAVER_PID" 20 1
restore

# At 144 and 192 dots per inch the sheet grows with its fonts; OK stays in its middle and every
# text fits.
for dpi in 144 192; do
    wine reg add "$FONTS" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    reg_set_dword CurrentConfigureSheet 0
    check "at $dpi dpi '/c' opens the sheet" opens_on Introduction "$FOREGROUND_WINDOW" /c
    check "OK is in the middle" buttons_are_ours
    check "every text of Introduction fits its control" texts_fit
    check "the picture fills its frame" picture_fills
    check "and of Credits" shows Credits 1
    check "every text of Credits fits its control" texts_fit
    sheet_key Escape
    expect_exit "and Escape ends it" "$SAVER_PID" 20 1
done
restore

reg_set_dword CurrentConfigureSheet 2
check "no switch opens it on Introduction, as index 2 names no page, owned by no window" \
    opens_on Introduction 0
check "which replaces the index with 0" index_is 0
sheet_key alt+F4
expect_exit "Alt+F4 ends it" "$SAVER_PID" 20 1

check "'/c:99999', no window, opens it on Introduction, owned by A" \
    opens_on Introduction "$FOREGROUND_WINDOW" /c:99999
sheet_key Return
expect_exit "Return ends it" "$SAVER_PID" 20 1
reg_reset

finish
