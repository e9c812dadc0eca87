#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (made on first use).
#   scripts/wine-run.sh program.exe [arguments...]
# TROVELLA_WINEPREFIX overrides the prefix (default: build/wineprefix in the repository).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${TROVELLA_WINEPREFIX:-$repo/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The 64-bit loader starts 64-bit programs itself and hands 32-bit ones to the 32-bit
# loader, so one prefix serves both builds.
if [ -x /usr/lib/wine/wine64 ]; then
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  wine=/usr/lib/wine/wine64
else
  wine=wine
fi

if [ ! -f "$WINEPREFIX/.trovella-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.trovella-ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      # Without a window manager, unmanaged windows take the keyboard focus and close at once.
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      # Chinese glyphs in system dialogs.
      "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
      # The title bar's buttons are drawn with Marlett, which the prefix does not pick up
      # from Wine's own font folder by itself.
      if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
      fi
      "${WINESERVER:-wineserver}" -w
      touch "$WINEPREFIX/.trovella-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
