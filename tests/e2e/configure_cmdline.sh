#!/usr/bin/env bash
# Every configuration form of the command line opens the sheet over the parent the host
# chooses: none for an empty line, the window after "C:" when it is one, else the foreground
# window. A program of the tests' own starts the saver over two windows, A in front and B
# behind, names the owner of the sheet's (invisible) host dialog, and presses OK.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/configure_lib.sh"

# form | owner of the host dialog ("%B" stands for window B's handle in decimal)
while IFS='|' read -r form owner; do
    probe parent "Z:$SCR" "$form" >"$WORK/parent.txt"
    cat "$WORK/parent.txt"
    check "'$form': window A is in front" grep -qx "foreground A" "$WORK/parent.txt"
    check "'$form': the sheet opens over its hidden host" grep -qx "host hidden" "$WORK/parent.txt"
    check "'$form': the host's owner is $owner" grep -qx "owner $owner" "$WORK/parent.txt"
    check "'$form': OK ends it with 1" grep -qx "exit 1" "$WORK/parent.txt"
done <<'FORMS'
|none
/c|A
/C|A
-c|A
/c:%B|B
/C:%B|B
/c %B|A
/c:0|A
/c:abc|A
/c:99999|A
FORMS

finish
