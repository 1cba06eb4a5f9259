# Shared by every end-to-end script: assertions counted and reported, waiting for a condition,
# retrying an X client, waiting for a process's end; pictures and their pixels as the scripts take
# them.

# shellcheck source=../../scripts/pictures.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/pictures.sh"

FAILURES=0
CHECKS=0

# version [MAJOR|MINOR]: the project's version, as the build tree was configured with it.
version() { sed -n "s/^CMAKE_PROJECT_VERSION${1:+_$1}:STATIC=//p" "$BUILD_DIR/CMakeCache.txt"; }

check() { # check <description> <command...>: one assertion
    CHECKS=$((CHECKS + 1))
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        FAILURES=$((FAILURES + 1))
    fi
}

finish() {
    echo "$((CHECKS - FAILURES)) passed, $FAILURES failed"
    exit $((FAILURES > 0))
}

wait_for() { # wait_for <seconds> <command...>: until the command succeeds
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        "${@:2}" && return 0
        sleep 0.1
    done
    return 1
}

# retry <X client command...>: a busy Xvfb now and then drops a new connection; a command that
# could not connect did nothing, so it is run again, for up to 5 s.
retry() { wait_for 5 "$@"; }

# wait_exit <pid> <seconds>: EXIT_STATUS = its exit status, or "running" after the time. Not
# in a $(...) subshell: only this shell can collect its children's statuses.
wait_exit() {
    EXIT_STATUS=running
    wait_for "$2" eval "! kill -0 $1 2>/dev/null" || return 0
    wait "$1"
    EXIT_STATUS=$?
}

# expect_exit <description> <pid> <seconds> <status or "running">: one assertion.
expect_exit() {
    wait_exit "$2" "$3"
    check "$1 (status $EXIT_STATUS)" [ "$EXIT_STATUS" = "$4" ]
}
