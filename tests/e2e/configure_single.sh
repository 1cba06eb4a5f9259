#!/usr/bin/env bash
# One configuration sheet at a time: while one is open, another configuration start shows
# nothing, leaves the open sheet alone and exits with 1; once it is closed, a new one opens.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

check "the first sheet opens" open_sheet /c
FIRST_PID=$SAVER_PID
for arguments in /c ""; do
    # shellcheck disable=SC2086
    start_saver $arguments
    expect_exit "a second start ('$arguments') exits with 1" "$SAVER_PID" 20 1
    check "still exactly one sheet" [ "$(sheet_count)" = 1 ]
    check "the first saver is still running" kill -0 "$FIRST_PID"
done
SAVER_PID=$FIRST_PID
check "the first sheet still answers" [ "$(current_page)" = Introduction ]
close_sheet Return
expect_exit "the first sheet closes" "$FIRST_PID" 20 1
check "no sheet is left" [ "$(sheet_count)" = 0 ]

check "after it, a new sheet opens" open_sheet /c
check "one sheet" [ "$(sheet_count)" = 1 ]
close_sheet Return
expect_exit "and closes" "$SAVER_PID" 20 1

finish
