#!/usr/bin/env bash
# Builds everything and runs every test: the core natively, the Windows side under Wine.
# Installs what is missing first; safe to run again.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
jobs=$(nproc)

echo "== core, native build (sanitizers)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== Windows builds: the 32-bit product and the same sources for 64-bit"
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# One private X display for every program the Windows-side tests open.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"

# This machine's kernel may refuse 32-bit code (no IA32 emulation); 64-bit Wine then runs
# the 64-bit build of the same sources.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "== Windows-side tests, 32-bit build under Wine"
  ctest --preset win32 -j "$jobs"
else
  echo "== this kernel cannot run 32-bit programs: the 32-bit build is built, not run"
fi
echo "== Windows-side tests, 64-bit build under Wine"
ctest --preset win64 -j "$jobs"
