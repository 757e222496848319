#!/bin/bash
# help2man runs each program through a copy of this script named after it:
# the script runs the real program (in $TQ7350_PROGRAM_DIR) under its bare
# name and passes its output on with the usage paragraph in the form help2man
# reads as the synopsis: each form of the command line on one line, the
# forms after the first marked "or:". Everything else is passed on unchanged.
set -o pipefail
name=$(basename "$0")
(exec -a "$name" "$TQ7350_PROGRAM_DIR/$name" "$@") | awk -v name="$name" '
    !seen && /^Usage: / { usage = 1; seen = 1; form = $0; next }
    usage && !/^[ \t]+[^ \t]/ { print form; usage = 0 }
    usage {
        sub(/^[ \t]+/, "")
        if ($0 == name || index($0, name " ") == 1) {
            print form
            form = "   or: " $0
        } else {
            form = form " " $0
        }
        next
    }
    { print }
    END { if (usage) print form }
'
