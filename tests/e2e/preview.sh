#!/usr/bin/env bash
# The preview, hosted by a program of the tests' own as the display control panel would: it
# fills its parent, shows the three titles, ignores input, passes help and context menus to its
# parent and ends with it.
. "$(dirname "$0")/lib.sh"

run_preview() {
    local format=$1 go=$WORK/go
    rm -f "$go" "$WORK/host.out"
    wine "$DRIVERS/preview_host.exe" "$SCR" "$format" "Z:$go" >"$WORK/host.out" 2>&1 &
    local host=$!
    STARTED_PIDS+=("$host")
    local i
    for i in $(seq 100); do
        grep -q '^preview' "$WORK/host.out" 2>/dev/null && break
        sleep 0.1
    done
    check "'$format': the preview fills its parent" grep -q '^preview 152 112' "$WORK/host.out"
    sleep 2
    local window
    window=$(gl_window 152x112)
    check "'$format': the preview's picture exists" [ -n "$window" ]
    if [ -n "$window" ]; then
        screenshot "$WORK/preview.png" "$window"
        # Three title lines, centred at 30 %, 50 % and 70 % of the height.
        local row
        for row in 34 56 78; do
            convert "$WORK/preview.png" -crop 152x9+0+$((row - 4)) +repage "$WORK/row.png"
            check "'$format': white title text on row $row" [ "$(white_pixels "$WORK/row.png")" -gt 10 ]
        done
        convert "$WORK/preview.png" -crop 152x8+0+0 +repage "$WORK/row.png"
        check "'$format': nothing white above the titles" [ "$(white_pixels "$WORK/row.png")" = 0 ]
    fi
    touch "$go"
    expect_exit "'$format': input is ignored, the parent's end ends the saver" "$host" 20 0
    check "'$format': help and context menus go to the parent" \
        grep -q '^help and context menu passed to the parent' "$WORK/host.out"
    grep -q '^saver exited' "$WORK/host.out" || cat "$WORK/host.out"
}

run_preview "/p %u"
run_preview "/l %u"
run_preview "/p%u"

finish
