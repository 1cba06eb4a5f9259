#!/usr/bin/env bash
# The Introduction page's links as a user meets them: over either link (anywhere in its
# rectangle, text or not) the mouse shows a hand, a copy of the system's own, each link its
# own; elsewhere the arrow. A click opens the link's URL through the shell, which hands it to
# the program registered for the scheme (here a recording stand-in for the browser and the
# mail program), and the sheet stays open.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

# The shell's programs for https: and mailto: become the recorder until the test ends.
HANDLER="\"$(winepath -w "$DRIVERS/url_handler_probe.exe" 2>/dev/null)\" \"%1\""
SCHEMES=(https mailto)
declare -A ORIGINAL
for scheme in "${SCHEMES[@]}"; do
    ORIGINAL[$scheme]=$(wine reg query "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve \
        2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')
    wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /d "$HANDLER" /f \
        >/dev/null 2>&1
done
restore_schemes() {
    local scheme
    for scheme in "${SCHEMES[@]}"; do
        if [ -n "${ORIGINAL[$scheme]}" ]; then
            wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve \
                /d "${ORIGINAL[$scheme]}" /f >/dev/null 2>&1
        else
            wine reg delete "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /f \
                >/dev/null 2>&1
        fi
    done
}
trap 'restore_schemes; cleanup' EXIT
export QUILLOMAR_URL_HANDLER_OUTPUT
QUILLOMAR_URL_HANDLER_OUTPUT=$(winepath -w "$WORK/url.txt" 2>/dev/null)

probe strings "Z:$SCR" >"$WORK/strings.txt"
EMAIL_URL=$(awk '$2 == 1015 { print $3 }' "$WORK/strings.txt")
WEB_URL=$(awk '$2 == 1016 { print $3 }' "$WORK/strings.txt")
starts_with() { [ -n "$1" ] && [ "${1#"$2"}" != "$1" ]; }
check "string 1016 is a web address ($WEB_URL)" starts_with "$WEB_URL" https://
check "string 1015 is a mailto: address ($EMAIL_URL)" starts_with "$EMAIL_URL" mailto:

cursor_handle() { probe cursor | awk '{ print $2 }'; }
# move_to <x> <y> <previous handle> <"same"|"other">: moves the mouse, then waits (5 s at most)
# until the cursor's handle is (or is not) the previous one; CURSOR = the handle then.
move_to() {
    local i
    xdotool mousemove "$1" "$2"
    for ((i = 0; i < 50; i++)); do
        CURSOR=$(cursor_handle)
        if [ "$4" = same ] && [ "$CURSOR" = "$3" ]; then return 0; fi
        if [ "$4" = other ] && [ -n "$CURSOR" ] && [ "$CURSOR" != "$3" ]; then return 0; fi
        sleep 0.1
    done
    return 1
}
cursor_image() { python3 "$(dirname "$0")/cursor_image.py"; }

check "the sheet opens" open_sheet /c
sheet_dump
# A point of the page away from every link: below the picture.
PLAIN_X=$(($(control_field -1 11) + 10))
PLAIN_Y=$(($(control_field -1 12) + $(control_field -1 14) + 12))
# Inside each link's rectangle, a few pixels from its left edge: away from its centred text.
WWW_X=$(($(control_field 1011 11) + 2))
WWW_Y=$(($(control_field 1011 12) + 2))
EMAIL_X=$(($(control_field 1012 11) + 3))
EMAIL_Y=$(($(control_field 1012 12) + $(control_field 1012 14) / 2))

# settle_at <x> <y>: moves the mouse there and waits (5 s at most) until the system reports it
# there with the same cursor three times running; CURSOR = that cursor.
settle_at() {
    local i same=0 previous="" now
    xdotool mousemove "$1" "$2"
    for ((i = 0; i < 50 && same < 3; i++)); do
        now=$(probe cursor | awk -v at="$1 $2" '$4 " " $5 == at { print $2 }')
        if [ -n "$now" ] && [ "$now" = "$previous" ]; then same=$((same + 1)); else same=0; fi
        previous=$now
        sleep 0.1
    done
    CURSOR=$previous
    [ "$same" -ge 3 ]
}

check "the mouse settles on the page away from the links" settle_at "$PLAIN_X" "$PLAIN_Y"
ARROW=$CURSOR
ARROW_IMAGE=$(cursor_image)
check "away from the links the page shows its cursor ($ARROW)" [ -n "$ARROW" ]
check "over the web link the cursor changes" move_to "$WWW_X" "$WWW_Y" "$ARROW" other
WWW_HAND=$CURSOR
WWW_IMAGE=$(cursor_image)
check "over the e-mail link too" move_to "$EMAIL_X" "$EMAIL_Y" "$ARROW" other
EMAIL_HAND=$CURSOR
EMAIL_IMAGE=$(cursor_image)
check "each link has a cursor of its own ($WWW_HAND, $EMAIL_HAND)" [ "$WWW_HAND" != "$EMAIL_HAND" ]
check "back on the page, the arrow again" move_to "$PLAIN_X" "$PLAIN_Y" "$ARROW" same
check "both links look alike ($WWW_IMAGE)" [ "$WWW_IMAGE" = "$EMAIL_IMAGE" ]
check "and not like the arrow ($ARROW_IMAGE)" [ "$WWW_IMAGE" != "$ARROW_IMAGE" ]
HAND=$(probe hand | awk '{ print $2, $3, $4, $5 }')
check "the link's cursor has the system hand's size and hot spot ($HAND)" \
    [ "$(echo "$WWW_IMAGE" | awk '{ print $1, $2, $3, $4 }')" = "$HAND" ]

# click_link <x> <y> <url>: the recorder must be handed exactly that URL.
click_link() {
    local i
    rm -f "$WORK/url.txt"
    xdotool mousemove "$1" "$2" click 1
    for ((i = 0; i < 200; i++)); do
        [ -s "$WORK/url.txt" ] && break
        sleep 0.1
    done
    cat "$WORK/url.txt" 2>/dev/null && echo
    grep -qF "\"$3\"" "$WORK/url.txt" 2>/dev/null
}
check "a click on the web link opens $WEB_URL" click_link "$WWW_X" "$WWW_Y" "$WEB_URL"
check "the sheet stays open" [ "$(sheet_count)" = 1 ]
check "a click on the e-mail link opens $EMAIL_URL" click_link "$EMAIL_X" "$EMAIL_Y" "$EMAIL_URL"
check "the sheet stays open" [ "$(sheet_count)" = 1 ]
check "still on Introduction" [ "$(current_page)" = Introduction ]
# The launched programs may have taken the keyboard; the mouse still reaches OK.
close_sheet click
expect_exit "the sheet closes" "$SAVER_PID" 20 1

finish
