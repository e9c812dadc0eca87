#!/usr/bin/env bash
# Builds Trovella and starts it under Wine. Installs what is missing first; safe to run again.
# Without an X display the window opens on a private virtual display, and a picture of it
# is saved as build/trovella-window.png.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
jobs=$(nproc)

# The product is the 32-bit build; a kernel that refuses 32-bit code gets the 64-bit build
# of the same sources.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then preset=win32; else preset=win64; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs" --target trovella
exe=build/$preset/trovella.exe
echo "Starting $exe"

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$exe"
fi

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
scripts/wine-run.sh "$exe" &
program=$!
for _ in $(seq 100); do xdotool search --name '^Trovella$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
import -window root -crop 349x448+465+288 build/trovella-window.png 2>/dev/null || true
echo "No X display: Trovella runs on the virtual display $DISPLAY; its picture is build/trovella-window.png."
echo "Press Ctrl+C to end it."
wait "$program"
