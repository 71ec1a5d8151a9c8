#!/usr/bin/env bash
# Runs the Windows test programs of the win32 and win64 builds under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/wine-session.sh
wine_session_start "$root/build/wineprefix"

presets=(win64)
if wine_can_run_32bit; then
  presets=(win32 win64)
else
  echo "== win32 tests skipped: this machine cannot start 32-bit programs; the win64 build" \
    "of the same sources is tested instead"
fi
status=0
for preset in "${presets[@]}"; do
  echo "== test $preset (wine)"
  ctest --test-dir "build/$preset" --output-on-failure -j "$(nproc)" || status=1
done
exit $status
