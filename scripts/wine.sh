#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own Wine prefix, quietly,
# under a Russian locale (as the program's users run Windows): Cyrillic file
# names, the 1251 code page and Russian date pickers. The prefix is made on
# the first run, once, whatever runs beside it.
#   scripts/wine.sh PROGRAM.exe [ARGUMENTS...]
#   scripts/wine.sh --prefix        prints the prefix (its drive C: is drive_c)
set -euo pipefail
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "Wine is missing (scripts/setup-tests.sh installs wine64)" >&2; exit 127; }
export WINEPREFIX=${VEXA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/vexa-chart/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts to install Wine's Mono or Gecko.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  export LC_ALL=ru_RU.UTF-8
fi
if [ "${1:-}" = "--prefix" ]; then
  echo "$WINEPREFIX"
  exit 0
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ "${1:-}" = "--prefix" ]; then
  echo "$WINEPREFIX"
  exit 0
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot --init > /dev/null 2>&1
      /usr/lib/wine/wineserver -w
    fi
  ) 9> "$WINEPREFIX.lock"
fi
exec "$wine" "$@"
