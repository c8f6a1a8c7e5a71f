#!/bin/sh
# Runs a test program under Wine with its output in a file, then shows the file.
# Wine's own background processes (services, the desktop) are started by the first program
# and outlive it; had they our stdout, ctest would wait for them until its timeout.
log="$1.log"
wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
exit $rc
