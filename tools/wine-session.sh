# Sourced by the test and demo scripts: a throwaway Wine prefix inside the build tree,
# a private Xvfb display, a persistent wineserver; all of it stopped again on exit.
# Usage: wine_session_start <prefix-dir>; the EXIT trap calls wine_session_stop.

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${TERN_XVFB_PID:-}" ]; then
    kill "$TERN_XVFB_PID" >/dev/null 2>&1 || true
    wait "$TERN_XVFB_PID" 2>/dev/null || true
    TERN_XVFB_PID=
  fi
}

# True when this machine can start 32-bit Linux programs, and so Wine's 32-bit loader. Some
# hosts run 64-bit user code only; there the Windows tests run on the 64-bit build of the same
# sources (every deliverable and test also builds in the win64 preset).
wine_can_run_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

wine_session_start() {
  if ! wine_can_run_32bit; then
    echo "wine-session: NOTE this machine cannot run 32-bit programs (no IA32 emulation):" \
      "32-bit Windows programs fail with 'Exec format error'. Every Windows target builds in" \
      "both presets (guard with WIN32, not TERN_WIN32); run the Windows tests from a win64" \
      "build: cmake --preset win64 -B build/<you>-win64 (its tests start /usr/lib/wine/wine64)" >&2
    # Debian's wine script always picks the 32-bit loader when it is installed.
    export WINELOADER=/usr/lib/wine/wine64
  fi
  export TERN_WINE=${WINELOADER:-wine}
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  trap wine_session_stop EXIT

  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    TERN_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$TERN_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$TERN_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    TERN_XVFB_PID=
  done
  [ -n "${DISPLAY:-}" ] || { echo "wine-session: no free X display" >&2; return 1; }

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$TERN_WINE" wineboot.exe -i >/dev/null 2>&1
    # A fresh prefix finishes its set-up in the background; let it end before the first test.
    "$TERN_WINE" wineboot.exe -s >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
  # The messages are Chinese: link the dialog fonts to a CJK font of the host, so that boxes
  # and screenshots show the text instead of empty squares.
  local cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  if [ -f "$cjk" ] && ! grep -q '^"Tahoma"=str(7):"wqy-microhei' "$WINEPREFIX/system.reg"; then
    local font
    for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
      "$TERN_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$font" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    done
  fi
  # A server that already runs for this prefix (an outer session) is kept.
  wineserver -p 2>/dev/null || true
  # One warm-up start so the first test does not pay for wine's start-up.
  "$TERN_WINE" cmd /c exit >/dev/null 2>&1 || true
}
