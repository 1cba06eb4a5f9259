#!/usr/bin/env bash
# What the sheet looks like: a single OK button, 186 pixels left of where the sheet itself puts
# it (measured on a sheet of the saver's own pages without its callback); the Introduction
# picture whole and centred in its frame, as far as the frame shows it; the links blue and
# underlined, the other texts not; the Credits lines all drawn. With QUILLOMAR_SCREENSHOTS set
# to a directory, the two pages are saved there (configure-introduction.png,
# configure-credits.png).
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

PICTURE=$(dirname "$0")/../../resources/introduction.bmp
PICTURE_WIDTH=548
PICTURE_HEIGHT=199

# pixels <image> <x> <y> <w> <h>: "x y r g b" for each pixel of that part of the image.
pixels() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
        awk -F'[,:() ]+' '!/^#/ { print $1, $2, $3, $4, $5 }'
}

# Link text: blue (and only blue) pixels, with one row of them under the whole text.
is_blue_and_underlined() {
    pixels "$@" | awk '
        $5 > 200 && $3 < 80 && $4 < 80 { n++; row[$2]++; if (min == "" || $1 < min) min = $1; if ($1 > max) max = $1 }
        $3 < 100 && $4 < 100 && $5 < 100 { dark++ }
        END {
            best = 0; for (y in row) if (row[y] > best) best = row[y]
            printf "  %d blue pixels, %d dark, longest row %d of %d columns\n", n, dark, best, max - min + 1
            exit !(n > 30 && dark == 0 && best >= 0.9 * (max - min + 1))
        }'
}

# Ordinary text: dark pixels and nothing blue.
is_plain_text() {
    pixels "$@" | awk '
        $5 > 200 && $3 < 80 && $4 < 80 { blue++ }
        $3 < 100 && $4 < 100 && $5 < 100 { dark++ }
        END { printf "  %d dark pixels, %d blue\n", dark, blue; exit !(dark > 20 && blue == 0) }'
}

# control_box <id> [n-th of that id]: "sx sy w h" of the control's client area on the screen.
control_box() {
    awk -v id="$1" -v nth="${2:-1}" '$1 == "control" && $2 == id && ++seen == nth { print $11, $12, $13, $14 }' \
        "$WORK/dump.txt"
}

# The picture drawn in its frame's client area (sx sy w h): centred, within a pixel either way,
# and exactly the bitmap wherever the frame shows it.
picture_is_centred() {
    local sx=$1 sy=$2 w=$3 h=$4 dx dy
    convert "$PICTURE" "$WORK/picture.png"
    for dx in 0 -1 1; do
        for dy in 0 -1 1; do
            local bx=$((sx + (w - PICTURE_WIDTH) / 2 + dx)) by=$((sy + (h - PICTURE_HEIGHT) / 2 + dy))
            local left=$((bx > sx ? bx : sx)) top=$((by > sy ? by : sy))
            local right=$((bx + PICTURE_WIDTH < sx + w ? bx + PICTURE_WIDTH : sx + w))
            local bottom=$((by + PICTURE_HEIGHT < sy + h ? by + PICTURE_HEIGHT : sy + h))
            convert "$WORK/introduction.png" -crop "$((right - left))x$((bottom - top))+$left+$top" \
                +repage "$WORK/shown.png"
            convert "$WORK/picture.png" \
                -crop "$((right - left))x$((bottom - top))+$((left - bx))+$((top - by))" +repage \
                "$WORK/expected.png"
            if [ "$(compare -metric AE "$WORK/shown.png" "$WORK/expected.png" null: 2>&1)" = 0 ]; then
                echo "  the picture's rows $((top - by)) to $((bottom - by - 1)) show, offset ($dx, $dy)"
                return 0
            fi
        done
    done
    return 1
}

reg_reset # a first run: the sheet opens on Introduction
check "the sheet opens" open_sheet /c
check "on Introduction" [ "$(current_page)" = Introduction ]
sheet_dump
check "OK is visible and enabled" [ "$(button_field ok 3) $(button_field ok 4)" = "visible=1 enabled=1" ]
check "Cancel is neither visible nor enabled" \
    [ "$(button_field cancel 3) $(button_field cancel 4)" = "visible=0 enabled=0" ]
no_apply() {
    [ "$(button_field apply 3)" = none ] ||
        [ "$(button_field apply 3) $(button_field apply 4)" = "visible=0 enabled=0" ]
}
check "there is no Apply button to see or press" no_apply
probe reference "Z:$SCR" >"$WORK/reference.txt"
REFERENCE=$(awk '$1 == "reference" { print $3, $4, $5, $6 }' "$WORK/reference.txt")
OK=$(awk '$1 == "button" && $2 == "ok" { print $5, $6, $7, $8 }' "$WORK/dump.txt")
echo "  OK at $OK; without the saver's callback at $REFERENCE"
check "OK sits 186 pixels left of the sheet's own place, at the same height and size" \
    [ "$(echo "$REFERENCE" | awk '{ print $1 - 186, $2, $3, $4 }')" = "$OK" ]

# shot_when_drawn <file> <test> <arguments...>: screenshots until the test passes on the shot
# (the page's first paint), 10 s at most.
shot_when_drawn() {
    local file=$1 i
    shift
    for ((i = 0; i < 50; i++)); do
        screenshot "$file"
        "$1" "$file" "${@:2}" >/dev/null && return 0
        sleep 0.2
    done
    return 1
}

xdotool mousemove 0 0
# shellcheck disable=SC2046
check "the Introduction page is drawn" \
    shot_when_drawn "$WORK/introduction.png" is_blue_and_underlined $(control_box 1011)
# shellcheck disable=SC2046
check "the picture sits centred in its frame" picture_is_centred $(control_box -1 1)
# shellcheck disable=SC2046
check "the web link is blue and underlined" is_blue_and_underlined "$WORK/introduction.png" $(control_box 1011)
# shellcheck disable=SC2046
check "the e-mail link is blue and underlined" is_blue_and_underlined "$WORK/introduction.png" $(control_box 1012)
# shellcheck disable=SC2046
check "the version is plain text" is_plain_text "$WORK/introduction.png" $(control_box 1074)
# shellcheck disable=SC2046
check "the e-mail label is plain text" is_plain_text "$WORK/introduction.png" $(control_box -1 2)
SHEET=$(sheet_window)
if [ -n "${QUILLOMAR_SCREENSHOTS:-}" ]; then
    screenshot "$QUILLOMAR_SCREENSHOTS/configure-introduction.png" "$SHEET"
fi

check "Credits shows" show_page Credits
xdotool mousemove 0 0 # no tab lit up under the mouse in the picture
sheet_dump
# shellcheck disable=SC2046
check "the Credits page is drawn" \
    shot_when_drawn "$WORK/credits.png" is_plain_text $(control_box -1 10)
# shellcheck disable=SC2046
check "the heading is drawn" is_plain_text "$WORK/credits.png" $(control_box -1 1)
for line in 1 2 3 4 5 6 7 8; do
    # shellcheck disable=SC2046
    check "line $line is drawn" is_plain_text "$WORK/credits.png" $(control_box -1 $((line + 2)))
done
if [ -n "${QUILLOMAR_SCREENSHOTS:-}" ]; then
    screenshot "$QUILLOMAR_SCREENSHOTS/configure-credits.png" "$SHEET"
fi
close_sheet Return
expect_exit "the sheet closes" "$SAVER_PID" 20 1
reg_reset

finish
