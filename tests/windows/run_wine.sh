#!/usr/bin/env bash
# Runs a Windows program under Debian's wine (wine64) with a prefix of the
# build's own, so that nothing outside the build directory is touched.
#
#   run_wine.sh PREFIX --init              sets the prefix up (the first
#                                          start of wine; a few seconds)
#   run_wine.sh PREFIX PROGRAM [ARGS...]   runs PROGRAM with its exit status
#
# Exit status 77 (reported by ctest as skipped, never as passed) when wine is
# not installed, cannot start, or the program was not built.
set -uo pipefail
prefix=${1:?wine prefix}
shift
skip() { echo "SKIPPED: $*"; exit 77; }

wine=${KELPIE_WINE:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
[ -n "$wine" ] && [ -x "$wine" ] || skip "wine64 is not installed (Debian package wine64)"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

# Written once wine has run a program in the prefix.
ready=$prefix/kelpie-wine-ready

if [ "${1:-}" = --init ]; then
  rm -f "$ready"
  mkdir -p "$prefix"
  "$wine" wineboot --init >"$prefix.log" 2>&1 || { cat "$prefix.log"; skip "wine cannot set up a prefix"; }
  "$wine" cmd /c exit 7 >/dev/null 2>&1
  [ $? -eq 7 ] || skip "wine cannot run a program"
  touch "$ready"
  echo "wine prefix ready: $prefix"
  exit 0
fi

program=${1:?program}
shift
[ -f "$ready" ] || skip "no wine prefix (wine could not start)"
[ -f "$program" ] || skip "$program was not built"
"$wine" "$program" "$@"
