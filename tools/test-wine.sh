#!/usr/bin/env bash
# Runs the Windows test programs of the win32 and win64 builds under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/wine-session.sh
wine_session_start "$root/build/wineprefix"

status=0
for preset in win32 win64; do
  echo "== test $preset (wine)"
  ctest --test-dir "build/$preset" --output-on-failure -j "$(nproc)" || status=1
done
exit $status
