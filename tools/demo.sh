#!/usr/bin/env bash
# The built-in demo: installs what is missing, builds the Windows programs and runs each
# deliverable's scenario under Wine, on a private display, where only loopback exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${TERN_NETNS:-}" ]; then
  bash tools/setup.sh
  bash tools/fetch-sources.sh
  . tools/wine-session.sh
  for preset in win32 win64; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    target=()
    if [ "$preset" = win32 ] && ! wine_can_run_32bit; then
      target=(--target tern_deliverables)  # the demo runs the 64-bit build here
    fi
    cmake --build --preset "$preset" -j "$(nproc)" "${target[@]}" 2>&1 | tail -n 1
  done
  exec unshare -n bash -c 'ip link set lo up && TERN_NETNS=1 exec bash tools/demo.sh'
fi

. tools/wine-session.sh
wine_session_start "$root/build/wineprefix"

# Programs run from the 32-bit build where this machine can start 32-bit code.
bin="$root/build/win64/bin"
wine_cmd=("$TERN_WINE")
if wine_can_run_32bit; then
  bin="$root/build/win32/bin"
  wine_cmd=(wine)
fi
run() { "${wine_cmd[@]}" "$@"; }
echo "== demo programs from $bin"

section() { printf '\n==== %s\n' "$1"; }
status=0

section "Uninstall: the last product removed from a simulated installation"
# The result report goes to the stand-in statistics server: the report's host name is mapped
# to 127.0.0.1 in a mount namespace of the demo's own.
(cd "$bin" && unshare -m -- sh -c 'mount --bind "$1" /etc/hosts && shift && exec "$@"' sh \
  "$(dirname "$bin")/Uninstall/test/hosts" "${wine_cmd[@]}" uninstall_demo.exe 2>/dev/null) ||
  status=1
ls "$bin"/uninstall_screenshots/*.png 2>/dev/null | sed 's/^/   screenshot: /'

section "Docwick: a document previewed through a running client"
(cd "$bin" && run docwick_demo.exe)

section "Docwick: the account selection dialog and the error box, captured on the display"
(cd "$bin" && run docwick_dialogs_test.exe --gtest_filter='*Screenshot*' >/dev/null 2>&1) &&
  ls "$bin"/dialog_screenshots/*.png | sed 's/^/   /'

section "Docwick: Open-With registration and the account hand-over commands"
bash Tools/Docwick/demo/open_with_demo.sh "$(dirname "$bin")" "$WINEPREFIX"

section "DocwickExt: the shell extension registers itself and unregisters again"
ext="$root/build/win64/bin/DocwickExt64.dll"
"$TERN_WINE" regsvr32 /s "$(printf 'Z:%s' "${ext//\//\\}")" && echo "   registered $ext"
"$TERN_WINE" reg query 'HKLM\Software\Classes\AllFileSystemObjects\ShellEx\ContextMenuHandlers\DocwickExt' 2>/dev/null |
  tr -d '\r' | sed 's/^/   /'
"$TERN_WINE" regsvr32 /s /u "$(printf 'Z:%s' "${ext//\//\\}")" && echo "   unregistered"

section "TernApp: a mini-app drawn by the host and presented to a stand-in client"
(cd "$bin" && run ternapp_client.exe TernApp.exe ternapp_demo_app.txt ternapp_demo.png) &&
  echo "   last frame: $bin/ternapp_demo.png"

exit $status
