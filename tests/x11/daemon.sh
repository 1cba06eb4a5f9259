#!/usr/bin/env bash
# The program as XScreenSaver's daemon runs it: with a private read-only home (no settings can
# be stored) whose ~/.xscreensaver selects only Quillomar, on two monitors side by side (small
# ones: two hacks draw at once), -activate starts it once per monitor in the daemon's window of
# that monitor's size, where each draws bananas; -deactivate's SIGTERM ends both at once;
# nothing is left running. The daemon refuses to run hacks as root, so as root it runs as nobody.
. "$(dirname "$0")/lib.sh"

check "a display of two monitors" start_heads 640x480 400x300
chmod 711 "$WORK"
HACK_HOME=$WORK/home
mkdir -p "$HACK_HOME"
cp "$QUILLOMAR" "$HACK_HOME/quillomar"
# The hack's path in the daemon's list: it notes each start's PID, then becomes the program.
cat >"$HACK_HOME/hack" <<HACK
#!/bin/sh
echo \$\$ >>"$HACK_HOME/hack.pids"
exec "$HACK_HOME/quillomar" "\$@"
HACK
chmod 755 "$HACK_HOME/hack"
: >"$HACK_HOME/hack.pids"
cat >"$HACK_HOME/.xscreensaver" <<SETTINGS
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
programs: GL: "Quillomar" $HACK_HOME/hack -root \\n\\
SETTINGS
as_user=()
if [ "$(id -u)" = 0 ]; then
    chown -R 65534:65534 "$HACK_HOME"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 555 "$HACK_HOME"
as_hack_user() { "${as_user[@]}" env HOME="$HACK_HOME" XDG_CONFIG_HOME="$HACK_HOME/.config" "$@"; }

as_hack_user xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
DAEMON_PID=$!
STARTED_PIDS+=("$DAEMON_PID")
check "the daemon answers" wait_for 15 eval 'xscreensaver-command -time >/dev/null 2>&1'

starts() { wc -l <"$HACK_HOME/hack.pids"; }
retry xscreensaver-command -activate >/dev/null 2>&1
check "-activate starts the hack on each monitor" wait_for 10 eval '[ "$(starts)" = 2 ]'
mapfile -t PIDS <"$HACK_HOME/hack.pids"
PID=${PIDS[0]} SIZES=
STARTED_PIDS+=("${PIDS[@]}")
for pid in "${PIDS[@]}"; do
    window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    size=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/.*-geometry \([0-9x]*\).*/\1/p')
    SIZES+=" $size"
    check "in the daemon's window $window ($size), where it draws bananas" \
        wait_for 10 shows yellow "$WORK/daemon.png" "$window" 20
done
check "each window of its monitor's size" [ "$(tr ' ' '\n' <<<"$SIZES" | sort | xargs)" = \
    "400x300 640x480" ]

# The daemon sends its SIGTERM a moment after the command; strace sees when it arrives.
strace -f -ttt -e trace=none -p "$PID" -o "$WORK/hack.trace" 2>/dev/null &
STRACE_PID=$!
STARTED_PIDS+=("$STRACE_PID")
wait_for 5 grep -qs . "/proc/$PID/status" && sleep 0.5 # attached to every thread
retry xscreensaver-command -deactivate >/dev/null 2>&1
check "-deactivate ends both" wait_for 10 eval "! kill -0 ${PIDS[*]} 2>/dev/null"
wait "$STRACE_PID"
ended_ms=$(awk '/--- SIGTERM/ && !term { term = $2 } /\+\+\+ exited with/ { end = $2; status = $(NF - 1) }
    END { if (term) printf "%d %s", (end - term) * 1000, status }' "$WORK/hack.trace")
echo "SIGTERM to exit: ${ended_ms% *} ms, status ${ended_ms#* }"
check "within a second of the SIGTERM, with status 0" eval \
    '[ -n "$ended_ms" ] && [ "${ended_ms% *}" -lt 1000 ] && [ "${ended_ms#* }" = 0 ]'
check "one start per monitor, no restarts" [ "$(starts)" = 2 ]

kill -TERM "$DAEMON_PID"
wait_for 10 eval "! kill -0 $DAEMON_PID 2>/dev/null"
left=$(for pid in "$DAEMON_PID" $(cat "$HACK_HOME/hack.pids"); do
    kill -0 "$pid" 2>/dev/null && echo "$pid"
done)
check "nothing is left running" [ -z "$left" ]
finish
