# Pictures of a running saver, for scripts/run, scripts/run-windows and the end-to-end tests:
# where Wine keeps an OpenGL window's pixels, counting coloured pixels, and waiting for a frame
# with bananas before a picture is kept. Sourced; needs xwininfo and ImageMagick.

# gl_window <width>x<height>: Wine draws an OpenGL child window into an unnamed X window of the
# child's size; its id, or nothing while there is none.
gl_window() {
    xwininfo -root -tree 2>/dev/null |
        awk -v size=" $1+" 'index($0, size) && /has no name/ { print $1; exit }'
}

# picture <file> <window id | root | gl:<width>x<height>>: one picture of that window.
picture() {
    local window=$2
    [ "${window#gl:}" = "$window" ] || window=$(gl_window "${window#gl:}")
    [ -n "$window" ] && timeout 20 import -window "$window" "$1" 2>/dev/null
}

# count_pixels <image> <crop> <R> <G> <B> [<operations first>...]: how many pixels of that part
# of the image have each channel above that many percent.
count_pixels() {
    convert "$1" -alpha off -crop "$2" +repage "${@:6}" \
        \( -clone 0 -channel R -separate +channel -threshold "$3%" \) \
        \( -clone 0 -channel G -separate +channel -threshold "$4%" \) \
        \( -clone 0 -channel B -separate +channel -threshold "$5%" \) \
        -delete 0 -evaluate-sequence min -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
yellow_pixels() { count_pixels "$1" "${2:-100%}" 55 55 75 -channel B -negate +channel; }
white_pixels() { count_pixels "$1" "${2:-100%}" 85 85 85; }

# picture_with_bananas <file> <window as for picture> [<seconds> [<pixels>]]: bananas are born
# out of sight and drift in, and a busy machine draws its first frames late: pictures are taken
# again until one shows more yellow pixels than that (20), for up to that many seconds (20).
# False if none did.
picture_with_bananas() {
    local end=$((SECONDS + ${3:-20}))
    while [ $SECONDS -lt "$end" ]; do
        picture "$1" "$2" && [ "$(yellow_pixels "$1")" -gt "${4:-20}" ] && return 0
        sleep 0.25
    done
    return 1
}
