#!/usr/bin/env bash
# Bad command lines end with -1 (255 through Wine) and show nothing.
. "$(dirname "$0")/lib.sh"

saver_windows() { xdotool search --name '^(Screen Saver|Preview|Quillomar)$' 2>/dev/null | wc -l; }

for arguments in /x "/p:1234" /p "/p 99999" "/l 0" /a "-?" "/1"; do
    # shellcheck disable=SC2086
    run_saver 10 $arguments
    check "'$arguments' exits with -1 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = 255 ]
    check "'$arguments' showed no window" [ "$(saver_windows)" = 0 ]
done

finish
