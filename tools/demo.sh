#!/usr/bin/env bash
# The built-in demo: installs what is missing, builds the Windows programs and runs each
# deliverable's scenario under Wine, on a private display, where only loopback exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${TERN_NETNS:-}" ]; then
  bash tools/setup.sh
  bash tools/fetch-sources.sh
  for preset in win32 win64; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" 2>&1 | tail -n 1
  done
  exec unshare -n bash -c 'ip link set lo up && TERN_NETNS=1 exec bash tools/demo.sh'
fi

. tools/wine-session.sh
wine_session_start "$root/build/wineprefix"

# Programs run from the 32-bit build where this machine can start 32-bit code.
bin="$root/build/win64/bin"
run() { "$TERN_WINE" "$@"; }
if wine_can_run_32bit; then
  bin="$root/build/win32/bin"
  run() { wine "$@"; }
fi
echo "== demo programs from $bin"

section() { printf '\n==== %s\n' "$1"; }

section "Docwick: a document previewed through a running client"
(cd "$bin" && run docwick_demo.exe)
