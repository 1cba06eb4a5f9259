# Shared by the configuration sheet's end-to-end tests (configure_*.sh), after lib.sh: the
# sheet is found, read and closed as a user and another program on the desktop would.
# shellcheck shell=bash

SHEET_CAPTION="Quillomar by Tarnwick"

probe() { wine "$DRIVERS/sheet_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# open_sheet <arguments...>: starts the saver (SAVER_PID) and waits for its sheet; 1 when none
# came.
open_sheet() {
    start_saver "$@"
    wine "$DRIVERS/sheet_probe.exe" wait 20 >/dev/null 2>&1
}

sheet_count() { probe count | awk '{ print $2 }'; }

sheet_window() { wait_window "^$SHEET_CAPTION\$" 10; } # its X window

# The state of the sheet, read afresh: the whole dump, one field of it.
sheet_dump() { probe dump >"$WORK/dump.txt"; }
current_page() { probe dump | awk -F'"' '/^page / { print $2 }'; }
# control_field <id> <field number>, of the first control with that id. The fields: "control id
# class style visible=v x y w h client sx sy cw ch "text"": the window in the page, then its
# client area on the screen.
control_field() {
    awk -v id="$1" -v n="$2" '$1 == "control" && $2 == id { print $n; exit }' "$WORK/dump.txt"
}
control_text() {
    awk -F'"' -v id="$1" '$0 ~ "^control " id " " { print $2; exit }' "$WORK/dump.txt"
}
# button_field <ok|cancel|apply> <field number>: "button name visible=v enabled=e x y w h", in
# the sheet's client area.
button_field() {
    awk -v name="$1" -v n="$2" '$1 == "button" && $2 == name { print $n; exit }' "$WORK/dump.txt"
}

# Pages are switched on the tab strip, as a user would: a click on the first tab shows it and
# gives the strip the keyboard, then the arrow keys move between tabs. Clicks land 12 pixels
# apart in turn, so that two in a row never make a double click.
TAB_CLICKS=0
show_page() { # show_page Introduction|Credits
    local x y
    TAB_CLICKS=$((TAB_CLICKS + 1))
    x=$(probe dump | awk -v shift=$((TAB_CLICKS % 2 * 12)) '$1 == "tabs" { print $2 + 8 + shift }')
    y=$(probe dump | awk '$1 == "tabs" { print $3 + 10 }')
    xdotool mousemove "$x" "$y" click 1
    if [ "$1" = Credits ]; then xdotool key Right; fi
    wait_page "$1"
}

wait_page() { # wait_page <title>: until the sheet shows that page (10 s at most)
    local i
    for ((i = 0; i < 100; i++)); do
        [ "$(current_page)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# close_sheet <how>: Return, Escape, click (on OK) or box (what the caption's close box sends).
close_sheet() {
    local window
    case $1 in
        Return | Escape)
            window=$(sheet_window) && press_key "$window" "$1"
            ;;
        click)
            xdotool mousemove "$(ok_screen_x)" "$(ok_screen_y)" click 1
            ;;
        box)
            probe close >/dev/null
            ;;
    esac
}

# The OK button's middle on the screen: the sheet's client origin plus its client position.
ok_screen_x() {
    probe dump | awk '$1 == "origin" { o = $2 } $1 == "button" && $2 == "ok" { x = $5; w = $7 }
                      END { print o + x + int(w / 2) }'
}
ok_screen_y() {
    probe dump | awk '$1 == "origin" { o = $3 } $1 == "button" && $2 == "ok" { y = $6; h = $8 }
                      END { print o + y + int(h / 2) }'
}

# export_key <file>: the saver's settings key as reg exports it, for before/after comparisons.
export_key() {
    wine reg export 'HKCU\Software\Tarnwick\Quillomar' "$(winepath -w "$1" 2>/dev/null)" /y \
        >/dev/null 2>&1
}
