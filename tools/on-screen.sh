#!/usr/bin/env bash
# Runs one window test on the X screen ctest gave it. Usage: on-screen.sh COMMAND [ARGS...]
#
# tools/test-session.sh starts several X screens, each with a Wine prefix and
# Wine session of its own, and hands ctest a resource spec naming them; a window
# test asks for one "screens" slot, so no two window tests ever share a
# foreground, keyboard focus, mouse or clipboard. ctest names the slot in
# CTEST_RESOURCE_GROUP_0_SCREENS ("id:N,slots:1"); screen N's display and prefix
# are in ZELVO_SCREEN_DISPLAY_N and ZELVO_SCREEN_PREFIX_N. Screen 0, the
# session's own display and prefix, is left to the tests without windows.
set -euo pipefail
if [ -n "${CTEST_RESOURCE_GROUP_0_SCREENS:-}" ]; then
  id=${CTEST_RESOURCE_GROUP_0_SCREENS#id:}
  id=${id%%,*}
  display_var=ZELVO_SCREEN_DISPLAY_$id prefix_var=ZELVO_SCREEN_PREFIX_$id
  if [ -n "${!display_var:-}" ]; then
    export DISPLAY=${!display_var} WINEPREFIX=${!prefix_var}
  fi
  # What the last test on this screen left on the clipboard stays there.
  if [ -n "${ZELVO_WINDRIVER:-}" ]; then
    "$ZELVO_WINE" "$ZELVO_WINDRIVER" clear-clipboard </dev/null >/dev/null ||
      echo "on-screen: the clipboard could not be emptied" >&2
  fi
  exec bash "$(dirname "$0")/in-wine.sh" "$@"
fi
# ctest run without the screens (not through tools/run-tests.sh): the window
# tests take turns on the one screen there is.
exec flock "${WINEPREFIX:?}.screen-lock" bash "$(dirname "$0")/in-wine.sh" "$@"
