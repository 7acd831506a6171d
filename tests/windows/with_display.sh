#!/usr/bin/env bash
# Runs a command that shows Windows windows under Wine on a virtual display
# of its own. Wine binds its desktop to the display of the session's first
# window, so the Wine session starts and ends with the command: no other
# Wine program may run meanwhile (the tests hold the lock "wine").
#   with_display.sh WINE_RUNNER COMMAND [ARGUMENTS...]
set -euo pipefail
wine=$1
shift
export WINEPREFIX
WINEPREFIX=$("$wine" --prefix)
"$wine" cmd /c exit 0 > /dev/null 2>&1 || true  # the prefix exists from here on
/usr/lib/wine/wineserver -k 2> /dev/null || true
/usr/lib/wine/wineserver -w
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$@" || status=$?
/usr/lib/wine/wineserver -k 2> /dev/null || true
/usr/lib/wine/wineserver -w
exit "$status"
