#!/bin/sh
# Prepares a Wine prefix for the window tests: Wine draws the window frames of the test
# program itself (there is no window manager under Xvfb, so screenshots would lack the
# title bar), and, when a DPI is given, the screen runs at that DPI. LogPixels is read
# when the prefix's wineserver starts, so a running one is stopped after a change.
# Usage: prepare-prefix.sh <prefix> [dpi]
set -eu
prefix=$1
dpi=${2:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
"$here/scripts/wine-prefix"
wine reg add 'HKCU\Software\Wine\AppDefaults\windows_form_test.exe\X11 Driver' \
  /v Decorated /t REG_SZ /d N /f >/dev/null
[ -n "$dpi" ] || exit 0
if ! wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null |
    grep -qi "0x$(printf '%x' "$dpi")"; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
